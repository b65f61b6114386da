#include "formats/aiff/aiff_file.h"

#include "formats/audio/byte_reader.h"
#include "formats/container/chunk_table.h"
#include "formats/id3v2/id3v2_chunk.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::formats {

namespace {

// The format version of AIFF-C Version 1 (1990-05-23), the only one defined.
constexpr std::uint32_t kAifcVersion1 = 0xA2805140u;
// COMM: channels (2), frames (4), bits (2), rate (10), and for AIFF-C the compression type (4).
constexpr std::size_t kCommBytes = 18;
constexpr std::size_t kAifcCommBytes = 22;

bool isId3Chunk(const FourCC &id)
{
    return sameId(id, "ID3 ");
}

// An unknown chunk id, which every IFF reader skips, marks a superseded tag chunk.
const TagChunkStyle kTagStyle{ByteOrder::Big, fourCC("ID3 "), fourCC("FLLR"), &isId3Chunk};

ReadResult unsupported(const char *detail)
{
    return ReadResult::failure(ReadStatus::Unsupported, detail);
}

std::string_view asChars(const std::uint8_t *bytes, std::size_t count)
{
    return std::string_view(reinterpret_cast<const char *>(bytes), count);
}

// What the chunk interpreters read into.
struct AiffWalk {
    AiffWalk(BinaryFile &openFile, DecodedAudio &audioOut, bool readTag) : file(openFile), audio(audioOut), keepTag(readTag) {}

