// ConvertToMp3 on real files written by sox, flac and lame, through the format handlers,
// checked with ffmpeg, mp3val and mutagen: rates, bit rates, durations, the audio of each
// channel, the sources copied as they are or refused as damaged, and MP3 sources copied by
// placement.

#include "output/mp3_conversion.h"
#include "output/place_file.h"

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "output/conversion_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace tunvale;
using namespace tunvale::testing;

namespace {

bool haveTools()
{
    return haveTool("sox") && haveTool("flac") && haveTool("ffmpeg") && haveTool("lame");
}

class NoStatus : public output::StatusReporter {
public:
    void showStatus(const std::u16string &text, std::uint32_t) override { shown.push_back(text); }
    std::vector<std::u16string> shown;
};

class ConversionEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTools())
            GTEST_SKIP() << "sox, flac, ffmpeg or lame missing";
        fs::create_directories(m_dir / "src");
        fs::create_directories(m_dir / "dst");
    }

    // sox -n with the given format writes a tone per channel (left, right) of seconds length.
    fs::path makeTones(const std::string &name, int rate, int bits, int channels, double seconds,
                       const std::vector<double> &freqs)
    {
        const fs::path path = m_dir / "src" / name;
        std::string command = "sox -n -r " + std::to_string(rate) + " -b " + std::to_string(bits) + " -c " +
            std::to_string(channels) + " " + shellQuote(path) + " synth " + std::to_string(seconds);
        for (const double f : freqs)
            command += " sine " + std::to_string(f);
        command += " vol 0.5 2>&1";
        std::string output;
        EXPECT_EQ(runCommand(command, &output), 0) << output;
        return path;
    }

    output::PlacementContext contextFor(const fs::path &source, int quality)
    {
        output::PlacementContext context;
        context.options.mp3Quality = quality;
        context.options.tagsFromName = false;
        context.sourcePath = source;
        context.destinationPath = m_dir / "dst" / (source.stem().string() + ".mp3");
        context.status = &m_status;
        return context;
    }

    TempDir m_dir;
    NoStatus m_status;
};

// Four sources through their handlers: the decoded MP3 has the rate, channels, bit rate and
// length it should, and each channel carries its own tone (so swapped channels, a wrong
// 24-bit reduction or a wrong halving of the rate fail).
TEST_F(ConversionEndToEndTest, SourcesConvertWithTheirAudio)
{
    struct Case {
        const char *name;
        int rate, bits, channels, quality;
        int expectedRate;
        int cbrRate;   // 0: VBR
        std::vector<double> freqs;
    };
    const Case cases[] = {
        {"stereo.wav", 44100, 16, 2, 0, 44100, 128, {440.0, 1000.0}},
        {"mono.aiff", 44100, 16, 1, 2, 44100, 320, {700.0}},
        {"hires.flac", 96000, 24, 2, 1, 48000, 0, {1000.0, 3000.0}},
        {"double.aif", 88200, 16, 2, 7, 44100, 320, {2500.0, 600.0}},
    };
    const double seconds = 3.0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fs::path source;
        if (std::string(c.name).ends_with(".flac")) {
            const fs::path wav = makeTones("hires-source.wav", c.rate, c.bits, c.channels, seconds, c.freqs);
            source = m_dir / "src" / c.name;
            ASSERT_EQ(runCommand("flac -s -f -o " + shellQuote(source) + " " + shellQuote(wav) + " 2>&1"), 0);
        } else {
            source = makeTones(c.name, c.rate, c.bits, c.channels, seconds, c.freqs);
        }
        output::PlacementContext context = contextFor(source, c.quality);
        ASSERT_EQ(output::ConvertToMp3(context, true), 0);
        const fs::path mp3 = context.destinationPath;
        ASSERT_TRUE(fs::exists(mp3));

        std::string errors;
        EXPECT_TRUE(ffmpegDecodesCleanly(mp3, &errors)) << errors;
        EXPECT_EQ(mp3valProblems(mp3), "");

        const std::string bytes = readFile(mp3);
        const std::vector<Mp3Frame> frames = walkFrames(bytes, id3v2Size(bytes));
        ASSERT_GT(frames.size(), 10u);
        int lowest = 1000, highest = 0;
        for (std::size_t i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].sampleRate, c.expectedRate);
            EXPECT_EQ(frames[i].channelMode == 3, c.channels == 1);
            lowest = std::min(lowest, frames[i].bitRate);
            highest = std::max(highest, frames[i].bitRate);
        }
        if (c.cbrRate != 0) {
            EXPECT_EQ(lowest, c.cbrRate);
            EXPECT_EQ(highest, c.cbrRate);
            EXPECT_EQ(infoMarker(bytes, frames[0]), "Info");
        } else {
            EXPECT_EQ(infoMarker(bytes, frames[0]), "Xing");
        }

        const std::vector<std::int16_t> decoded = ffmpegSamples(mp3, c.channels);
        const double decodedFrames = static_cast<double>(decoded.size()) / c.channels;
        // One MP3 frame plus the encoder's delay and padding at most.
        EXPECT_NEAR(decodedFrames, seconds * c.expectedRate, 1152.0 + 576.0 + 1152.0);
        for (int channel = 0; channel < c.channels; ++channel) {
            SCOPED_TRACE(::testing::Message() << "channel " << channel);
            EXPECT_GT(tonePower(decoded, c.channels, channel, c.expectedRate, c.freqs[channel]), 0.8);
            if (c.channels == 2) {
                EXPECT_LT(tonePower(decoded, c.channels, channel, c.expectedRate, c.freqs[1 - channel]), 0.05);
            }
        }
    }
}

