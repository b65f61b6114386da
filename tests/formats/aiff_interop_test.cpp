// AIFF and AIFF-C files written by sox, ffmpeg and mutagen: samples against ffmpeg's
// decoding, compressed AIFF-C refused, mutagen tags read, and rewritten copies checked by
// mutagen and ffprobe.

#include "formats/aiff/aiff_format.h"
#include "formats/aiff/aiff_file.h"

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
    const char *file;      // output name (the extension picks the format for sox and ffmpeg)
    std::string command;   // %s is the output path
    ReadStatus status;     // of the read with samples
    int rate;              // after halving
    bool halves = false;
};

const Source kSources[] = {
    {"sox 16-bit stereo", "a.aiff", "sox -n -r 44100 -c 2 -b 16 %s synth 0.3 sine 440 sine 660", ReadStatus::Ok, 44100},
    {"sox 24-bit mono 96000", "b.aiff", "sox -n -r 96000 -c 1 -b 24 %s synth 0.3 sine 440", ReadStatus::Ok, 48000,
     true},
    {"sox AIFF-C NONE 88200 stereo", "c.aifc", "sox -n -r 88200 -c 2 -b 16 %s synth 0.3 sine 440 sine 550",
     ReadStatus::Ok, 44100, true},
    {"sox 8-bit", "d.aiff", "sox -n -r 44100 -c 1 -b 8 %s synth 0.3 sine 440", ReadStatus::Ok, 44100},
    {"sox 11025 Hz", "i.aiff", "sox -n -r 11025 -c 2 -b 16 %s synth 0.3 sine 440 sine 660", ReadStatus::Ok, 11025},
    {"sox AIFF-C float", "j.aifc", "sox -n -r 44100 -c 1 -b 32 -e floating-point %s synth 0.3 sine 440", ReadStatus::Ok,
     44100},
    {"ffmpeg 16-bit", "e.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a pcm_s16be %s", ReadStatus::Ok,
     44100},
    {"ffmpeg 24-bit 48000", "f.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3:r=48000 -ac 2 -c:a pcm_s24be %s",
     ReadStatus::Ok, 48000},
    {"ffmpeg AIFF-C sowt", "g.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a pcm_s16le %s",
     ReadStatus::Ok, 44100},
    {"ffmpeg AIFF-C alaw", "k.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3:r=8000 -c:a pcm_alaw %s",
     ReadStatus::Ok, 8000},
    {"ffmpeg AIFF-C ulaw", "l.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3:r=8000 -c:a pcm_mulaw %s",
     ReadStatus::Ok, 8000},
    {"ffmpeg AIFF-C fl64", "m.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a pcm_f64be %s",
     ReadStatus::Ok, 44100},
    {"ffmpeg AIFF-C ima4", "h.aiff", "ffmpeg -v error -y -f lavfi -i sine=f=500:d=0.3 -c:a adpcm_ima_qt %s",
     ReadStatus::Unsupported, 0},
};

std::string withPath(std::string command, const std::filesystem::path &path)
{
    command.replace(command.find("%s"), 2, quote(path.string()));
    return command;
}

class AiffInteropTest : public ::testing::Test, protected testing::ReaderRecords {
protected:
    void SetUp() override
    {
        if (!haveAudioTools())
            GTEST_SKIP() << "sox, ffmpeg, ffprobe or mutagen missing";
    }
    ReadStatus read(const std::filesystem::path &path, bool loadPcm)
    {
        return readWith(path, kNoNameTags.tagsFromName,
                        [&](TrackRead &read, DecodedAudio &audio) {
                            return AiffFile().read(path, loadPcm, true, read, audio);
                        })
            .status;
    }
    TempDir m_dir;
};

TEST_F(AiffInteropTest, SamplesMatchFfmpegAndTheStream)
{
    for (const Source &s : kSources) {
        SCOPED_TRACE(s.name);
        const auto path = m_dir / s.file;
        ASSERT_TRUE(shell(withPath(s.command, path)));
        ASSERT_EQ(read(path, true), s.status);
        const DecodedAudio audio = decodedAudio();   // a copy: the streaming read below refills the record
        PcmOpening opening = openPcm(OpenAiffPcm, path, kNoNameTags);
        PcmSource *source = opening.source.get();
        if (s.status != ReadStatus::Ok) {
            EXPECT_TRUE(audio.pcm.empty());
            EXPECT_EQ(source, nullptr);
            EXPECT_EQ(opening.status.status, s.status);
            EXPECT_FALSE(opening.sourceFailed);
            continue;
        }
        EXPECT_EQ(audio.sampleRate, s.rate);
        EXPECT_EQ(audio.bitsPerSample, 16);
        std::vector<std::int16_t> reference = ffmpegSamples(path);
        ASSERT_FALSE(reference.empty());
        if (s.halves)
            reference = halved(reference);
        EXPECT_EQ(audio.pcm.size(), reference.size());
        EXPECT_TRUE(audio.pcm == reference);
        ASSERT_NE(source, nullptr);
        std::vector<std::int16_t> streamed(static_cast<std::size_t>(source->totalValues()));
        std::size_t got = 0;
        while (const std::size_t n = source->read(streamed.data() + got, std::min<std::size_t>(3000, streamed.size() - got)))
            got += n;
        EXPECT_EQ(got, streamed.size());
        EXPECT_TRUE(streamed == reference);
    }
}

