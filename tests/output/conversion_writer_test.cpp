// The MP3 file writer of the conversion fed by synthetic PCM sources: the stream against a
// whole-buffer reference encoding, the quality rows, mono, the info-tag frame, the output
// names and what is left behind by failures and cancellation.

#include "output/conversion_settings.h"
#include "output/file_copy.h"
#include "output/mp3_conversion.h"
#include "output/mp3_file_writer.h"

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "output/conversion_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <csignal>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace tunvale;
using namespace tunvale::testing;

namespace {

// The stream LAME makes from a whole buffer: chunks of 9216 values, the remainder, the
// flush; the settings of each quality row written out here independently of the code.
std::string referenceStream(const std::vector<std::int16_t> &pcm, int channels, int rate, int quality,
                            std::string *infoFrame)
{
    struct Row { int bitRate, q, vbr, preset; };
    const Row row = quality == 0 ? Row{128, 2, 0, 0} : quality == 1 ? Row{250, 0, 4, 1005} : Row{320, 2, 0, 0};
    lame_global_flags *lame = lame_init();
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_brate(lame, row.bitRate);
    lame_set_VBR(lame, static_cast<vbr_mode>(row.vbr));
    lame_set_quality(lame, row.q);
    lame_set_VBR_q(lame, row.q);
    lame_set_VBR_mean_bitrate_kbps(lame, row.bitRate);
    lame_set_VBR_max_bitrate_kbps(lame, 320);
    if (row.preset)
        lame_set_preset(lame, row.preset);
    lame_set_mode(lame, channels == 1 ? MONO : STEREO);
    lame_set_num_channels(lame, channels);
    lame_set_error_protection(lame, 0);
    lame_init_params(lame);
    std::vector<unsigned char> out(pcm.size() + 1024 * 1024);
    std::size_t total = 0;
    std::vector<short> samples(pcm.begin(), pcm.end());
    for (std::size_t at = 0; at < samples.size(); at += 9216) {
        const std::size_t n = std::min<std::size_t>(9216, samples.size() - at);
        const int space = static_cast<int>(out.size() - total);
        const int r = channels == 1
            ? lame_encode_buffer(lame, samples.data() + at, nullptr, static_cast<int>(n), out.data() + total, space)
            : lame_encode_buffer_interleaved(lame, samples.data() + at, static_cast<int>(n / 2), out.data() + total, space);
        EXPECT_GE(r, 0);
        total += static_cast<std::size_t>(std::max(r, 0));
    }
    total += static_cast<std::size_t>(lame_encode_flush(lame, out.data() + total, static_cast<int>(out.size() - total)));
    unsigned char frame[2880];
    const std::size_t frameLength = lame_get_lametag_frame(lame, frame, sizeof frame);
    infoFrame->assign(reinterpret_cast<const char *>(frame), frameLength);
    lame_close(lame);
    return std::string(reinterpret_cast<const char *>(out.data()), total);
}

class ConversionWriterTest : public ::testing::Test {
protected:
    // The source's tags and pictures: none, so the files start with the info frame.
    catalog::CurrentTags m_tags;
    catalog::PictureTable m_pictures;

    output::PlacementContext contextFor(const std::string &name, int quality = 2)
    {
        output::PlacementContext context;
        context.options.mp3Quality = quality;
        context.sourcePath = m_dir / "source.wav";
        context.destinationPath = m_dir / name;
        context.cancel = &m_cancel;
        return context;
    }

    TempDir m_dir;
    std::atomic<bool> m_cancel{false};
};

// Reads that never line up with the 9216-value chunks still give LAME exactly the calls the
// whole-buffer procedure makes, so the file is that stream with the info frame in the place
// LAME kept for it.
TEST_F(ConversionWriterTest, StreamedFileEqualsWholeBufferEncoding)
{
    struct Case { int channels, rate, quality; std::uint64_t frames; double left, right; };
    const Case cases[] = {
        {2, 44100, 0, 44100 * 3 + 1001, 440.0, 1000.0},   // remainder after the last full chunk
        {1, 22050, 1, 22050 * 2 + 17, 0.0, 0.0},          // mono VBR of noise
        {2, 48000, 2, 4608 * 10, 0.0, 300.0},             // an exact number of chunks
        {2, 32000, 7, 1000, 500.0, 700.0},                // shorter than one chunk; 7 acts as 2
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << " ch " << c.rate << " Hz quality " << c.quality);
        const double freqs[2] = {c.left, c.right};
        std::string frame;
        const std::string stream = referenceStream(testSignal(c.channels, c.rate, c.frames, freqs), c.channels, c.rate, c.quality, &frame);
        ASSERT_GT(frame.size(), 4u);
        ASSERT_GT(stream.size(), frame.size());

        ToneSource source(c.channels, c.rate, c.frames, c.left, c.right);
        output::PlacementContext context = contextFor("Song " + std::to_string(c.rate) + ".mp3", c.quality);
        ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), 0);
        const std::string written = readFile(context.destinationPath);
        EXPECT_EQ(written.size(), stream.size());
        EXPECT_TRUE(written == frame + stream.substr(frame.size())) << "file differs from the reference encoding";
    }
}

