// The AIFF / AIFF-C container on hand-built files: COMM and its sample formats, FVER, the
// "ID3 " chunk, sample loading and streaming, malformed files and the tag chunk rewrite.

#include "formats/aiff/aiff_format.h"
#include "formats/aiff/aiff_file.h"

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

// Big-endian 16-bit samples 1, -2, 3, -4, ... times 300.
std::string samplesBE(std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const int v = static_cast<int>(i + 1) * 300 * (i % 2 ? -1 : 1);
        out += be16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v % 32000)));
    }
    return out;
}

class AiffContainerTest : public ::testing::Test, protected testing::ReaderRecords {
protected:
    std::filesystem::path write(const std::string &name, const std::string &bytes)
    {
        const auto path = m_dir / name;
        writeFile(path, bytes);
        return path;
    }

    ReadStatus read(const std::filesystem::path &path, bool loadPcm = false)
    {
        return readWith(path, kNoNameTags.tagsFromName,
                        [&](TrackRead &read, DecodedAudio &audio) {
                            return AiffFile().read(path, loadPcm, true, read, audio);
                        })
            .status;
    }
    PcmOpening openAiffPcm(const std::filesystem::path &path) { return openPcm(OpenAiffPcm, path, kNoNameTags); }

    TempDir m_dir;
};

const std::string kTag = id3Tag(id3Frame("TIT2", latin1("Aiff Title")) + id3Frame("TRCK", latin1("2/8")));

TEST_F(AiffContainerTest, ReadsTagsAndFormat)
{
    struct Case {
        const char *name;
        std::string file;
        ReadStatus status;
        int bits;        // bitsPerSample after the read
        int rate;
        bool tagRead;
    };
    const std::string ssnd = chunkBE("SSND", ssndData(samplesBE(8)));
    const std::string id3 = chunkBE("ID3 ", kTag);
    const std::string fver = chunkBE("FVER", be32(0xA2805140));
    const Case cases[] = {
        {"plain AIFF", aiffFile("AIFF", chunkBE("COMM", commData(2, 4, 16, 44100)) + ssnd + id3), ReadStatus::Ok, 16,
         44100, true},
        {"AIFF-C NONE", aiffFile("AIFC", fver + chunkBE("COMM", commData(2, 4, 16, 44100, "NONE")) + ssnd + id3),
         ReadStatus::Ok, 16, 44100, true},
        {"AIFF-C compressed", aiffFile("AIFC", fver + chunkBE("COMM", commData(2, 4, 16, 44100, "ima4")) + ssnd + id3),
         ReadStatus::Unsupported, 0, 0, false},
        {"AIFF-C sowt", aiffFile("AIFC", fver + chunkBE("COMM", commData(2, 4, 16, 44100, "sowt")) + ssnd + id3),
         ReadStatus::Ok, 16, 44100, true},
        {"AIFF-C short COMM without type",
         aiffFile("AIFC", fver + chunkBE("COMM", commData(2, 4, 16, 44100)) + ssnd + id3), ReadStatus::Ok, 16, 44100,
         true},
        {"bogus FVER",
         aiffFile("AIFC", chunkBE("FVER", be32(1)) + chunkBE("COMM", commData(2, 4, 16, 44100, "NONE")) + id3),
         ReadStatus::Unsupported, 0, 0, false},
        {"FVER cut short", aiffFile("AIFF", chunkBE("COMM", commData(2, 4, 16, 44100)) + chunkBE("FVER", "\xA2\x80")),
         ReadStatus::Unsupported, 16, 44100, false},
        {"12-bit samples", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 12, 22050)) + id3), ReadStatus::Ok, 16,
         22050, true},
        {"20-bit samples", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 20, 48000)) + id3), ReadStatus::Ok, 24,
         48000, true},
        {"8-bit samples", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 8, 44100)) + ssnd + id3), ReadStatus::Ok, 8,
         44100, true},
        {"8000 Hz", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 16, 8000)) + id3), ReadStatus::Ok, 16, 8000, true},
        {"rate below what the encoder resamples: tags only",
         aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 16, 500)) + id3), ReadStatus::Ok, 0, 0, true},
        {"COMM cut short", aiffFile("AIFF", chunkBE("COMM", "\0\x02") + id3), ReadStatus::Ok, 0, 0, true},
        {"not a FORM", "RIFF" + be32(4) + "AIFF" + id3, ReadStatus::NotThisFormat, 0, 0, false},
        {"other form type", aiffFile("8SVX", id3), ReadStatus::NotThisFormat, 0, 0, false},
        {"zero-byte file", "", ReadStatus::Empty, 0, 0, false},
        {"shorter than a chunk header", "FORM", ReadStatus::Ok, 0, 0, false},
        {"form type cut short", "FORM" + be32(4) + "AI", ReadStatus::NotThisFormat, 0, 0, false},
        {"tag larger than its chunk", aiffFile("AIFF", chunkBE("ID3 ", kTag.substr(0, 20))), ReadStatus::Damaged, 0, 0,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("case.aiff", c.file);
        EXPECT_EQ(read(path), c.status);
        EXPECT_EQ(decodedAudio().bitsPerSample, c.bits);
        EXPECT_EQ(decodedAudio().sampleRate, c.rate);
        EXPECT_EQ(currentTags().Title.view(), c.tagRead ? "Aiff Title" : "");
        EXPECT_EQ(currentTags().Track, c.tagRead ? 2 : 0);
        EXPECT_EQ(load(ReadAiffTags, path, kNoNameTags).status, c.status);
    }
    EXPECT_EQ(read(m_dir / "missing.aiff"), ReadStatus::CannotOpen);
}