TEST_F(AiffInteropTest, MutagenTagsAreReadAndCompressedFilesRefused)
{
    for (const int version : {3, 4}) {
        for (const Source *s : {&kSources[0], &kSources[2], &kSources[8], &kSources[12]}) {
            SCOPED_TRACE(::testing::Message() << s->name << " v2." << version);
            const auto path = m_dir / s->file;
            ASSERT_TRUE(shell(withPath(s->command, path)));
            ASSERT_TRUE(mutagenTag(path, version, true));
            // Compressed AIFF-C (ima4) is refused, tags included; sowt is read.
            const ReadStatus expected = s->status;
            ASSERT_EQ(load(ReadAiffTags, path, kNoNameTags).status, expected);
            ASSERT_EQ(read(path, false), expected);
            if (expected != ReadStatus::Ok)
                continue;
            EXPECT_EQ(currentTags().Title.view(), "Old Title");
            EXPECT_EQ(currentTags().Artist.view(), "Old Artist");
            EXPECT_EQ(currentTags().Track, 4);
            EXPECT_EQ(currentTags().TrackTotal, 11);
            EXPECT_EQ(pictureTable().count(), 1);
        }
    }
}

TEST_F(AiffInteropTest, RewrittenCopiesPassMutagenAndFfprobe)
{
    struct Case {
        const char *name;
        int source;
        int tagVersion;
        bool picture;
        bool removePictures;
        std::string title;
        bool chunkAfterTag;   // an ANNO chunk follows the tag chunk, which is then not the last
        bool becomesFiller;   // the old tag chunk is superseded by one at the end
    };
    const Case cases[] = {
        {"untagged AIFF", 0, 0, false, false, "Première", false, false},
        {"v2.4 tag with picture removed", 0, 4, true, true, "P", false, false},
        {"AIFF-C NONE with v2.3 tag, longer title", 2, 3, false, false,
         "A title long enough that the new tag no longer fits the old chunk at all, no way", false, false},
        {"24-bit, shorter title", 7, 3, true, false, "S", false, false},
        {"tag before ANNO, new tag fits: padded in place", 0, 4, true, false, "Fits", true, false},
        {"AIFF-C tag before ANNO, new tag larger: old one becomes filler", 2, 3, false, false, std::string(900, 'L'),
         true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Source &s = kSources[c.source];
        const auto path = m_dir / s.file;
        ASSERT_TRUE(shell(withPath(s.command, path)));
        if (c.tagVersion) {
            ASSERT_TRUE(mutagenTag(path, c.tagVersion, c.picture));
        }
        if (c.chunkAfterTag) {
            ASSERT_EQ(runPython("import sys\n"
                "d = open(sys.argv[1], 'rb').read() + b'ANNO' + (5).to_bytes(4, 'big') + b'note\\0\\0'\n"
                "d = d[:4] + (len(d) - 8).to_bytes(4, 'big') + d[8:]\n"
                "open(sys.argv[1], 'wb').write(d)\n", {path.string()}), 0);
        }
        const std::vector<std::int16_t> before = ffmpegSamples(path);
        const std::string probeBefore = ffprobeSummary(path);
        ASSERT_EQ(probeBefore.find("error"), std::string::npos) << probeBefore;

        const std::size_t sizeBefore = readBytes(path).size();
        ASSERT_EQ(
            callWriter(WriteAiffTags, path, text::utf8ToUtf16(c.title), u"Nouvel Artiste", 6, 0, c.removePictures), 1);
        if (c.chunkAfterTag) {
            EXPECT_EQ(readBytes(path).find("FLLR") != std::string::npos, c.becomesFiller);
            EXPECT_EQ(readBytes(path).size() == sizeBefore, !c.becomesFiller);
        }

        EXPECT_EQ(ffprobeSummary(path), probeBefore);
        EXPECT_TRUE(ffmpegSamples(path) == before);
        EXPECT_EQ(mutagenSummary(path), c.title + "|Nouvel Artiste|6");
        ASSERT_EQ(read(path, true), ReadStatus::Ok);
        EXPECT_EQ(currentTags().Track, 6);
        if (c.tagVersion) {
            EXPECT_EQ(currentTags().Album.view(), "Album");
        }
        EXPECT_EQ(pictureTable().count(), c.picture && !c.removePictures ? 1 : 0);
    }
}

} // namespace
} // namespace tunvale::formats
