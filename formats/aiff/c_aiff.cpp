#include "formats/aiff/c_aiff.h"

#include "formats/id3v2/id3v2_chunk.h"
#include "formats/riff/binary_file.h"
#include "formats/riff/chunk_walker.h"
#include "formats/riff/tag_chunk_writer.h"

#include <algorithm>
#include <string_view>

namespace tunvale::formats {

namespace {

// The format version of AIFF-C Version 1 (1990-05-23), the only one defined.
constexpr std::uint32_t kAifcVersion1 = 0xA2805140u;

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
    return sameId(id, "ID3 ");
}

// An unknown chunk id, which every IFF reader skips, marks a superseded tag chunk.
const FourCC kFiller = fourCC("FLLR");

} // namespace

void CAiff::reset()
{
    m_fileSize = 0;
    m_id3Position = 0;
    m_id3Size = 0;
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    m_convertible = false;
    m_bytesPerSample = 0;
    m_haveSamples = false;
    m_samples = PcmLayout{};
    m_pcmLayout.reset();
}

ReadResult CAiff::openAndWalk(const std::filesystem::path &path, PcmMode pcmMode, DecodedAudio &audio)
{
    reset();
    audio = DecodedAudio{};
    const auto unsupported = [](const char *detail) { return ReadResult::failure(ReadStatus::Unsupported, detail); };

    BinaryFile file;
    const bool opened = file.open(path, BinaryFile::Mode::Read);
    if (ReadResult status = openedStatus(opened, file.openError(), file.size()); !status.ok())
        return status;
    m_fileSize = file.size();
    audio.fileSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_fileSize, 0xFFFFFFFFu));

    std::uint8_t head[12];
    const std::size_t got = file.readAt(0, head, sizeof head);
    if (got < 8)
        return ReadResult::success(); // too short for a chunk: read, with nothing found
    const std::string_view form(reinterpret_cast<const char *>(head), got);
    if (got < 12 || form.substr(0, 4) != "FORM" || (form.substr(8, 4) != "AIFF" && form.substr(8, 4) != "AIFC"))
        return ReadResult::failure(ReadStatus::NotThisFormat, "AIFF: not an AIFF or AIFF-C file");
    const bool aifc = form.substr(8, 4) == "AIFC";

    bool haveComm = false;
    bool haveId3 = false;
    ChunkWalker walker(file, ByteOrder::Big, 12);
    while (const std::optional<Chunk> chunk = walker.next()) {
        if (sameId(chunk->id, "COMM") && !haveComm) {
            haveComm = true;
            std::uint8_t comm[22] = {};
            const std::size_t want = std::min<std::size_t>(chunk->size, sizeof comm);
            const std::size_t have = file.readAt(chunk->dataPos(), comm, want);
            if (aifc && chunk->size > 18) {
                // AIFF-C: only uncompressed samples ("NONE") are understood.
                if (have < 22 || std::string_view(reinterpret_cast<const char *>(comm + 18), 4) != "NONE")
                    return unsupported("AIFF: compressed samples");
            }
            if (have < 18)
                continue;   // too short to describe the sound: not convertible
            const std::uint16_t channels = loadU16BE(comm);
            const std::uint16_t bits = loadU16BE(comm + 6);
            const std::uint32_t rate = loadExtended80(comm + 8);
            m_convertible = (channels == 1 || channels == 2) && convertibleRate(rate) && bits >= 9 && bits <= 24;
            if (m_convertible) {
                // Samples of 9 to 16 bits are stored in two bytes, 17 to 24 in three, left-justified.
                m_bytesPerSample = bits <= 16 ? 2 : 3;
                audio.channels = channels;
                audio.sampleRate = static_cast<std::int32_t>(rate);
                audio.bitsPerSample = bits <= 16 ? 16 : 24;
            }
        } else if (sameId(chunk->id, "SSND") && !m_haveSamples) {
            std::uint8_t fields[8];
            if (chunk->size < 8 || file.readAt(chunk->dataPos(), fields, 8) != 8)
                continue;
            // The offset field puts the first sample further in (AIFF §"Sound Data Chunk").
            const std::uint32_t offset = loadU32BE(fields);
            const std::uint64_t room = chunk->size - 8u;
            m_haveSamples = true;
            m_samples.dataPos = chunk->dataPos() + 8 + std::min<std::uint64_t>(offset, room);
            m_samples.dataLength = room - std::min<std::uint64_t>(offset, room);
        } else if (sameId(chunk->id, "ID3 ") && !haveId3) {
            haveId3 = true;
            m_id3Position = chunk->headerPos;
            std::uint8_t magic[3] = {};
            if (file.readAt(chunk->dataPos(), magic, 3) == 3 && magic[0] == 'I' && magic[1] == 'D' && magic[2] == '3'
                && chunk->size <= kMaxTagChunkBytes) {
                m_id3Size = static_cast<std::uint32_t>(std::min<std::uint64_t>(paddedSize(chunk->size), 0xFFFFFFFFu));
                if (!file.readExact(chunk->dataPos(), chunk->size, m_id3Bytes))
                    m_id3Size = 0;   // a short read drops the tag
            }
        } else if (sameId(chunk->id, "FVER")) {
            std::uint8_t version[4];
            if (chunk->size < 4 || file.readAt(chunk->dataPos(), version, 4) != 4 || loadU32BE(version) != kAifcVersion1)
                return unsupported("AIFF: unknown AIFF-C version");
        }
    }
    if (!haveId3)
        m_id3Position = walker.position();

    if (pcmMode != PcmMode::None && m_convertible && m_haveSamples) {
        m_samples.channels = audio.channels;
        m_samples.sampleRate = audio.sampleRate;
        m_samples.bytesPerSample = m_bytesPerSample;
        m_samples.order = ByteOrder::Big;
        // Samples cut off by the end of the file are dropped.
        if (!fitsWithin(m_samples.dataPos, m_samples.dataLength, m_fileSize))
            m_samples.dataLength = 0;
    }
    return ReadResult::success();
}

