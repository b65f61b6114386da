#include "formats/wav/c_wave.h"

#include "formats/id3v2/id3v2_chunk.h"
#include "formats/riff/binary_file.h"
#include "formats/riff/chunk_walker.h"
#include "formats/riff/tag_chunk_writer.h"
#include "formats/wav/info_list.h"

#include <algorithm>
#include <array>

namespace tunvale::formats {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM, 00000001-0000-0010-8000-00AA00389B71, as stored.
constexpr std::array<std::uint8_t, 16> kSubtypePcm = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                      0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// LIST and "id3 " chunks are read whole; larger ones are not real tags and are skipped.
constexpr std::uint32_t kMaxListBytes = 16u << 20;

bool convertibleRate(std::uint32_t rate)
{
    switch (rate) {
    case 22050: case 24000: case 32000: case 44100: case 48000: case 88200: case 96000:
        return true;
    default:
        return false;
    }
}

bool isId3Chunk(const FourCC &id)
{
    return sameIdIgnoringCase(id, "id3 ");
}

bool startsWithId3(const std::vector<std::uint8_t> &bytes)
{
    return bytes.size() >= 3 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3';
}

// Reads as much of a chunk's data as the file holds (at most limit bytes).
bool readChunkData(BinaryFile &file, const Chunk &chunk, std::uint32_t limit, std::vector<std::uint8_t> &out, bool &noMemory)
{
    noMemory = false;
    out.clear();
    if (chunk.size > limit)
        return false;
    const std::uint64_t available = chunk.dataPos() < file.size() ? file.size() - chunk.dataPos() : 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size, available));
    try {
        out.resize(count);
    } catch (const std::bad_alloc &) {
        noMemory = true;
        return false;
    }
    out.resize(file.readAt(chunk.dataPos(), out.data(), count));
    return true;
}

} // namespace

void CWave::reset()
{
    m_fileSize = 0;
    m_id3Position = 0;
    m_id3Size = 0;
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    m_pcmLayout.reset();
}

ReadResult CWave::ParseRiff(const std::filesystem::path &path, bool loadPcm, bool parseId3, bool capturePictures,
                            TrackRead &read, DecodedAudio &audio)
{
    return ParseRiff(path, loadPcm ? PcmMode::Whole : PcmMode::None, parseId3, capturePictures, read, audio);
}