    BinaryFile &file;
    DecodedAudio &audio;
    bool keepTag;                     // read the tag chunk's bytes
    bool aifc = false;
    bool haveComm = false;
    PcmLayout sound;                  // the first COMM's description of the samples
    std::optional<PcmLayout> samples; // where the first usable SSND's samples lie
    bool haveId3 = false;
    std::uint32_t id3Size = 0;        // rounded up to even
    std::vector<std::uint8_t> id3Bytes;
};

// The form type: AIFF or AIFC. A file too short for a chunk header is read, with nothing found.
ReadResult readFormType(BinaryFile &file, bool &aifc)
{
    std::uint8_t head[12];
    const std::size_t got = file.readAt(0, head, sizeof head);
    if (got < 8)
        return ReadResult::success();
    const std::string_view type = got < 12 ? std::string_view() : asChars(head + 8, 4);
    if (asChars(head, 4) != "FORM" || (type != "AIFF" && type != "AIFC"))
        return ReadResult::failure(ReadStatus::NotThisFormat, "AIFF: not an AIFF or AIFF-C file");
    aifc = type == "AIFC";
    return ReadResult::success();
}

// How AIFF-C stores samples of each compression type it reads (AIFF-C 1991 and the types
// Apple's tools write): integers in either byte order, floats, and G.711. Any other type is a
// compressed coding the program does not read.
struct Compression {
    std::string_view type;
    SampleCoding coding;
    ByteOrder order;
    int bytes; // 0: from the sample size
};
constexpr Compression kCompressions[] = {
    {"NONE", SampleCoding::Signed, ByteOrder::Big, 0},    {"twos", SampleCoding::Signed, ByteOrder::Big, 0},
    {"sowt", SampleCoding::Signed, ByteOrder::Little, 0}, {"raw ", SampleCoding::Unsigned, ByteOrder::Big, 0},
    {"in24", SampleCoding::Signed, ByteOrder::Big, 3},    {"in32", SampleCoding::Signed, ByteOrder::Big, 4},
    {"23ni", SampleCoding::Signed, ByteOrder::Little, 3}, {"42ni", SampleCoding::Signed, ByteOrder::Little, 4},
    {"fl32", SampleCoding::Float, ByteOrder::Big, 4},     {"FL32", SampleCoding::Float, ByteOrder::Big, 4},
    {"fl64", SampleCoding::Float, ByteOrder::Big, 8},     {"FL64", SampleCoding::Float, ByteOrder::Big, 8},
    {"alaw", SampleCoding::ALaw, ByteOrder::Big, 1},      {"ALAW", SampleCoding::ALaw, ByteOrder::Big, 1},
    {"ulaw", SampleCoding::MuLaw, ByteOrder::Big, 1},     {"ULAW", SampleCoding::MuLaw, ByteOrder::Big, 1},
};

const Compression *compressionOf(std::string_view type)
{
    for (const Compression &compression : kCompressions) {
        if (compression.type == type)
            return &compression;
    }
    return nullptr;
}

// The first COMM only. AIFF-C: the compression types of kCompressions are read.
ReadResult readComm(AiffWalk &walk, const Chunk &chunk)
{
    if (walk.haveComm)
        return ReadResult::success();
    walk.haveComm = true;
    std::uint8_t comm[kAifcCommBytes] = {};
    const std::size_t want = std::min<std::size_t>(chunk.size, sizeof comm);
    const std::size_t have = walk.file.readAt(chunk.dataPos(), comm, want);
    const Compression *compression = &kCompressions[0];
    if (walk.aifc && chunk.size > kCommBytes) {
        compression = have < kAifcCommBytes ? nullptr : compressionOf(asChars(comm + kCommBytes, 4));
        if (compression == nullptr)
            return unsupported("AIFF: compressed samples");
    }
    if (have < kCommBytes)
        return ReadResult::success();   // too short to describe the sound: not convertible
    ByteReader reader(ByteSpan(comm, have));
    std::uint16_t channels = 0;
    std::uint32_t frames = 0;
    std::uint16_t bits = 0;
    std::uint32_t rate = 0;
    reader.readU16BE(channels);
    reader.readU32BE(frames);
    reader.readU16BE(bits);
    reader.readExtended80(rate);
    PcmLayout &sound = walk.sound;
    sound.channels = channels;
    sound.sampleRate = static_cast<int>(std::min<std::uint32_t>(rate, 0x7FFFFFFF));
    sound.format.coding = compression->coding;
    sound.format.order = compression->order;
    // Samples of 1 to 8 bits are stored in one byte, 9 to 16 in two ..., left-justified.
    sound.format.bytesPerSample = compression->bytes != 0 ? compression->bytes : (bits + 7) / 8;
    if (!sound.convertible())
        return ReadResult::success();
    walk.audio.channels = channels;
    walk.audio.sampleRate = static_cast<std::int32_t>(rate);
    walk.audio.bitsPerSample = sound.format.coding == SampleCoding::Signed ? sound.format.bytesPerSample * 8 : bits;
    return ReadResult::success();
}

// The first SSND whose offset and block size fields can be read.
ReadResult readSoundData(AiffWalk &walk, const Chunk &chunk)
{
    std::uint8_t fields[8];
    if (walk.samples || chunk.size < 8 || walk.file.readAt(chunk.dataPos(), fields, 8) != 8)
        return ReadResult::success();
    // The offset field puts the first sample further in (AIFF §"Sound Data Chunk").
    ByteReader reader(ByteSpan(fields, sizeof fields));
    std::uint32_t offset = 0;
    reader.readU32BE(offset);
    const std::uint64_t room = chunk.size - 8u;
    const std::uint64_t skipped = std::min<std::uint64_t>(offset, room);
    PcmLayout samples;
    samples.dataPos = chunk.dataPos() + 8 + skipped;
    samples.dataLength = room - skipped;
    walk.samples = samples;
    return ReadResult::success();
}

// The first "ID3 " chunk is the file's tag chunk; it is read when it starts with a tag.
ReadResult readId3(AiffWalk &walk, const Chunk &chunk)
{
    if (walk.haveId3)
        return ReadResult::success();
    walk.haveId3 = true;
    std::uint8_t magic[3] = {};
    if (!walk.keepTag || walk.file.readAt(chunk.dataPos(), magic, 3) != 3 || asChars(magic, 3) != "ID3"
        || chunk.size > kMaxTagChunkBytes)
        return ReadResult::success();
    walk.id3Size = static_cast<std::uint32_t>(std::min<std::uint64_t>(paddedSize(chunk.size), 0xFFFFFFFFu));
    if (!walk.file.readExact(chunk.dataPos(), chunk.size, walk.id3Bytes))
        walk.id3Size = 0;   // a short read drops the tag
    return ReadResult::success();
}

ReadResult readVersion(AiffWalk &walk, const Chunk &chunk)
{
    std::uint8_t version[4];
    if (chunk.size < 4 || walk.file.readAt(chunk.dataPos(), version, 4) != 4 || loadU32BE(version) != kAifcVersion1)
        return unsupported("AIFF: unknown AIFF-C version");
    return ReadResult::success();
}

constexpr ChunkRule<AiffWalk> kChunkRules[] = {
    {"COMM", &readComm},
    {"SSND", &readSoundData},
    {"ID3 ", &readId3},
    {"FVER", &readVersion},
};

// Opens the file, checks its form type and interprets its chunks into walk.
ReadResult walkFile(const std::filesystem::path &path, AiffWalk &walk)
{
    if (ReadResult status = openContainer(walk.file, path, walk.audio); !status.ok())
        return status;
    if (ReadResult status = readFormType(walk.file, walk.aifc); !status.ok())
        return status;
    ChunkTable table;
    if (!table.read(walk.file, ByteOrder::Big, 12))
        return ReadResult::failure(ReadStatus::NoMemory);
    return interpretChunks<AiffWalk>(table, kChunkRules, IdMatch::Exact, walk);
}

// The layout of the samples the walk found.
PcmLayout samplesLayout(const AiffWalk &walk)
{
    PcmLayout layout = walk.sound;
    layout.dataPos = walk.samples->dataPos;
    layout.dataLength = walk.samples->dataLength;
    return layout;
}

} // namespace

