// The WAV container on hand-built files: INFO lists, "id3 " chunks, the format checks,
// sample loading and streaming, malformed chunk structures and the tag chunk rewrite.

#include "formats/wav/wave_file.h"
#include "formats/wav/wave_format.h"

#include "formats/audio/byte_reader.h"
#include "formats/reader_records.h"
#include "formats/riff_fixtures.h"
#include "support/temp_dir.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>

namespace tunvale::formats {
namespace {

using tunvale::testing::callWriter;

using namespace tunvale::testing::riff;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

const catalog::LoadOptions kNoNameTags{false, true};

// 16-bit little-endian samples 0, 1000, -1000, 2000, ... (count values).
std::string samples16(std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::int16_t>((i % 2 ? -1 : 1) * static_cast<int>(i) * 1000 % 30000);
        out += le16(static_cast<std::uint16_t>(v));
    }
    return out;
}

class WavContainerTest : public ::testing::Test, protected testing::ReaderRecords {
protected:
    std::filesystem::path write(const std::string &name, const std::string &bytes)
    {
        const auto path = m_dir / name;
        writeFile(path, bytes);
        return path;
    }

    ReadResult parse(const std::filesystem::path &path, bool loadPcm = false)
    {
        return readWith(path, kNoNameTags.tagsFromName, [&](TrackRead &read, DecodedAudio &audio) {
            return WaveFile().read(path, loadPcm, true, true, read, audio);
        });
    }
    PcmOpening openWavePcm(const std::filesystem::path &path) { return openPcm(OpenWavePcm, path, kNoNameTags); }