ReadResult CWave::ParseRiff(const std::filesystem::path &path, PcmMode pcmMode, bool parseId3, bool capturePictures,
                            TrackRead &read, DecodedAudio &audio)
{
    reset();
    audio = DecodedAudio{};
    const auto cutShort = [](const char *detail) { return ReadResult::failure(ReadStatus::CutShort, detail); };
    const auto notWave = [](const char *detail) { return ReadResult::failure(ReadStatus::NotThisFormat, detail); };

    BinaryFile file;
    const bool opened = file.open(path, BinaryFile::Mode::Read);
    if (ReadResult status = openedStatus(opened, file.openError(), file.size()); !status.ok())
        return status;
    m_fileSize = file.size();
    audio.fileSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_fileSize, 0xFFFFFFFFu));

    // RIFF header (12 bytes), then the format chunk header and its first 16 bytes.
    std::uint8_t head[36];
    const std::size_t got = file.readAt(0, head, sizeof head);
    if (got < 12)
        return cutShort("WAV: RIFF header cut short");
    if (std::string_view(reinterpret_cast<const char *>(head), 4) != "RIFF"
        || std::string_view(reinterpret_cast<const char *>(head + 8), 4) != "WAVE")
        return notWave("WAV: not a RIFF WAVE file");
    const std::uint32_t riffSize = loadU32LE(head + 4);
    if (got < 36)
        return cutShort("WAV: format chunk cut short");
    if (std::string_view(reinterpret_cast<const char *>(head + 12), 3) != "fmt")
        return notWave("WAV: no format chunk after the RIFF header");
    const std::uint32_t formatSize = loadU32LE(head + 16);
    if (formatSize < 16 || !fitsWithin(20, formatSize, m_fileSize))
        return cutShort("WAV: format chunk cut short");
    const std::uint16_t formatTag = loadU16LE(head + 20);
    const std::uint16_t channels = loadU16LE(head + 22);
    const std::uint32_t sampleRate = loadU32LE(head + 24);
    const std::uint16_t bitsPerSample = loadU16LE(head + 34);
    audio.channels = channels;
    audio.sampleRate = static_cast<std::int32_t>(std::min<std::uint32_t>(sampleRate, 0x7FFFFFFF));
    audio.bitsPerSample = bitsPerSample;

    // Only integer PCM is converted: plain, or extensible with the PCM sub-format (cbSize,
    // valid bits and channel mask come before the sub-format GUID).
    bool isPcm = formatTag == kFormatPcm;
    if (formatTag == kFormatExtensible && formatSize >= 16 + 24) {
        std::array<std::uint8_t, 16> subtype{};
        if (file.readAt(36 + 8, subtype.data(), subtype.size()) != subtype.size())
            return cutShort("WAV: format chunk cut short");
        isPcm = subtype == kSubtypePcm;
    }
    const bool convertible = isPcm && (channels == 1 || channels == 2) && convertibleRate(sampleRate)
        && (bitsPerSample == 16 || bitsPerSample == 24);

    bool haveData = false;
    bool dataComplete = false;
    std::uint64_t dataPos = 0;
    std::uint64_t afterData = 0;
    bool haveId3 = false;
    std::vector<std::uint8_t> bytes;
    bool noMemory = false;

    ChunkWalker walker(file, ByteOrder::Little, 20 + paddedSize(formatSize), riffSize);
    while (const std::optional<Chunk> chunk = walker.next()) {
        if (sameIdIgnoringCase(chunk->id, "fact")) {
            if (chunk->size >= 4 && !fitsWithin(chunk->dataPos(), 4, m_fileSize))
                return cutShort("WAV: fact chunk cut short");
        } else if (sameIdIgnoringCase(chunk->id, "LIST")) {
            if (!readChunkData(file, *chunk, kMaxListBytes, bytes, noMemory)) {
                if (noMemory)
                    return ReadResult::failure(ReadStatus::NoMemory);
                continue;
            }
            if (bytes.size() >= 4) {
                const FourCC listType{static_cast<char>(bytes[0]), static_cast<char>(bytes[1]),
                                      static_cast<char>(bytes[2]), static_cast<char>(bytes[3])};
                if (sameIdIgnoringCase(listType, "INFO") || sameIdIgnoringCase(listType, "adtl"))
                    ReadInfoList(ByteSpan(bytes).subspan(4), read.tags);
            }
        } else if (isId3Chunk(chunk->id)) {
            if (!haveId3) {
                haveId3 = true;
                m_id3Position = chunk->headerPos;
                m_id3Size = chunk->size;
            }
            if (!readChunkData(file, *chunk, kMaxTagChunkBytes, bytes, noMemory)) {
                if (noMemory)
                    return ReadResult::failure(ReadStatus::NoMemory);
                continue;
            }
            if (startsWithId3(bytes) && parseId3)
                ParseId3v2Tag(bytes, chunk->size, read.tags, capturePictures ? &read.pictures : nullptr);
            else if (m_id3Bytes.empty())
                m_id3Bytes.swap(bytes);
        } else if (sameIdIgnoringCase(chunk->id, "data") && !haveData) {
            haveData = true;
            audio.rawLength = chunk->size;
            dataPos = chunk->dataPos();
            dataComplete = chunk->completeIn(m_fileSize);
            afterData = chunk->nextPos();
        }
    }
    file.close();
    if (!haveId3)
        m_id3Position = afterData;

    audio.extraSize = parseId3 && m_fileSize > audio.rawLength ? static_cast<std::uint32_t>(std::min<std::uint64_t>(m_fileSize - audio.rawLength, 0xFFFFFFFFu)) : 0;
    // Counted only when the tags hold something once completed, which the caller finds out.
    audio.extraSizeNeedsTags = true;

    if (pcmMode != PcmMode::None && convertible && haveData) {
        if (!dataComplete) {
            // Samples cut off by the end of the file are not converted.
            audio.rawLength = 0;
            audio.byteLength = 0;
            return ReadResult::success();
        }
        PcmLayout layout;
        layout.dataPos = dataPos;
        layout.dataLength = audio.rawLength;
        layout.channels = channels;
        layout.sampleRate = static_cast<int>(sampleRate);
        layout.bytesPerSample = bitsPerSample / 8;
        layout.order = ByteOrder::Little;
        audio.bitsPerSample = 16;
        audio.sampleRate = layout.outputRate();
        audio.byteLength = static_cast<std::uint32_t>(layout.outputValues() * 2);
        if (pcmMode == PcmMode::Stream) {
            m_pcmLayout = layout;
            return ReadResult::success();
        }
        std::unique_ptr<FilePcmSource> source = FilePcmSource::open(path, layout);
        if (!source || !readAllPcm(*source, audio.pcm)) {
            if (source && !source->failed() && audio.pcm.empty() && layout.outputValues() != 0)
                return ReadResult::failure(ReadStatus::NoMemory);
            audio.rawLength = 0;
            audio.byteLength = 0;
        }
    }
    return ReadResult::success();
}

WriteResult CWave::WriteWaveTags(const std::filesystem::path &path, const std::u16string &title,
                                 const std::u16string &artist, int track, int totalTracks, bool removePictures)
{
    m_id3Bytes.clear();
    // The walk validates the file as WAV and records its size for the tag builder's checks;
    // the tag chunk itself is found again by the writer.
    TrackRead walked;
    DecodedAudio audio;
    if (!ParseRiff(path, PcmMode::None, false, false, walked, audio).ok())
        return WriteResult::failure();
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    const std::uint64_t fileSize = m_fileSize;
    const TagChunkStyle style{ByteOrder::Little, fourCC("id3 "), fourCC("JUNK"), &isId3Chunk};
    const WriteResult result = rewriteTagChunk(path, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, title, artist, track, totalTracks, removePictures);
    });
    if (!result.written)
        m_id3Size = 0;
    return result;
}

RetagPlan CWave::PlanWaveTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    m_id3Bytes.clear();
    TrackRead walked;
    DecodedAudio audio;
    if (!ParseRiff(path, PcmMode::None, false, false, walked, audio).ok())
        return RetagPlan::failed();
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    const std::uint64_t fileSize = m_fileSize;
    const TagChunkStyle style{ByteOrder::Little, fourCC("id3 "), fourCC("JUNK"), &isId3Chunk};
    return planTagChunk(source, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, changes.title, changes.artist, changes.track, changes.totalTracks,
                             changes.removePictures);
    });
}

int CWave::WriteWaveId3Chunk(const std::filesystem::path &path, const std::vector<std::uint8_t> &tag)
{
    const TagChunkStyle style{ByteOrder::Little, fourCC("id3 "), fourCC("JUNK"), &isId3Chunk};
    const bool written = rewriteTagChunk(path, style, [&](std::optional<ByteSpan>) {
                             return std::optional<std::vector<std::uint8_t>>(tag);
                         }).written;
    m_id3Size = written ? static_cast<std::uint32_t>(tag.size()) : 0;
    return written ? 1 : 0;
}

} // namespace tunvale::formats