// Every PCM layout the readers deliver converts, written by sox, ffmpeg and flac: any rate
// (the encoder resamples), 8 to 32-bit integers, floats, A-law and µ-law, mono, and more
// channels mixed down to stereo with the left ones left and the right ones right. The MP3
// decodes cleanly and lasts as long as its source.
TEST_F(ConversionEndToEndTest, EveryLayoutTheReadersDeliverConverts)
{
    struct Case {
        const char *name;
        std::string command; // %s: the source path; a FLAC is encoded from the WAV it writes
        int expectedRate;    // of the MP3
        int channels;        // of the MP3
        double left, right;  // a tone that must be on that side (0: not checked)
    };
    const std::string tones = " synth 2 sine 440 sine 1000 sine 2500 sine 3500 vol 0.5";
    const Case cases[] = {
        {"voice.wav", "sox -n -r 8000 -b 8 -c 1 %s synth 2 sine 440 vol 0.5", 8000, 1, 440, 0},
        {"slow.wav", "sox -n -r 11025 -b 16 -c 2 %s synth 2 sine 440 sine 1000 vol 0.5", 11025, 2, 440, 1000},
        {"float.wav", "sox -n -r 44100 -b 32 -e floating-point -c 2 %s synth 2 sine 440 sine 1000 vol 0.5", 44100, 2,
         440, 1000},
        {"alaw.wav", "sox -n -r 8000 -e a-law -c 1 %s synth 2 sine 440 vol 0.5", 8000, 1, 440, 0},
        {"ulaw.aiff", "ffmpeg -v error -f lavfi -i sine=f=440:d=2:r=8000 -c:a pcm_mulaw %s", 8000, 1, 440, 0},
        {"sowt.aiff", "ffmpeg -v error -f lavfi -i sine=f=440:d=2 -c:a pcm_s16le %s", 44100, 1, 440, 0},
        {"odd-rate.wav", "sox -n -r 37800 -b 16 -c 2 %s synth 2 sine 440 sine 1000 vol 0.5", 32000, 2, 440, 1000},
        // Left, right, centre: the centre tone goes to both sides.
        {"three.wav", "sox -n -r 44100 -b 16 -c 3 %s synth 2 sine 440 sine 1000 sine 2500 vol 0.5", 44100, 2, 440,
         1000},
        // Front left, front right, back left, back right.
        {"quad.flac", "sox -n -r 48000 -b 24 -c 4 %s" + tones, 48000, 2, 2500, 3500},
        {"eight-bit.flac", "sox -n -r 22050 -b 8 -c 2 %s synth 2 sine 440 sine 1000 vol 0.5", 22050, 2, 440, 1000},
        {"hires.flac", "sox -n -r 192000 -b 24 -c 2 %s synth 2 sine 440 sine 1000 vol 0.5", 48000, 2, 440, 1000},
    };
    const double seconds = 2.0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path source = m_dir / "src" / c.name;
        const bool flac = source.extension() == ".flac";
        const fs::path written = flac ? m_dir / "src" / "flac-input.wav" : source;
        std::string command = c.command;
        command.replace(command.find("%s"), 2, shellQuote(written));
        std::string output;
        ASSERT_EQ(runCommand(command + " 2>&1", &output), 0) << output;
        if (flac)
            ASSERT_EQ(runCommand("flac -s -f -o " + shellQuote(source) + " " + shellQuote(written) + " 2>&1"), 0);

        output::PlacementContext context = contextFor(source, 0);
        ASSERT_EQ(output::ConvertToMp3(context, false), 0);
        const fs::path mp3 = context.destinationPath;
        std::string errors;
        EXPECT_TRUE(ffmpegDecodesCleanly(mp3, &errors)) << errors;
        EXPECT_EQ(mp3valProblems(mp3), "");
        const std::string bytes = readFile(mp3);
        const std::vector<Mp3Frame> frames = walkFrames(bytes, id3v2Size(bytes));
        ASSERT_GT(frames.size(), 10u);
        EXPECT_EQ(frames[1].sampleRate, c.expectedRate);
        EXPECT_EQ(frames[1].channelMode == 3, c.channels == 1);
        const std::vector<std::int16_t> decoded = ffmpegSamples(mp3, c.channels);
        EXPECT_NEAR(static_cast<double>(decoded.size()) / c.channels, seconds * c.expectedRate,
                    1152.0 + 576.0 + 1152.0);
        EXPECT_GT(tonePower(decoded, c.channels, 0, c.expectedRate, c.left), 0.2);
        if (c.right > 0) {
            EXPECT_GT(tonePower(decoded, c.channels, 1, c.expectedRate, c.right), 0.2);
            EXPECT_LT(tonePower(decoded, c.channels, 0, c.expectedRate, c.right), 0.02);
            EXPECT_LT(tonePower(decoded, c.channels, 1, c.expectedRate, c.left), 0.02);
        }
        fs::remove(mp3);
    }
}