// Each quality row: CBR rows hold only frames at their rate behind an "Info" frame; the VBR
// row varies its rates behind a "Xing" frame. Any other MP3_QUALITY value is the 320K row.
TEST_F(ConversionWriterTest, QualityRowsGiveTheirBitRates)
{
    struct Case { int quality; int cbrRate; const char *marker; };
    const Case cases[] = {{0, 128, "Info"}, {1, 0, "Xing"}, {2, 320, "Info"}, {7, 320, "Info"}, {-3, 320, "Info"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "MP3_QUALITY " << c.quality);
        ToneSource source(2, 44100, 44100 * 4, 0.0, 0.0);
        output::PlacementContext context = contextFor("q" + std::to_string(c.quality) + ".mp3", c.quality);
        ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), 0);
        const std::string bytes = readFile(context.destinationPath);
        std::size_t end = 0;
        const std::vector<Mp3Frame> frames = walkFrames(bytes, 0, &end);
        ASSERT_GT(frames.size(), 100u);
        EXPECT_EQ(end, bytes.size()) << "bytes after the last frame";
        EXPECT_EQ(infoMarker(bytes, frames[0]), c.marker);
        int lowest = 1000, highest = 0;
        for (std::size_t i = 1; i < frames.size(); ++i) {
            lowest = std::min(lowest, frames[i].bitRate);
            highest = std::max(highest, frames[i].bitRate);
            EXPECT_EQ(frames[i].sampleRate, 44100);
        }
        if (c.cbrRate != 0) {
            EXPECT_EQ(lowest, c.cbrRate);
            EXPECT_EQ(highest, c.cbrRate);
        } else {
            EXPECT_LT(lowest, highest) << "VBR stream at one rate";
            EXPECT_LE(highest, 320);
        }
    }
}

// A mono source is encoded as mono (the non-interleaved call): every frame in mono mode,
// and the decoder sees one channel carrying the tone.
TEST_F(ConversionWriterTest, MonoSourceGivesMonoStream)
{
    ToneSource source(1, 44100, 44100 * 2, 1000.0);
    output::PlacementContext context = contextFor("mono.mp3", 0);
    ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), 0);
    const std::string bytes = readFile(context.destinationPath);
    const std::vector<Mp3Frame> frames = walkFrames(bytes, 0);
    ASSERT_FALSE(frames.empty());
    for (const Mp3Frame &frame : frames)
        ASSERT_EQ(frame.channelMode, 3);
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg not installed";
    const std::vector<std::int16_t> decoded = ffmpegSamples(context.destinationPath, 1);
    EXPECT_NEAR(static_cast<double>(decoded.size()), 44100.0 * 2, 1152.0);
    EXPECT_GT(tonePower(decoded, 1, 0, 44100, 1000.0), 0.9);
}

// The info frame takes the place LAME kept for it: no empty frame stays behind it, the frame
// count it states matches the frames that follow, and mp3val and ffmpeg find nothing wrong.
TEST_F(ConversionWriterTest, InfoFrameLeavesNoJunk)
{
    for (const int quality : {0, 1, 2}) {
        SCOPED_TRACE(::testing::Message() << "MP3_QUALITY " << quality);
        ToneSource source(2, 48000, 48000 * 3, 440.0, 0.0);
        output::PlacementContext context = contextFor("info" + std::to_string(quality) + ".mp3", quality);
        ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), 0);
        const std::string bytes = readFile(context.destinationPath);
        const std::vector<Mp3Frame> frames = walkFrames(bytes, 0);
        ASSERT_GT(frames.size(), 2u);
        ASSERT_FALSE(infoMarker(bytes, frames[0]).empty());
        // The second frame is audio, not a zero-filled placeholder.
        const std::string second = bytes.substr(frames[1].offset + 4, frames[1].size - 4);
        EXPECT_NE(second.find_first_not_of('\0'), std::string::npos) << "empty frame after the info frame";
        // Xing/Info header: marker, 4 flag bytes, then the frame count (big-endian).
        const std::size_t at = bytes.find(infoMarker(bytes, frames[0]), frames[0].offset);
        const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 8 + i])); };
        const std::uint32_t stated = (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
        EXPECT_EQ(stated, frames.size() - 1);
        if (haveTool("mp3val")) {
            EXPECT_EQ(mp3valProblems(context.destinationPath), "");
        }
        if (haveTool("ffmpeg")) {
            std::string errors;
            EXPECT_TRUE(ffmpegDecodesCleanly(context.destinationPath, &errors)) << errors;
        }
    }
}