    TempDir m_dir;
};

TEST_F(WavContainerTest, InfoListFillsTheFields)
{
    const auto path = write("info.wav", wavFile(chunkLE("fmt ", pcmFormat(2, 44100, 16)) + chunkLE("data", samples16(8))
        + infoList({{"INAM", "Song"}, {"IART", "Band"}, {"ICRD", "2004-05-06"}, {"ITRK", "07"}, {"IGNR", "Rock"}})));
    ASSERT_TRUE(parse(path).ok());
    EXPECT_EQ(currentTags().Title.view(), "Song");
    EXPECT_EQ(currentTags().Artist.view(), "Band");
    EXPECT_EQ(currentTags().Year, 2004);
    EXPECT_EQ(currentTags().Track, 7);
    EXPECT_EQ(currentTags().Genre.view(), "Rock");
}

TEST_F(WavContainerTest, InfoListRules)
{
    struct Case {
        const char *name;
        std::string list;
        const char *title;
        const char *comment;
    };
    const Case cases[] = {
        {"comment becomes the missing title", infoList({{"ICMT", "Live"}}), "Live", "Live"},
        {"first INAM wins", infoList({{"INAM", "First"}, {"INAM", "Second"}}), "First", ""},
        {"odd sizes without pad bytes", chunkLE("LIST", "INFO" + chunkLE("IENG", "abc", false) + chunkLE("INAM", "Odd", false)), "Odd", ""},
        {"text over 1024 bytes unused", infoList({{"INAM", std::string(1025, 'x')}, {"ICMT", "C"}}), "C", "C"},
        {"sub-chunk running past the list unused",
         chunkLE("LIST", "INFO" + std::string("INAM") + le32(50) + "short"), "", ""},
        {"adtl lists are read too", chunkLE("LIST", "adtl" + chunkLE("INAM", "Adtl")), "Adtl", ""},
        {"other list types are not", chunkLE("LIST", "exif" + chunkLE("INAM", "Exif")), "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("rules.wav", wavFile(chunkLE("fmt ", pcmFormat(1, 44100, 16)) + chunkLE("data", samples16(4)) + c.list));
        ASSERT_TRUE(parse(path).ok());
        EXPECT_EQ(currentTags().Title.view(), c.title);
        EXPECT_EQ(currentTags().Comment.view(), c.comment);
    }
}

TEST_F(WavContainerTest, ValuesReadBeforeAListSurvive)
{
    const std::string tag = id3Tag(id3Frame("TIT2", latin1("From ID3")) + id3Frame("TRCK", latin1("4")));
    const auto path = write("order.wav", wavFile(chunkLE("fmt ", pcmFormat(1, 44100, 16)) + chunkLE("id3 ", tag)
        + infoList({{"INAM", "From INFO"}, {"IART", "Info Artist"}, {"ITRK", "9"}}) + chunkLE("data", samples16(4))
        + chunkLE("LIST", "adtl" + chunkLE("labl", "xxxxxxxx"))));
    ASSERT_TRUE(parse(path).ok());
    EXPECT_EQ(currentTags().Title.view(), "From ID3");
    EXPECT_EQ(currentTags().Artist.view(), "Info Artist");
    EXPECT_EQ(currentTags().Track, 4);
}

TEST_F(WavContainerTest, OddDataChunkThenId3Chunk)
{
    const std::string tag = id3Tag(id3Frame("TPE1", latin1("After odd data")));
    const auto path = write("odd.wav", wavFile(chunkLE("fmt ", pcmFormat(1, 44100, 16)) + chunkLE("data", "abc") + chunkLE("ID3 ", tag)));
    ASSERT_TRUE(parse(path).ok());
    EXPECT_EQ(currentTags().Artist.view(), "After odd data");
    EXPECT_EQ(decodedAudio().rawLength, 3u);
}

TEST_F(WavContainerTest, ResultCodes)
{
    const std::string fmt = chunkLE("fmt ", pcmFormat(2, 44100, 16));
    struct Case {
        const char *name;
        std::string bytes;
        ReadStatus status;
    };
    const Case cases[] = {
        {"zero-byte file", "", ReadStatus::Empty},
        {"riff header cut short", "RIFF" + le32(4), ReadStatus::CutShort},
        {"not RIFF", "RIFX" + le32(4) + "WAVE" + fmt, ReadStatus::NotThisFormat},
        {"not WAVE", "RIFF" + le32(4) + "AVI " + fmt, ReadStatus::NotThisFormat},
        {"format chunk cut short", wavFile(fmt.substr(0, 20)), ReadStatus::CutShort},
        {"format chunk not first", wavFile(chunkLE("JUNK", "xx") + fmt), ReadStatus::NotThisFormat},
        {"format chunk smaller than 16 bytes",
         wavFile(chunkLE("fmt ", pcmFormat(2, 44100, 16).substr(0, 14)) + "padding-bytes"), ReadStatus::CutShort},
        {"format extension past the end", "RIFF" + le32(100) + "WAVE" + "fmt " + le32(40) + pcmFormat(2, 44100, 16),
         ReadStatus::CutShort},
        {"fact value cut short", wavFile(fmt + "fact" + le32(4) + "ab"), ReadStatus::CutShort},
        {"data size past the file: read", wavFile(fmt + "data" + le32(1000) + "abcd"), ReadStatus::Ok},
        {"chunk size above the RIFF size ends the walk", "RIFF" + le32(40) + "WAVE" + fmt + "LIST" + le32(0x7FFFFFFF),
         ReadStatus::Ok},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = parse(write("code.wav", c.bytes), true);
        EXPECT_EQ(result.status, c.status);
        // A refusal names the format and what it met, except for a file that holds nothing.
        if (c.status != ReadStatus::Ok && c.status != ReadStatus::Empty) {
            EXPECT_EQ(result.detail.rfind("WAV: ", 0), 0u) << result.detail;
        }
    }
    const ReadResult missing = parse(m_dir / "missing.wav");
    EXPECT_EQ(missing.status, ReadStatus::CannotOpen);
    EXPECT_EQ(statusText(missing), "not found");
}

// Every coding is read for its tags; those the conversion does not read (compressed ones, a
// rate the encoder cannot resample) leave no audio, and no failure of the file.
TEST_F(WavContainerTest, OtherCodingsAreReadForTags)
{
    const std::string tag = id3Tag(id3Frame("TIT2", latin1("Float")));
    struct Case {
        const char *name;
        std::string format;
        bool convertible;
    };
    // An extensible format chunk: the 16 common bytes, cbSize 22, valid bits, channel mask, sub-format.
    const std::string floatGuid("\x03\0\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 16);
    const std::string adpcmGuid("\x11\0\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 16);
    const Case cases[] = {
        {"32-bit float", pcmFormat(2, 44100, 32, 3), true},
        {"8-bit", pcmFormat(2, 44100, 8), true},
        {"three channels", pcmFormat(3, 44100, 16), true},
        {"11025 Hz", pcmFormat(1, 11025, 16), true},
        {"extensible float sub-format", pcmFormat(2, 44100, 32, 0xFFFE) + le16(22) + le16(32) + le32(3) + floatGuid,
         true},
        {"a-law tag", pcmFormat(1, 44100, 8, 6), true},
        {"IMA ADPCM", pcmFormat(1, 44100, 4, 0x11), false},
        {"extensible ADPCM sub-format", pcmFormat(1, 44100, 4, 0xFFFE) + le16(22) + le16(4) + le32(4) + adpcmGuid,
         false},
        {"500 Hz", pcmFormat(1, 500, 16), false},
        {"no bits", pcmFormat(1, 44100, 0), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("float.wav", wavFile(chunkLE("fmt ", c.format) + chunkLE("data", samples16(64)) + chunkLE("id3 ", tag)));
        EXPECT_TRUE(load(ReadWaveTags, path, kNoNameTags).ok());
        EXPECT_EQ(currentTags().Title.view(), "Float");
        ASSERT_TRUE(parse(path, true).ok());
        EXPECT_EQ(decodedAudio().byteLength == 0, !c.convertible);
        EXPECT_EQ(decodedAudio().pcm.empty(), !c.convertible);
        const PcmOpening opening = openWavePcm(path);
        EXPECT_EQ(opening.source != nullptr, c.convertible);
        EXPECT_FALSE(opening.sourceFailed); // no usable audio, not a failed source
        EXPECT_EQ(currentTags().Title.view(), "Float");
    }
    EXPECT_EQ(m_catalog.size(), std::size(cases));
}

TEST_F(WavContainerTest, TwentyFourBitHighRateIsReducedAndHalved)
{
    // Stereo 24-bit 96000 Hz, 4 frames: samples (L, R) with upper 16 bits L = 100*k, R = -100*k.
    std::string data;
    for (int k = 1; k <= 4; ++k) {
        for (const int upper : {100 * k, -100 * k}) {
            data += static_cast<char>(0x7F);   // low byte, dropped
            data += le16(static_cast<std::uint16_t>(static_cast<std::int16_t>(upper)));
        }
    }
    const std::string fmt = pcmFormat(2, 96000, 24, 0xFFFE) + le16(22) + le16(24) + le32(3)
        + std::string("\x01\0\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 16);
    const auto path = write("hi.wav", wavFile(chunkLE("fmt ", fmt) + chunkLE("data", data)));
    ASSERT_TRUE(parse(path, true).ok());
    const DecodedAudio &audio = decodedAudio();
    EXPECT_EQ(audio.sampleRate, 48000);
    EXPECT_EQ(audio.bitsPerSample, 16);
    EXPECT_EQ(audio.rawLength, 24u);
    EXPECT_EQ(audio.byteLength, 24u / 3 * 2 / 2);
    // (100 >> 1) + (200 >> 1) = 150; (-100 >> 1) + (-200 >> 1) = -150; then 350 / -350.
    EXPECT_EQ(audio.pcm, (std::vector<std::int16_t>{150, -150, 350, -350}));
}

TEST_F(WavContainerTest, StreamDeliversTheWholeBufferValues)
{
    struct Case {
        int channels, rate, bits;
        std::size_t bytes;
    };
    const Case cases[] = {{2, 44100, 16, 40000}, {1, 22050, 16, 30002}, {2, 96000, 24, 60000}, {1, 88200, 24, 50001},
                          {1, 96000, 16, 20006}, {2, 48000, 24, 6}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << "ch " << c.rate << " " << c.bits << "-bit");
        std::string data;
        for (std::size_t i = 0; i < c.bytes; ++i)
            data += static_cast<char>((i * 7919 + i / 3) & 0xFF);
        const auto path = write("stream.wav", wavFile(chunkLE("fmt ", pcmFormat(c.channels, c.rate, c.bits)) + chunkLE("data", data)));
        ASSERT_TRUE(parse(path, true).ok());
        const std::vector<std::int16_t> whole = decodedAudio().pcm;
        EXPECT_EQ(decodedAudio().byteLength, whole.size() * 2);
        PcmOpening opening = openWavePcm(path);
        ASSERT_NE(opening.source, nullptr);
        EXPECT_TRUE(opening.status.ok());
        PcmSource *source = opening.source.get();
        EXPECT_EQ(source->totalValues(), whole.size());
        EXPECT_EQ(source->sampleRate(), c.rate > 48000 ? c.rate / 2 : c.rate);
        std::vector<std::int16_t> streamed;
        std::int16_t buffer[1002];
        // An odd request size for stereo: the source hands out whole frames only.
        while (const std::size_t n = source->read(buffer, c.channels == 2 ? 1001 : 999)) {
            EXPECT_EQ(n % static_cast<std::size_t>(c.channels), 0u);
            streamed.insert(streamed.end(), buffer, buffer + n);
        }
        EXPECT_FALSE(source->failed());
        EXPECT_EQ(streamed, whole);
    }
}

TEST_F(WavContainerTest, TruncatedDataIsNotLoaded)
{
    const auto path = write("cut.wav", wavFile(chunkLE("fmt ", pcmFormat(2, 44100, 16)) + "data" + le32(4000) + samples16(100)));
    ASSERT_TRUE(parse(path, true).ok());
    EXPECT_EQ(decodedAudio().rawLength, 0u);
    EXPECT_EQ(decodedAudio().byteLength, 0u);
    const PcmOpening opening = openWavePcm(path);
    EXPECT_EQ(opening.source, nullptr);
    EXPECT_FALSE(opening.sourceFailed);
}

// ---- Rewrites ----

struct ChunkView {
    std::string id;
    std::uint32_t size;
    std::string data;
};

// Walks a RIFF file strictly: every chunk complete, the RIFF size equal to the file size - 8.
std::vector<ChunkView> strictChunks(const std::string &file)
{
    std::vector<ChunkView> chunks;
    EXPECT_GE(file.size(), 12u);
    EXPECT_EQ(loadU32LE(reinterpret_cast<const std::uint8_t *>(file.data() + 4)), file.size() - 8);
    std::size_t pos = 12;
    while (pos + 8 <= file.size()) {
        const std::uint32_t size = loadU32LE(reinterpret_cast<const std::uint8_t *>(file.data() + pos + 4));
        EXPECT_LE(pos + 8 + size, file.size());
        if (pos + 8 + size > file.size())
            break;
        chunks.push_back({file.substr(pos, 4), size, file.substr(pos + 8, size)});
        pos += 8 + size + (size & 1);
    }
    EXPECT_EQ(pos, file.size());
    return chunks;
}

std::string ids(const std::vector<ChunkView> &chunks)
{
    std::string out;
    for (const auto &c : chunks)
        out += (out.empty() ? "" : ",") + c.id;
    return out;
}

TEST_F(WavContainerTest, RewritePlacesTheChunkAndKeepsTheOthers)
{
    const std::string fmt = chunkLE("fmt ", pcmFormat(2, 44100, 16));
    const std::string data = chunkLE("data", samples16(200));
    const std::string info = infoList({{"IGNR", "Jazz"}, {"ICMT", "note"}});
    const std::string smallTag = id3Tag(id3Frame("TALB", latin1("Album")));
    const std::string bigTag = id3Tag(id3Frame("TALB", latin1("Album")), 3, 400);
    struct Case {
        const char *name;
        std::string file;
        std::string layoutAfter;
        bool sameSize;
    };
    const Case cases[] = {
        {"no tag: appended after the last chunk", wavFile(fmt + data + info), "fmt ,data,LIST,id3 ", false},
        {"tag last: rewritten and cut", wavFile(fmt + data + info + chunkLE("id3 ", bigTag)), "fmt ,data,LIST,id3 ", false},
        {"larger tag before other chunks: padded in place", wavFile(fmt + chunkLE("id3 ", bigTag) + data + info),
         "fmt ,id3 ,data,LIST", true},
        {"smaller tag before other chunks: old one becomes filler", wavFile(fmt + chunkLE("id3 ", smallTag) + data + info),
         "fmt ,JUNK,data,LIST,id3 ", false},
        {"two tags: the second becomes filler", wavFile(fmt + chunkLE("id3 ", bigTag) + data + chunkLE("ID3 ", smallTag) + info),
         "fmt ,id3 ,data,JUNK,LIST", true},
        {"odd last chunk without its pad byte", wavFile(fmt + data + chunkLE("odd ", "abc", false)), "fmt ,data,odd ,id3 ", false},
        {"stray bytes after the last chunk are dropped", wavFile(fmt + data + info) + "xyz", "fmt ,data,LIST,id3 ", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("copy.wav", c.file);
        ASSERT_EQ(callWriter(WriteWaveTags, path, u"New Title", u"New Artist", 5, 9, false), 1);
        const std::string after = readBytes(path);
        const auto chunks = strictChunks(after);
        EXPECT_EQ(ids(chunks), c.layoutAfter);
        if (c.sameSize) {
            EXPECT_EQ(after.size(), c.file.size());
        }
        // The samples and the INFO list are untouched.
        for (const auto &chunk : chunks) {
            if (chunk.id == "data") {
                EXPECT_EQ(chunk.data, samples16(200));
            }
        }
        ASSERT_TRUE(parse(path).ok());
        EXPECT_EQ(currentTags().Title.view(), "New Title");
        EXPECT_EQ(currentTags().Artist.view(), "New Artist");
        EXPECT_EQ(currentTags().Track, 5);
        EXPECT_EQ(currentTags().TrackTotal, 9);
        if (c.file.find("TALB") != std::string::npos) {
            EXPECT_EQ(currentTags().Album.view(), "Album");
        }
    }
}

TEST_F(WavContainerTest, RewriteRefusalsLeaveTheFileAlone)
{
    const std::string fmt = chunkLE("fmt ", pcmFormat(2, 44100, 16));
    std::string hugeSize = id3Tag(id3Frame("TALB", latin1("Album")));
    const std::string claimsMore = hugeSize.substr(0, 6) + syncsafe(0x0FFFFFFF) + hugeSize.substr(10);
    struct Case {
        const char *name;
        std::string file;
    };
    const Case cases[] = {
        {"old tag size beyond the file", wavFile(fmt + chunkLE("id3 ", claimsMore) + chunkLE("data", samples16(8)))},
        {"data chunk running past the end", wavFile(fmt + "data" + le32(1000) + samples16(8))},
        {"not a WAV", "RIFF" + le32(4) + "AVI "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("refused.wav", c.file);
        EXPECT_EQ(callWriter(WriteWaveTags, path, u"T", u"", 1, 0, false), 0);
        EXPECT_EQ(readBytes(path), c.file);
    }
}

TEST_F(WavContainerTest, RemovingPicturesShrinksALastTag)
{
    const std::string apic = id3Frame("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(3000, 'p'));
    const std::string file = wavFile(chunkLE("fmt ", pcmFormat(1, 44100, 16)) + chunkLE("data", samples16(10))
                                     + chunkLE("id3 ", id3Tag(id3Frame("TIT2", latin1("Keep")) + apic)));
    const auto path = write("pics.wav", file);
    ASSERT_EQ(callWriter(WriteWaveTags, path, u"", u"", 0, 0, true), 1);
    const std::string after = readBytes(path);
    EXPECT_LT(after.size(), file.size() - 3000);
    strictChunks(after);
    ASSERT_TRUE(parse(path).ok());
    EXPECT_EQ(currentTags().Title.view(), "Keep");
    EXPECT_TRUE(pictureTable().empty());
}

} // namespace
} // namespace tunvale::formats