// Audio the encoder cannot take (a compressed coding, a stream of unknown length) is no reason
// to leave a file out: placement copies it as it is, byte for byte under its own extension,
// and says so. ConvertToMp3 alone answers code 3 and leaves no file.
TEST_F(ConversionEndToEndTest, AudioTheEncoderCannotTakeIsCopiedAsItIs)
{
    const fs::path adpcm = m_dir / "src" / "memo.wav";
    ASSERT_EQ(runCommand("sox -n -r 8000 -c 1 -e ima-adpcm " + shellQuote(adpcm) + " synth 1 sine 440 2>&1"), 0);
    const fs::path unknownLength = m_dir / "src" / "streamed.flac";
    // flac reading raw samples from a pipe and writing to one knows no length for STREAMINFO.
    ASSERT_EQ(
        runCommand("sox -n -t raw -r 8000 -b 16 -c 1 -e signed-integer - synth 1 sine 440 2>/dev/null | flac -s "
                   "--force-raw-format --endian=little --sign=signed --channels=1 --bps=16 --sample-rate=8000 -c - > "
                   + shellQuote(unknownLength)),
        0);
    const std::pair<fs::path, std::u16string> cases[] = {
        {adpcm, u"WAV: IMA ADPCM samples"},
        {unknownLength, u"FLAC: a stream the conversion does not take"},
    };
    for (const auto &[source, reason] : cases) {
        SCOPED_TRACE(source.filename().string());
        output::PlacementContext context = contextFor(source, 2);
        EXPECT_EQ(output::ConvertToMp3(context, false), output::conversion::kNoUsableAudio);
        EXPECT_TRUE(listTree(m_dir / "dst").empty()); // no work file left behind

        output::PlacementContext placed = contextFor(source, 2);
        std::int32_t miscellaneous = 0;
        catalog::Catalog entries;
        placed.options = output::PlacementOptions{};
        placed.options.mp3Convert = true;
        placed.options.tagsFromName = false;
        placed.options.addArtist = false;
        placed.options.addComposer = false;
        placed.options.alphaTrack = false;
        placed.destinationPath = m_dir / "dst" / source.filename();
        placed.miscellaneousFiles = &miscellaneous;
        placed.catalog = &entries;
        m_status.shown.clear();
        ASSERT_EQ(output::PlaceFile(1, 1, placed), 0);
        EXPECT_EQ(placed.destinationPath, m_dir / "dst" / source.filename());
        EXPECT_EQ(readFile(placed.destinationPath), readFile(source));
        EXPECT_EQ(placed.notice, u"Copied as it is, not converted to mp3 (" + reason + u")");
        EXPECT_FALSE(placed.failure.conversion);
        ASSERT_FALSE(m_status.shown.empty());
        EXPECT_NE(std::find(m_status.shown.begin(), m_status.shown.end(),
                            u"Not converted, copying: " + source.filename().u16string()),
                  m_status.shown.end());
        fs::remove(placed.destinationPath);
    }
}