TEST(ConversionIterationName, InsertsTheNumberBeforeALowerCaseExtension)
{
    struct Case { const char *destination; int iteration; const char *expected; };
    const Case cases[] = {
        {"/d/Song.mp3", 0, "/d/Song.mp3"},
        {"/d/Song.mp3", 1, "/d/Song(1).mp3"},
        {"/d/Song.mp3", 63, "/d/Song(63).mp3"},
        {"/d/Track.MP3", 1, "/d/Track(1).mp3"},
        {"/d/Track.MP3", 0, "/d/Track.MP3"},
        {"/d/01 - A.B - C.mp3", 2, "/d/01 - A.B - C(2).mp3"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(output::iterationName(c.destination, c.iteration), fs::path(c.expected)) << c.destination << " " << c.iteration;
}

// Without replace the first free iteration is written and becomes the destination; existing
// files are left as they were. With replace the existing file is replaced.
TEST_F(ConversionWriterTest, ExistingNamesGiveTheNextIterationUnlessReplacing)
{
    writeFile(m_dir / "Song.mp3", "old song");
    writeFile(m_dir / "Song(1).mp3", "old song 1");
    {
        ToneSource source(2, 44100, 20000, 440.0, 880.0);
        output::PlacementContext context = contextFor("Song.mp3");
        ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), 0);
        EXPECT_EQ(context.destinationPath, m_dir / "Song(2).mp3");
        EXPECT_GT(readFile(m_dir / "Song(2).mp3").size(), 1000u);
        EXPECT_EQ(readFile(m_dir / "Song.mp3"), "old song");
        EXPECT_EQ(readFile(m_dir / "Song(1).mp3"), "old song 1");
    }
    {
        ToneSource source(2, 44100, 20000, 440.0, 880.0);
        output::PlacementContext context = contextFor("Song.mp3");
        ASSERT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), 0);
        EXPECT_EQ(context.destinationPath, m_dir / "Song.mp3");
        EXPECT_EQ(readFile(m_dir / "Song.mp3"), readFile(m_dir / "Song(2).mp3"));
    }
    EXPECT_EQ(listTree(m_dir.path()), (std::vector<std::string>{"Song(1).mp3", "Song(2).mp3", "Song.mp3"}));
}

// Failures after the source was opened end with their code and leave the folder as it was:
// no output, no reserved name, no temporary file.
TEST_F(ConversionWriterTest, FailuresLeaveNothingBehind)
{
    writeFile(m_dir / "keep.txt", "x");
    const std::vector<std::string> before = listTree(m_dir.path());

    {   // every name taken
        for (int i = 0; i <= 63; ++i)
            writeFile(output::iterationName(m_dir / "Full.mp3", i), "taken");
        ToneSource source(2, 44100, 20000, 440.0);
        output::PlacementContext context = contextFor("Full.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), output::conversion::kNoFileCreated);
        EXPECT_EQ(context.destinationPath, m_dir / "Full.mp3");
        for (int i = 0; i <= 63; ++i)
            fs::remove(output::iterationName(m_dir / "Full.mp3", i));
    }
    {   // the destination folder does not exist
        ToneSource source(2, 44100, 20000, 440.0);
        output::PlacementContext context = contextFor("missing/Song.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), output::conversion::kNoFileCreated);
    }
    {   // a folder where the file should go
        fs::create_directory(m_dir / "Folder.mp3");
        ToneSource source(2, 44100, 20000, 440.0);
        output::PlacementContext context = contextFor("Folder.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, true), output::conversion::kNoFileCreated);
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), 0);
        EXPECT_EQ(context.destinationPath, m_dir / "Folder(1).mp3");
        fs::remove(m_dir / "Folder.mp3");
        fs::remove(m_dir / "Folder(1).mp3");
    }
    {   // the run is given up during the encoding
        ToneSource source(2, 44100, 44100 * 10, 440.0);
        source.cancelAfterReads(&m_cancel, 20);
        output::PlacementContext context = contextFor("Cancelled.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), output::conversion::kCancelled);
        EXPECT_LT(source.reads(), 40u) << "encoding went on after the cancel request";
        m_cancel = false;
    }
    {   // the source fails to decode half-way
        ToneSource source(2, 44100, 44100 * 10, 440.0);
        source.failAfterReads(30);
        output::PlacementContext context = contextFor("Broken.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), output::conversion::kSourceFailed);
    }
    {   // the encoder cannot take three channels
        ToneSource source(3, 44100, 20000, 440.0);
        output::PlacementContext context = contextFor("Three.mp3");
        EXPECT_EQ(output::writeMp3File(source, m_tags, m_pictures, context, false), output::conversion::kNoUsableAudio);
    }
    EXPECT_EQ(listTree(m_dir.path()), before);
}

// A write that fails (here: the file size limit) returns the platform's error and removes
// the partial output.
TEST_F(ConversionWriterTest, FailedWriteReturnsThePlatformErrorAndRemovesThePartialFile)
{
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    ToneSource source(2, 44100, 44100 * 20, 440.0, 660.0);
    output::PlacementContext context = contextFor("Big.mp3");
    const int result = output::writeMp3File(source, m_tags, m_pictures, context, false);

    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    // EFBIG, reported in the copy's code space: the same code a copy gives for it.
    EXPECT_EQ(result, output::copy_error::kFileTooLarge);
    EXPECT_TRUE(listTree(m_dir.path()).empty());
}

} // namespace