ReadResult CAiff::ReadAiff(const std::filesystem::path &path, bool loadPcm, bool capturePictures, TrackRead &read,
                           DecodedAudio &audio)
{
    return ReadAiff(path, loadPcm ? PcmMode::Whole : PcmMode::None, capturePictures, read, audio);
}

ReadResult CAiff::ReadAiff(const std::filesystem::path &path, PcmMode pcmMode, bool capturePictures, TrackRead &read,
                           DecodedAudio &audio)
{
    const ReadResult walked = openAndWalk(path, pcmMode, audio);
    if (!walked.ok()) {
        m_id3Bytes.clear();
        return walked;
    }
    if (pcmMode != PcmMode::None) {
        if (!m_convertible || !m_haveSamples) {
            audio.rawLength = audio.byteLength = 0;
            audio.channels = audio.sampleRate = audio.bitsPerSample = 0;
            m_id3Bytes.clear();
            return ReadResult::failure(ReadStatus::Unsupported, "AIFF: no audio the conversion can use");
        }
        audio.rawLength = static_cast<std::uint32_t>(m_samples.dataLength);
        audio.bitsPerSample = 16;
        audio.sampleRate = m_samples.outputRate();
        audio.byteLength = static_cast<std::uint32_t>(m_samples.outputValues() * 2);
        if (pcmMode == PcmMode::Stream) {
            if (m_samples.dataLength != 0)
                m_pcmLayout = m_samples;
        } else if (m_samples.dataLength != 0) {
            std::unique_ptr<FilePcmSource> source = FilePcmSource::open(path, m_samples);
            if (!source || !readAllPcm(*source, audio.pcm)) {
                audio.rawLength = audio.byteLength = 0;
                if (source && !source->failed()) {   // memory ran out
                    m_id3Bytes.clear();
                    return ReadResult::failure(ReadStatus::NoMemory);
                }
            }
        }
    }
    if (!m_id3Bytes.empty()) {
        if (ParseId3v2Tag(m_id3Bytes, m_id3Size, read.tags, capturePictures ? &read.pictures : nullptr) == 0) {
            m_id3Bytes.clear();
            audio.pcm.clear();
            m_pcmLayout.reset();
            return ReadResult::failure(ReadStatus::Damaged, "AIFF: ID3 tag larger than its chunk");
        }
        audio.extraSize = m_id3Size;
    }
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    return ReadResult::success();
}

WriteResult CAiff::WriteAiffTags(const std::filesystem::path &path, const std::u16string &title,
                                 const std::u16string &artist, int track, int totalTracks, bool removePictures)
{
    m_id3Bytes.clear();
    if (title.empty() && artist.empty() && track <= 0 && !removePictures)
        return WriteResult::success();
    DecodedAudio audio;
    if (!openAndWalk(path, PcmMode::None, audio).ok()) {
        m_id3Bytes.clear();
        return WriteResult::failure();
    }
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    const std::uint64_t fileSize = m_fileSize;
    const TagChunkStyle style{ByteOrder::Big, fourCC("ID3 "), kFiller, &isId3Chunk};
    const WriteResult result = rewriteTagChunk(path, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, title, artist, track, totalTracks, removePictures);
    });
    if (!result.written)
        m_id3Size = 0;
    return result;
}

RetagPlan CAiff::PlanAiffTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    m_id3Bytes.clear();
    if (changes.title.empty() && changes.artist.empty() && changes.track <= 0 && !changes.removePictures)
        return RetagPlan::unchanged();
    DecodedAudio audio;
    if (!openAndWalk(path, PcmMode::None, audio).ok()) {
        m_id3Bytes.clear();
        return RetagPlan::failed();
    }
    m_id3Bytes.clear();
    m_id3Bytes.shrink_to_fit();
    const std::uint64_t fileSize = m_fileSize;
    const TagChunkStyle style{ByteOrder::Big, fourCC("ID3 "), kFiller, &isId3Chunk};
    return planTagChunk(source, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, changes.title, changes.artist, changes.track, changes.totalTracks,
                             changes.removePictures);
    });
}

int CAiff::WriteAiffId3Chunk(const std::filesystem::path &path, const std::vector<std::uint8_t> &tag)
{
    const TagChunkStyle style{ByteOrder::Big, fourCC("ID3 "), kFiller, &isId3Chunk};
    const bool written = rewriteTagChunk(path, style, [&](std::optional<ByteSpan>) {
                             return std::optional<std::vector<std::uint8_t>>(tag);
                         }).written;
    m_id3Size = written ? static_cast<std::uint32_t>(tag.size()) : 0;
    return written ? 1 : 0;
}

} // namespace tunvale::formats