// A damaged source is never converted into a shorter file: a FLAC or WAV cut short and a FLAC
// with a damaged frame in the middle fail with what is wrong, and leave no file.
TEST_F(ConversionEndToEndTest, DamagedSourcesAreNotConverted)
{
    const fs::path wav = makeTones("whole.wav", 44100, 16, 2, 4.0, {440.0, 1000.0});
    const fs::path flac = m_dir / "src" / "whole.flac";
    ASSERT_EQ(runCommand("flac -s -f -o " + shellQuote(flac) + " " + shellQuote(wav) + " 2>&1"), 0);
    const std::string flacBytes = readFile(flac);
    const std::string wavBytes = readFile(wav);
    std::string flipped = flacBytes;
    for (std::size_t i = flipped.size() / 2; i < flipped.size() / 2 + 16; ++i)
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    struct Case {
        const char *name;
        std::string bytes;
        const char *damage; // the start of what the failure says
    };
    const Case cases[] = {
        {"cut.flac", flacBytes.substr(0, flacBytes.size() * 2 / 5), "FLAC: the audio stops at "},
        {"cut.wav", wavBytes.substr(0, wavBytes.size() * 2 / 5), "WAV: the audio data is cut short"},
        {"damaged-frame.flac", flipped, "FLAC: "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path source = m_dir / "src" / c.name;
        writeFile(source, c.bytes);
        output::PlacementContext context = contextFor(source, 0);
        EXPECT_EQ(output::ConvertToMp3(context, false), output::conversion::kSourceFailed);
        EXPECT_EQ(context.failure.damage.rfind(c.damage, 0), 0u) << context.failure.damage;
        EXPECT_TRUE(listTree(m_dir / "dst").empty());
    }
}

// An MP3 source is copied byte for byte even with conversion on, whatever its extension's case.
TEST_F(ConversionEndToEndTest, Mp3SourceIsCopiedNotConverted)
{
    const fs::path wav = makeTones("tone.wav", 44100, 16, 2, 1.0, {440.0, 880.0});
    for (const char *name : {"Song.MP3", "Other.mp3", "Third.Mp3"}) {
        SCOPED_TRACE(name);
        const fs::path source = m_dir / "src" / name;
        ASSERT_EQ(runCommand("lame --quiet -b 96 " + shellQuote(wav) + " " + shellQuote(source)), 0);
        output::PlacementContext context = contextFor(source, 2);
        std::int32_t miscellaneous = 0;
        catalog::Catalog entries;
        context.options.mp3Convert = true;
        context.options.addArtist = false;
        context.options.addComposer = false;
        context.options.alphaTrack = false;
        context.destinationPath = m_dir / "dst" / name;
        context.miscellaneousFiles = &miscellaneous;
        context.catalog = &entries;
        ASSERT_EQ(output::PlaceFile(1, 1, context), 0);
        EXPECT_EQ(context.destinationPath, m_dir / "dst" / name);
        EXPECT_EQ(readFile(context.destinationPath), readFile(source));
    }
}

// Tags of a FLAC source (Vorbis comments and a picture written by metaflac) arrive in the
// converted file as mutagen reads it.
TEST_F(ConversionEndToEndTest, FlacTagsReachTheMp3)
{
    if (!haveTool("metaflac") || !haveMutagen())
        GTEST_SKIP() << "metaflac or mutagen missing";
    const fs::path wav = makeTones("tagged-source.wav", 44100, 16, 2, 1.0, {440.0, 880.0});
    const fs::path flac = m_dir / "src" / "tagged.flac";
    ASSERT_EQ(runCommand("flac -s -f -o " + shellQuote(flac) + " " + shellQuote(wav) + " 2>&1"), 0);
    const fs::path picture = m_dir / "src" / "cover.png";
    writeFile(picture, tinyPng(false));
    ASSERT_EQ(runCommand("metaflac --set-tag='TITLE=Caf\xC3\xA9' --set-tag=ARTIST=Someone --set-tag=ALBUM=Record "
                         "--set-tag=DATE=1999 --set-tag=TRACKNUMBER=4 --set-tag='COMMENT=D\xC3\xA9j\xC3\xA0 vu' "
                         "--import-picture-from='3|image/png|front||" + picture.string() + "' " + shellQuote(flac)),
              0);
    output::PlacementContext context = contextFor(flac, 0);
    ASSERT_EQ(output::ConvertToMp3(context, true), 0);

    const std::string script =
        "import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1])\n"
        "print(t['TIT2'].text[0], t['TPE1'].text[0], t['TALB'].text[0], t['TDRC'].text[0], t['TRCK'].text[0], sep='|')\n"
        "c = t.getall('COMM')[0]\nprint(int(c.encoding), c.text[0], sep='|')\n"
        "print(len(t.getall('APIC')), int(t.getall('APIC')[0].type) if t.getall('APIC') else -1, sep='|')\n";
    std::string output;
    ASSERT_EQ(runPython(script, {context.destinationPath.string()}, &output), 0) << output;
    EXPECT_EQ(output, "Caf\xC3\xA9|Someone|Record|1999|4\n1|D\xC3\xA9j\xC3\xA0 vu\n1|3\n");
}

} // namespace
