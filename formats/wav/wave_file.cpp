#include "formats/wav/wave_file.h"

#include "formats/audio/byte_reader.h"
#include "formats/container/chunk_table.h"
#include "formats/id3v2/id3v2_chunk.h"
#include "formats/wav/info_list.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::formats {

namespace {

// Format tags of the "fmt " chunk (RFC 2361) whose samples the conversion reads.
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatALaw = 6;
constexpr std::uint16_t kFormatMuLaw = 7;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUIDs of WAVE_FORMAT_EXTENSIBLE are a format tag (2 bytes) followed by
// these 14 bytes (KSDATAFORMAT_SUBTYPE_PCM is 00000001-0000-0010-8000-00AA00389B71).
constexpr std::array<std::uint8_t, 14> kSubtypeSuffix = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// What the report calls the samples of a format tag the conversion does not read.
std::string codingName(std::uint16_t coding)
{
    switch (coding) {
    case 0x0002:
        return "MS ADPCM samples";
    case 0x0011:
        return "IMA ADPCM samples";
    case 0x0031:
        return "GSM 6.10 samples";
    case 0x0050:
        return "MPEG audio";
    case 0x0055:
        return "MP3 audio";
    default:
        break;
    }
    char text[48];
    std::snprintf(text, sizeof text, "samples of format 0x%04X", coding);
    return text;
}

// A data chunk size that writers of unseekable streams leave: the data runs to the end.
constexpr std::uint32_t kUnknownDataSize = 0xFFFFFFFFu;
// LIST and "id3 " chunks are read whole; larger ones are not real tags and are skipped.
constexpr std::uint32_t kMaxListBytes = 16u << 20;
// The RIFF header (12 bytes), then the format chunk's header and its first 16 bytes.
constexpr std::size_t kHeadBytes = 36;

bool isId3Chunk(const FourCC &id)
{
    return sameIdIgnoringCase(id, "id3 ");
}

const TagChunkStyle kTagStyle{ByteOrder::Little, fourCC("id3 "), fourCC("JUNK"), &isId3Chunk};

ReadResult cutShort(const char *detail)
{
    return ReadResult::failure(ReadStatus::CutShort, detail);
}

ReadResult notWave(const char *detail)
{
    return ReadResult::failure(ReadStatus::NotThisFormat, detail);
}

std::string_view asChars(const std::uint8_t *bytes, std::size_t count)
{
    return std::string_view(reinterpret_cast<const char *>(bytes), count);
}

// What the RIFF header and the format chunk say.
struct WaveFormat {
    std::uint32_t riffSize = 0;
    std::uint32_t formatSize = 0;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t coding = 0;      // the format tag, or an extensible file's sub-format
    std::uint32_t channelMask = 0; // extensible only

    // Where the chunks after the format chunk start.
    std::uint64_t chunksStart() const { return 20 + paddedSize(formatSize); }