TEST_F(AiffContainerTest, ChunkWalkOddSizesAndForeignId3Chunks)
{
    // An odd "ID3 " chunk (pad byte follows), then a chunk whose data is not a tag, then COMM.
    const std::string oddTag = id3Tag(id3Frame("TPE1", latin1("Odd")), 3, 1);
    ASSERT_EQ(oddTag.size() % 2, 1u);
    const auto path = write("odd.aiff", aiffFile("AIFF", chunkBE("NAME", "abc") + chunkBE("ID3 ", oddTag)
        + chunkBE("ID3 ", "not a tag") + chunkBE("COMM", commData(1, 4, 16, 44100)) + chunkBE("SSND", ssndData(samplesBE(4)))));
    ASSERT_EQ(read(path, true), ReadStatus::Ok);
    EXPECT_EQ(currentTags().Artist.view(), "Odd");
    EXPECT_EQ(decodedAudio().extraSize, oddTag.size() + 1);
    EXPECT_EQ(decodedAudio().channels, 1);
    EXPECT_EQ(decodedAudio().byteLength, 8u);

    const auto foreign = write("foreign.aiff", aiffFile("AIFF", chunkBE("ID3 ", "not a tag!") + chunkBE("COMM", commData(1, 4, 16, 44100))
        + chunkBE("ID3 ", kTag)));
    ASSERT_EQ(read(foreign), ReadStatus::Ok);
    EXPECT_EQ(currentTags().Title.view(), "");   // the first "ID3 " chunk is the file's tag chunk
    EXPECT_EQ(decodedAudio().sampleRate, 44100);
}

TEST_F(AiffContainerTest, SamplesAreSwappedReducedAndHalved)
{
    // 16-bit mono 44100: swapped to little-endian values.
    auto path = write("s16.aiff", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 16, 44100)) + chunkBE("SSND", ssndData(samplesBE(4)))));
    ASSERT_EQ(read(path, true), ReadStatus::Ok);
    EXPECT_EQ(decodedAudio().pcm, (std::vector<std::int16_t>{300, -600, 900, -1200}));

    // 24-bit stereo 88200: upper 16 bits kept, two frames averaged into one, rate halved.
    std::string s24;
    for (const int v : {1000, -1000, 3000, -3000, 5000, 6000, 7000, 8000})
        s24 += be16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))) + "\x55";
    path = write("s24.aiff", aiffFile("AIFF", chunkBE("COMM", commData(2, 4, 24, 88200)) + chunkBE("SSND", ssndData(s24, 4))));
    ASSERT_EQ(read(path, true), ReadStatus::Ok);
    EXPECT_EQ(decodedAudio().sampleRate, 44100);
    EXPECT_EQ(decodedAudio().bitsPerSample, 16);
    EXPECT_EQ(decodedAudio().rawLength, 24u);
    EXPECT_EQ(decodedAudio().byteLength, 8u);
    EXPECT_EQ(decodedAudio().pcm, (std::vector<std::int16_t>{2000, -2000, 6000, 7000}));

    // Samples asked for without a convertible COMM or without SSND: no audio the conversion
    // can use.
    path = write("nossnd.aiff", aiffFile("AIFF", chunkBE("COMM", commData(1, 4, 16, 44100))));
    EXPECT_EQ(read(path, true), ReadStatus::Unsupported);
    EXPECT_EQ(decodedAudio().channels, 0);
    const PcmOpening opening = openAiffPcm(path);
    EXPECT_EQ(opening.source, nullptr);
    EXPECT_EQ(opening.status.status, ReadStatus::Unsupported);
    EXPECT_FALSE(opening.sourceFailed);
}