ReadResult AiffFile::read(const std::filesystem::path &path, bool loadPcm, bool capturePictures, TrackRead &track,
                          DecodedAudio &audio)
{
    return read(path, loadPcm ? PcmMode::Whole : PcmMode::None, capturePictures, track, audio);
}

ReadResult AiffFile::read(const std::filesystem::path &path, PcmMode pcm, bool capturePictures, TrackRead &track,
                          DecodedAudio &audio)
{
    m_pcmLayout.reset();
    BinaryFile file;
    AiffWalk walk(file, audio, true);
    if (ReadResult status = walkFile(path, walk); !status.ok())
        return status;
    const std::uint64_t fileSize = file.size();
    file.close();

    if (walk.samples && !fitsWithin(walk.samples->dataPos, walk.samples->dataLength, fileSize)) {
        const std::uint64_t held = fileSize - std::min(fileSize, walk.samples->dataPos);
        return ReadResult::failure(ReadStatus::CutShort,
                                   "AIFF: the sound data is cut short (" + std::to_string(held) + " of "
                                       + std::to_string(walk.samples->dataLength) + " bytes)");
    }
    if (pcm != PcmMode::None) {
        if (!walk.sound.convertible() || !walk.samples) {
            audio.rawLength = audio.byteLength = 0;
            audio.channels = audio.sampleRate = audio.bitsPerSample = 0;
            return unsupported("AIFF: no audio the conversion can use");
        }
        if (ReadResult status = deliverPcm(path, samplesLayout(walk), pcm, audio, m_pcmLayout); !status.ok())
            return status;
    }
    if (walk.id3Bytes.empty())
        return ReadResult::success();
    if (ParseId3v2Tag(walk.id3Bytes, walk.id3Size, track.tags, capturePictures ? &track.pictures : nullptr) == 0) {
        audio.pcm.clear();
        m_pcmLayout.reset();
        return ReadResult::failure(ReadStatus::Damaged, "AIFF: ID3 tag larger than its chunk");
    }
    audio.extraSize = walk.id3Size;
    return ReadResult::success();
}

namespace {

bool asksNothing(const TagChanges &changes)
{
    return changes.title.empty() && changes.artist.empty() && changes.track <= 0 && !changes.removePictures;
}

// The size of the file at path once a walk has taken it as AIFF; nothing when it does not.
// The tag chunk itself is found again by the chunk writer.
std::optional<std::uint64_t> walkedAiffSize(const std::filesystem::path &path)
{
    BinaryFile file;
    DecodedAudio audio;
    AiffWalk walk(file, audio, false);
    if (!walkFile(path, walk).ok())
        return std::nullopt;
    return file.size();
}

} // namespace

WriteResult AiffFile::writeTags(const std::filesystem::path &path, const TagChanges &changes)
{
    if (asksNothing(changes))
        return WriteResult::success();
    const std::optional<std::uint64_t> fileSize = walkedAiffSize(path);
    if (!fileSize)
        return WriteResult::failure();
    return rewriteId3Chunk(path, kTagStyle, *fileSize, changes);
}

RetagPlan AiffFile::planTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    if (asksNothing(changes))
        return RetagPlan::unchanged();
    const std::optional<std::uint64_t> fileSize = walkedAiffSize(path);
    if (!fileSize)
        return RetagPlan::failed();
    return planId3Chunk(source, kTagStyle, *fileSize, changes);
}

} // namespace tunvale::formats