    // How a sample is stored; not valid() for a coding the conversion does not read
    // (compressed formats such as ADPCM or MP3 in WAV).
    SampleFormat sampleFormat() const
    {
        SampleFormat format;
        format.order = ByteOrder::Little;
        format.bytesPerSample = 0;
        switch (coding) {
        case kFormatPcm: {
            // The container of a sample: ceil(bits / 8) bytes, or what the block alignment
            // gives when that is larger (24 bits in 4 bytes); samples are left-justified.
            int bytes = (bitsPerSample + 7) / 8;
            if (channels > 0 && blockAlign % channels == 0 && blockAlign / channels > bytes
                && blockAlign / channels <= 4)
                bytes = blockAlign / channels;
            format.bytesPerSample = bytes;
            format.coding = bytes == 1 ? SampleCoding::Unsigned : SampleCoding::Signed;
            break;
        }
        case kFormatFloat:
            format.coding = SampleCoding::Float;
            format.bytesPerSample = bitsPerSample / 8;
            break;
        case kFormatALaw:
        case kFormatMuLaw:
            format.coding = coding == kFormatALaw ? SampleCoding::ALaw : SampleCoding::MuLaw;
            format.bytesPerSample = 1;
            break;
        default:
            break;
        }
        return format;
    }
};

// The RIFF header and the common fields of the format chunk, which must come first.
ReadResult readFormat(BinaryFile &file, WaveFormat &format)
{
    std::uint8_t head[kHeadBytes];
    const std::size_t got = file.readAt(0, head, sizeof head);
    if (got < 12)
        return cutShort("WAV: RIFF header cut short");
    if (asChars(head, 4) != "RIFF" || asChars(head + 8, 4) != "WAVE")
        return notWave("WAV: not a RIFF WAVE file");
    format.riffSize = loadU32LE(head + 4);
    if (got < kHeadBytes)
        return cutShort("WAV: format chunk cut short");
    if (asChars(head + 12, 3) != "fmt")
        return notWave("WAV: no format chunk after the RIFF header");
    // Every field lies within the bytes read: the reads below cannot fail.
    ByteReader reader(ByteSpan(head, sizeof head).subspan(16));
    std::uint32_t byteRate = 0;
    reader.readU32LE(format.formatSize);
    reader.readU16LE(format.formatTag);
    reader.readU16LE(format.channels);
    reader.readU32LE(format.sampleRate);
    reader.readU32LE(byteRate);
    reader.readU16LE(format.blockAlign);
    reader.readU16LE(format.bitsPerSample);
    if (format.formatSize < 16 || !fitsWithin(20, format.formatSize, file.size()))
        return cutShort("WAV: format chunk cut short");
    format.coding = format.formatTag;
    return ReadResult::success();
}

// WAVE_FORMAT_EXTENSIBLE: cbSize, valid bits, the channel mask and the sub-format GUID follow
// the common fields; the GUID's first two bytes give the coding.
ReadResult readSubFormat(BinaryFile &file, WaveFormat &format)
{
    if (format.formatTag != kFormatExtensible)
        return ReadResult::success();
    format.coding = 0;
    if (format.formatSize < 16 + 24)
        return ReadResult::success();
    std::array<std::uint8_t, 24> extension{};
    if (file.readAt(kHeadBytes, extension.data(), extension.size()) != extension.size())
        return cutShort("WAV: format chunk cut short");
    format.channelMask = loadU32LE(extension.data() + 4);
    if (std::equal(kSubtypeSuffix.begin(), kSubtypeSuffix.end(), extension.begin() + 10))
        format.coding = static_cast<std::uint16_t>(extension[8] | (extension[9] << 8));
    return ReadResult::success();
}

void describeFormat(const WaveFormat &format, DecodedAudio &audio)
{
    audio.channels = format.channels;
    audio.sampleRate = static_cast<std::int32_t>(std::min<std::uint32_t>(format.sampleRate, 0x7FFFFFFF));
    audio.bitsPerSample = format.bitsPerSample;
}

// What the chunk interpreters read into.
struct WaveWalk {
    WaveWalk(BinaryFile &openFile, DecodedAudio &audioOut, TrackRead &trackOut, bool readId3, bool pictures)
        : file(openFile), audio(audioOut), track(trackOut), parseId3(readId3), capturePictures(pictures)
    {
    }

    BinaryFile &file;
    DecodedAudio &audio;
    TrackRead &track;
    bool parseId3;
    bool capturePictures;
    std::vector<std::uint8_t> bytes;   // the chunk data last read
    std::optional<Chunk> data;         // the first "data" chunk
};

enum class ChunkData { Read, Skipped, NoMemory };

// Reads as much of a chunk's data as the file holds; a chunk larger than limit is skipped.
ChunkData readChunkData(WaveWalk &walk, const Chunk &chunk, std::uint32_t limit)
{
    walk.bytes.clear();
    if (chunk.size > limit)
        return ChunkData::Skipped;
    const std::uint64_t fileSize = walk.file.size();
    const std::uint64_t available = chunk.dataPos() < fileSize ? fileSize - chunk.dataPos() : 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size, available));
    try {
        walk.bytes.resize(count);
    } catch (const std::bad_alloc &) {
        return ChunkData::NoMemory;
    }
    walk.bytes.resize(walk.file.readAt(chunk.dataPos(), walk.bytes.data(), count));
    return ChunkData::Read;
}

ReadResult readFact(WaveWalk &walk, const Chunk &chunk)
{
    if (chunk.size >= 4 && !fitsWithin(chunk.dataPos(), 4, walk.file.size()))
        return cutShort("WAV: fact chunk cut short");
    return ReadResult::success();
}

// A LIST chunk of type INFO or adtl holds text fields.
ReadResult readList(WaveWalk &walk, const Chunk &chunk)
{
    const ChunkData got = readChunkData(walk, chunk, kMaxListBytes);
    if (got == ChunkData::NoMemory)
        return ReadResult::failure(ReadStatus::NoMemory);
    if (got == ChunkData::Skipped || walk.bytes.size() < 4)
        return ReadResult::success();
    const FourCC listType{static_cast<char>(walk.bytes[0]), static_cast<char>(walk.bytes[1]),
                          static_cast<char>(walk.bytes[2]), static_cast<char>(walk.bytes[3])};
    if (sameIdIgnoringCase(listType, "INFO") || sameIdIgnoringCase(listType, "adtl"))
        ReadInfoList(ByteSpan(walk.bytes).subspan(4), walk.track.tags);
    return ReadResult::success();
}