TEST_F(AiffContainerTest, StreamDeliversTheWholeBufferValues)
{
    struct Case {
        int channels, rate, bits;
        std::size_t bytes;
    };
    const Case cases[] = {{2, 44100, 16, 40000}, {1, 96000, 24, 30003}, {2, 88200, 24, 60000}, {1, 32000, 12, 7002}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << "ch " << c.rate << " " << c.bits << "-bit");
        std::string data;
        for (std::size_t i = 0; i < c.bytes; ++i)
            data += static_cast<char>((i * 104729 + i / 5) & 0xFF);
        const auto path = write("stream.aiff", aiffFile("AIFF", chunkBE("COMM", commData(c.channels, 0, c.bits, static_cast<std::uint32_t>(c.rate)))
            + chunkBE("SSND", ssndData(data)) + chunkBE("ID3 ", kTag)));
        ASSERT_EQ(read(path, true), ReadStatus::Ok);
        const std::vector<std::int16_t> whole = decodedAudio().pcm;
        EXPECT_EQ(decodedAudio().byteLength, whole.size() * 2);
        PcmOpening opening = openAiffPcm(path);
        PcmSource *source = opening.source.get();
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(currentTags().Title.view(), "Aiff Title");
        EXPECT_EQ(source->totalValues(), whole.size());
        std::vector<std::int16_t> streamed(whole.size() + 10);
        std::size_t got = 0;
        while (const std::size_t n = source->read(streamed.data() + got, std::min<std::size_t>(777, streamed.size() - got)))
            got += n;
        streamed.resize(got);
        EXPECT_FALSE(source->failed());
        EXPECT_EQ(streamed, whole);
    }
}

TEST_F(AiffContainerTest, NothingToWriteDoesNotOpenTheFile)
{
    EXPECT_EQ(callWriter(WriteAiffTags, m_dir / "does-not-exist.aiff", u"", u"", 0, 0, false), 1);
    EXPECT_EQ(callWriter(WriteAiffTags, m_dir / "does-not-exist.aiff", u"T", u"", 0, 0, false), 0);
}

TEST_F(AiffContainerTest, RewriteKeepsTheStructureValid)
{
    const std::string comm = chunkBE("COMM", commData(2, 100, 16, 44100));
    const std::string ssnd = chunkBE("SSND", ssndData(samplesBE(200)));
    const std::string bigTag = id3Tag(id3Frame("TALB", latin1("Album")), 3, 300);
    const std::string smallTag = id3Tag(id3Frame("TALB", latin1("Album")));
    struct Case {
        const char *name;
        std::string file;
        std::string layoutAfter;
    };
    const Case cases[] = {
        {"no tag", aiffFile("AIFF", comm + ssnd + chunkBE("ANNO", "note")), "COMM,SSND,ANNO,ID3 "},
        {"tag last", aiffFile("AIFF", comm + ssnd + chunkBE("ID3 ", smallTag)), "COMM,SSND,ID3 "},
        {"larger tag in the middle", aiffFile("AIFF", comm + chunkBE("ID3 ", bigTag) + ssnd), "COMM,ID3 ,SSND"},
        {"smaller tag in the middle", aiffFile("AIFC", chunkBE("FVER", be32(0xA2805140)) + chunkBE("COMM", commData(2, 100, 16, 44100, "NONE"))
            + chunkBE("ID3 ", smallTag) + ssnd), "FVER,COMM,FLLR,SSND,ID3 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write("copy.aiff", c.file);
        ASSERT_EQ(callWriter(WriteAiffTags, path, u"Titre", u"Artiste", 3, 0, false), 1);
        const std::string after = readBytes(path);
        ASSERT_GE(after.size(), 12u);
        EXPECT_EQ(loadU32BE(reinterpret_cast<const std::uint8_t *>(after.data() + 4)), after.size() - 8);
        std::string layout;
        std::size_t pos = 12;
        while (pos + 8 <= after.size()) {
            const std::uint32_t size = loadU32BE(reinterpret_cast<const std::uint8_t *>(after.data() + pos + 4));
            layout += (layout.empty() ? "" : ",") + after.substr(pos, 4);
            if (after.substr(pos, 4) == "SSND") {
                EXPECT_EQ(after.substr(pos + 16, size - 8), samplesBE(200));
            }
            pos += 8 + size + (size & 1);
        }
        EXPECT_EQ(pos, after.size());
        EXPECT_EQ(layout, c.layoutAfter);
        ASSERT_EQ(read(path, true), ReadStatus::Ok);
        EXPECT_EQ(currentTags().Title.view(), "Titre");
        EXPECT_EQ(currentTags().Artist.view(), "Artiste");
        EXPECT_EQ(currentTags().Track, 3);
        EXPECT_EQ(decodedAudio().byteLength, 400u);
    }
}

} // namespace
} // namespace tunvale::formats
