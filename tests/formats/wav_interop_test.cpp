// WAV files written by sox, ffmpeg and mutagen: samples against ffmpeg's decoding, tags
// written by mutagen, and rewritten copies checked by mutagen and ffprobe.

#include "formats/wav/wave_file.h"
#include "formats/wav/wave_format.h"

#include "catalog/text/codepage.h"
#include "formats/reader_records.h"
#include "formats/riff_fixtures.h"
#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>

namespace tunvale::formats {
namespace {

using tunvale::testing::callWriter;

using namespace tunvale::testing::riff;
using tunvale::testing::TempDir;
using tunvale::testing::ffmpegSamples;
using tunvale::testing::ffprobeSummary;
using tunvale::testing::mutagenSummary;
using tunvale::testing::mutagenTag;
using tunvale::testing::runPython;

const catalog::LoadOptions kNoNameTags{false, true};

struct Source {
    const char *name;
    std::string command;   // %s is the output path
    bool convertible;
    int rate;              // after halving
    bool halves = false;
};

const Source kSources[] = {
    {"sox 16-bit stereo 44100", "sox -n -r 44100 -c 2 -b 16 %s synth 0.3 sine 440 sine 660", true, 44100},
    {"sox 16-bit mono 22050", "sox -n -r 22050 -c 1 -b 16 %s synth 0.3 sine 300", true, 22050},
    {"sox 24-bit stereo 96000", "sox -n -r 96000 -c 2 -b 24 %s synth 0.3 sine 440 sine 1000", true, 48000, true},
    {"sox 24-bit mono 88200", "sox -n -r 88200 -c 1 -b 24 %s synth 0.3 sine 440", true, 44100, true},
    {"sox 8-bit 8000 mono", "sox -n -r 8000 -c 1 -b 8 %s synth 0.3 sine 440", true, 8000},
    {"sox 16-bit 11025", "sox -n -r 11025 -c 2 -b 16 %s synth 0.3 sine 440 sine 660", true, 11025},
    {"sox 32-bit integers", "sox -n -r 44100 -c 2 -b 32 %s synth 0.3 sine 440 sine 660", true, 44100},
    {"sox 32-bit float", "sox -n -r 44100 -c 2 -b 32 -e floating-point %s synth 0.3 sine 440", true, 44100},
    {"sox A-law", "sox -n -r 8000 -c 1 -e a-law %s synth 0.3 sine 440", true, 8000},
    {"sox u-law", "sox -n -r 8000 -c 1 -e u-law %s synth 0.3 sine 440", true, 8000},
    {"sox IMA ADPCM", "sox -n -r 8000 -c 1 -e ima-adpcm %s synth 0.3 sine 440", false, 0},
    {"ffmpeg 16-bit", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -ac 2 -c:a pcm_s16le %s", true, 44100},
    {"ffmpeg 24-bit extensible 48000",
     "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3:r=48000 -ac 2 -c:a pcm_s24le %s", true, 48000},
    {"ffmpeg 24-bit extensible 96000 mono", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3:r=96000 -c:a pcm_s24le %s",
     true, 48000, true},
    {"ffmpeg 32-bit float", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a pcm_f32le %s", true, 44100},
    {"ffmpeg 64-bit float", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a pcm_f64le %s", true, 44100},
};

std::string withPath(std::string command, const std::filesystem::path &path)
{
    command.replace(command.find("%s"), 2, quote(path.string()));
    return command;
}

class WavInteropTest : public ::testing::Test, protected testing::ReaderRecords {
protected:
    void SetUp() override
    {
        if (!haveAudioTools())
            GTEST_SKIP() << "sox, ffmpeg, ffprobe or mutagen missing";
    }
    ReadResult parse(const std::filesystem::path &path, bool loadPcm)
    {
        return readWith(path, kNoNameTags.tagsFromName, [&](TrackRead &read, DecodedAudio &audio) {
            return WaveFile().read(path, loadPcm, true, true, read, audio);
        });
    }
    TempDir m_dir;
};

TEST_F(WavInteropTest, SamplesMatchFfmpegAndTheStream)
{
    for (const Source &s : kSources) {
        SCOPED_TRACE(s.name);
        const auto path = m_dir / "in.wav";
        ASSERT_TRUE(shell(withPath(s.command, path)));
        ASSERT_TRUE(parse(path, true).ok());
        const DecodedAudio audio = decodedAudio();   // a copy: the streaming read below refills the record
        PcmOpening opening = openPcm(OpenWavePcm, path, kNoNameTags);
        PcmSource *source = opening.source.get();
        if (!s.convertible) {
            EXPECT_TRUE(audio.pcm.empty());
            EXPECT_EQ(source, nullptr);
            EXPECT_FALSE(opening.sourceFailed);
            continue;
        }
        EXPECT_EQ(audio.sampleRate, s.rate);
        EXPECT_EQ(audio.bitsPerSample, 16);
        // ffmpeg reduces 24-bit samples to their upper 16 bits too.
        std::vector<std::int16_t> reference = ffmpegSamples(path);
        ASSERT_FALSE(reference.empty());
        if (s.halves)
            reference = halved(reference);
        EXPECT_EQ(audio.pcm.size(), reference.size());
        EXPECT_TRUE(audio.pcm == reference);
        EXPECT_EQ(audio.byteLength, audio.pcm.size() * 2);
        ASSERT_NE(source, nullptr);
        std::vector<std::int16_t> streamed(static_cast<std::size_t>(source->totalValues()));
        std::size_t got = 0;
        while (const std::size_t n = source->read(streamed.data() + got, std::min<std::size_t>(4096, streamed.size() - got)))
            got += n;
        EXPECT_EQ(got, streamed.size());
        EXPECT_TRUE(streamed == reference);
    }
}

TEST_F(WavInteropTest, MutagenTagsAreRead)
{
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        const auto path = m_dir / "tagged.wav";
        ASSERT_TRUE(shell(withPath(kSources[0].command, path)));
        ASSERT_TRUE(mutagenTag(path, version, true));
        ASSERT_TRUE(parse(path, false).ok());
        EXPECT_EQ(currentTags().Title.view(), "Old Title");
        EXPECT_EQ(currentTags().Artist.view(), "Old Artist");
        EXPECT_EQ(currentTags().Album.view(), "Album");
        EXPECT_EQ(currentTags().Track, 4);
        EXPECT_EQ(currentTags().TrackTotal, 11);
        EXPECT_EQ(currentTags().Comment.view(), "Info-Live");
        ASSERT_EQ(pictureTable().count(), 1);
        EXPECT_EQ(pictureTable().at(0).data.size(), 70u); // the whole 1x1 PNG
        EXPECT_EQ(pictureTable().at(0).mimeType, "image/png");
    }
}

TEST_F(WavInteropTest, RewrittenCopiesPassMutagenAndFfprobe)
{
    struct Case {
        const char *name;
        int source;        // index into kSources
        int tagVersion;    // 0: no tag before the rewrite
        bool picture;
        bool removePictures;
        std::string title;
        bool listAfterTag;   // the LIST chunk follows the tag chunk, which is then not the last
        bool becomesJunk;    // the old tag chunk is superseded by one at the end
    };
    const Case cases[] = {
        {"untagged 16-bit", 0, 0, false, false, "Neue Stücke", false, false},
        {"v2.3 tag with picture, pictures removed", 0, 3, true, true, "T", false, false},
        {"v2.4 tag, longer title", 2, 4, false, false, "A much longer title than the one before it, well past 128 bytes once in UTF-16 ......", false, false},
        {"v2.3 tag, shorter title", 7, 3, false, false, "S", false, false},
        {"float file", 5, 4, true, false, "Float", false, false},
        {"tag before LIST, new tag fits: padded in place", 0, 3, true, false, "Fits", true, false},
        {"tag before LIST, new tag larger: old one becomes JUNK", 6, 4, false, false, std::string(700, 'L'), true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = m_dir / "copy.wav";
        ASSERT_TRUE(shell(withPath(kSources[c.source].command, path)));
        const auto addList = [&] {
            // A LIST INFO chunk behind the others, as many editors write one.
            ASSERT_EQ(runPython("import sys\n"
                "d = open(sys.argv[1], 'rb').read()\n"
                "l = b'INFO' + b'IGNR' + (5).to_bytes(4, 'little') + b'Jazz\\0\\0'\n"
                "d = d + b'LIST' + len(l).to_bytes(4, 'little') + l\n"
                "d = d[:4] + (len(d) - 8).to_bytes(4, 'little') + d[8:]\n"
                "open(sys.argv[1], 'wb').write(d)\n", {path.string()}), 0);
        };
        if (!c.listAfterTag) {
            addList();
        }
        if (c.tagVersion) {
            ASSERT_TRUE(mutagenTag(path, c.tagVersion, c.picture));
        }
        if (c.listAfterTag) {
            addList();
        }
        const std::vector<std::int16_t> before = ffmpegSamples(path);
        const std::string probeBefore = ffprobeSummary(path);
        ASSERT_EQ(probeBefore.find("error"), std::string::npos) << probeBefore;

        const std::u16string title = text::utf8ToUtf16(c.title);
        const std::size_t sizeBefore = readBytes(path).size();
        ASSERT_EQ(callWriter(WriteWaveTags, path, title, u"Nouvel Artiste", 6, 12, c.removePictures), 1);
        if (c.listAfterTag) {
            EXPECT_EQ(readBytes(path).find("JUNK") != std::string::npos, c.becomesJunk);
            EXPECT_EQ(readBytes(path).size() == sizeBefore, !c.becomesJunk);
        }

        EXPECT_EQ(ffprobeSummary(path), probeBefore);
        EXPECT_TRUE(ffmpegSamples(path) == before);
        EXPECT_EQ(mutagenSummary(path), c.title + "|Nouvel Artiste|6/12");
        ASSERT_TRUE(parse(path, false).ok());
        EXPECT_EQ(currentTags().Track, 6);
        EXPECT_EQ(currentTags().Genre.view(), "Jazz");
        if (c.tagVersion) {
            EXPECT_EQ(currentTags().Album.view(), "Album");
        }
        EXPECT_EQ(pictureTable().count(), c.picture && !c.removePictures ? 1 : 0);
    }
}

} // namespace
} // namespace tunvale::formats