// Every "id3 " chunk that holds an ID3v2 tag is read, each filling what the ones before left
// blank. Without parseId3 (the tag writer's check of the file) the chunk is not even loaded.
ReadResult readId3(WaveWalk &walk, const Chunk &chunk)
{
    if (!walk.parseId3)
        return ReadResult::success();
    const ChunkData got = readChunkData(walk, chunk, kMaxTagChunkBytes);
    if (got == ChunkData::NoMemory)
        return ReadResult::failure(ReadStatus::NoMemory);
    const std::vector<std::uint8_t> &bytes = walk.bytes;
    if (got == ChunkData::Read && bytes.size() >= 3 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3')
        ParseId3v2Tag(bytes, chunk.size, walk.track.tags, walk.capturePictures ? &walk.track.pictures : nullptr);
    return ReadResult::success();
}

ReadResult readData(WaveWalk &walk, const Chunk &chunk)
{
    if (walk.data)
        return ReadResult::success();
    walk.data = chunk;
    walk.audio.rawLength = chunk.size;
    return ReadResult::success();
}

constexpr ChunkRule<WaveWalk> kChunkRules[] = {
    {"fact", &readFact},
    {"LIST", &readList},
    {"id3 ", &readId3},
    {"data", &readData},
};

// Opens the file, checks its header and format chunk, and interprets its chunks into walk.
ReadResult walkFile(const std::filesystem::path &path, WaveFormat &format, WaveWalk &walk)
{
    if (ReadResult status = openContainer(walk.file, path, walk.audio); !status.ok())
        return status;
    if (ReadResult status = readFormat(walk.file, format); !status.ok())
        return status;
    describeFormat(format, walk.audio);
    if (ReadResult status = readSubFormat(walk.file, format); !status.ok())
        return status;
    ChunkTable table;
    if (!table.read(walk.file, ByteOrder::Little, format.chunksStart(), format.riffSize))
        return ReadResult::failure(ReadStatus::NoMemory);
    return interpretChunks<WaveWalk>(table, kChunkRules, IdMatch::IgnoringCase, walk);
}

} // namespace

ReadResult WaveFile::read(const std::filesystem::path &path, bool loadPcm, bool parseId3, bool capturePictures,
                          TrackRead &track, DecodedAudio &audio)
{
    return read(path, loadPcm ? PcmMode::Whole : PcmMode::None, parseId3, capturePictures, track, audio);
}

ReadResult WaveFile::read(const std::filesystem::path &path, PcmMode pcm, bool parseId3, bool capturePictures,
                          TrackRead &track, DecodedAudio &audio)
{
    m_pcmLayout.reset();
    m_noSamplesReason.clear();
    BinaryFile file;
    WaveFormat format;
    WaveWalk walk(file, audio, track, parseId3, capturePictures);
    if (ReadResult status = walkFile(path, format, walk); !status.ok())
        return status;
    const std::uint64_t fileSize = file.size();
    file.close();

    // Every byte outside the data chunk counts as tag data, once the tags turn out to hold
    // something, which the caller finds out.
    if (parseId3 && fileSize > audio.rawLength)
        audio.extraSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(fileSize - audio.rawLength, 0xFFFFFFFFu));
    audio.extraSizeNeedsTags = true;

    if (!walk.data)
        return ReadResult::success();
    PcmLayout layout{walk.data->dataPos(),  walk.data->size,   format.channels, static_cast<int>(format.sampleRate),
                     format.sampleFormat(), format.channelMask};
    if (walk.data->size == kUnknownDataSize)
        layout.dataLength = fileSize > layout.dataPos ? fileSize - layout.dataPos : 0;
    else if (!walk.data->completeIn(fileSize))
        return ReadResult::failure(ReadStatus::CutShort,
                                   "WAV: the audio data is cut short ("
                                       + std::to_string(fileSize - std::min(fileSize, layout.dataPos)) + " of "
                                       + std::to_string(walk.data->size) + " bytes)");
    if (pcm == PcmMode::None)
        return ReadResult::success();
    if (!layout.convertible()) {
        m_noSamplesReason = "WAV: "
            + (layout.format.valid() ? std::string("samples the encoder cannot take") : codingName(format.coding));
        return ReadResult::success();
    }
    return deliverPcm(path, layout, pcm, audio, m_pcmLayout);
}

namespace {

// The size of the file at path once a walk has taken it as WAV; nothing when it does not. The
// tag chunk itself is found again by the chunk writer.
std::optional<std::uint64_t> walkedWaveSize(const std::filesystem::path &path)
{
    BinaryFile file;
    DecodedAudio audio;
    TrackRead unused;
    WaveFormat format;
    WaveWalk walk(file, audio, unused, false, false);
    if (!walkFile(path, format, walk).ok())
        return std::nullopt;
    return file.size();
}

} // namespace

WriteResult WaveFile::writeTags(const std::filesystem::path &path, const TagChanges &changes)
{
    const std::optional<std::uint64_t> fileSize = walkedWaveSize(path);
    if (!fileSize)
        return WriteResult::failure();
    return rewriteId3Chunk(path, kTagStyle, *fileSize, changes);
}

RetagPlan WaveFile::planTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    const std::optional<std::uint64_t> fileSize = walkedWaveSize(path);
    if (!fileSize)
        return RetagPlan::failed();
    return planId3Chunk(source, kTagStyle, *fileSize, changes);
}

} // namespace tunvale::formats
