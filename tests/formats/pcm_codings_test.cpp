// The samples WAV and AIFF readers hand the conversion, for every coding they read: integers of
// 8 to 32 bits in either byte order, floats, A-law and µ-law, any rate, more channels mixed
// down to stereo; and the files cut short before their samples end, which are refused.

#include "formats/aiff/aiff_format.h"
#include "formats/audio/stereo_mix.h"
#include "formats/container/pcm_stream.h"
#include "formats/container/sample_format.h"
#include "formats/wav/wave_format.h"

#include "riff_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace tunvale::formats {
namespace {

using namespace testing::riff;
namespace fs = std::filesystem;

std::string bytesOf(std::initializer_list<int> values)
{
    std::string out;
    for (const int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

std::string floatLE(float value) { return le32(std::bit_cast<std::uint32_t>(value)); }

std::string doubleBE(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return be32(static_cast<std::uint32_t>(bits >> 32)) + be32(static_cast<std::uint32_t>(bits));
}

TEST(SampleFormat, EveryCodingReadsAtFullScale)
{
    struct Case {
        const char *what;
        SampleFormat format;
        std::string bytes;
        std::int32_t expected;
    };
    using C = SampleCoding;
    const auto little = ByteOrder::Little;
    const auto big = ByteOrder::Big;
    const Case cases[] = {
        {"8-bit WAV silence", {C::Unsigned, 1, little}, bytesOf({0x80}), 0},
        {"8-bit WAV top", {C::Unsigned, 1, little}, bytesOf({0xFF}), 0x7F000000},
        {"8-bit WAV bottom", {C::Unsigned, 1, little}, bytesOf({0x00}), INT32_MIN},
        {"8-bit AIFF bottom", {C::Signed, 1, big}, bytesOf({0x80}), INT32_MIN},
        {"16-bit little-endian", {C::Signed, 2, little}, bytesOf({0x34, 0x12}), 0x12340000},
        {"16-bit big-endian", {C::Signed, 2, big}, bytesOf({0x12, 0x34}), 0x12340000},
        {"24-bit", {C::Signed, 3, little}, bytesOf({0x56, 0x34, 0xF2}), static_cast<std::int32_t>(0xF2345600u)},
        {"32-bit", {C::Signed, 4, little}, bytesOf({0x78, 0x56, 0x34, 0x12}), 0x12345678},
        {"float 1.0", {C::Float, 4, little}, floatLE(1.0f), 0x7FFF0000},
        {"float rounds to 16 bits", {C::Float, 4, little}, floatLE(100.6f / 32768), 101 << 16},
        {"float -1.0", {C::Float, 4, little}, floatLE(-1.0f), INT32_MIN},
        {"float 0.5", {C::Float, 4, little}, floatLE(0.5f), 0x40000000},
        {"float past full scale", {C::Float, 4, little}, floatLE(3.5f), 0x7FFF0000},
        {"float NaN", {C::Float, 4, little}, floatLE(std::numeric_limits<float>::quiet_NaN()), 0},
        {"double big-endian", {C::Float, 8, big}, doubleBE(-0.25), -0x20000000},
        // G.711 decoding tables: A-law 0xD5 and 0x55 are the smallest steps, 0xAA the largest.
        {"A-law +8", {C::ALaw, 1, little}, bytesOf({0xD5}), 8 << 16},
        {"A-law -8", {C::ALaw, 1, little}, bytesOf({0x55}), -(8 << 16)},
        {"A-law +32256", {C::ALaw, 1, little}, bytesOf({0xAA}), 32256 << 16},
        {"µ-law silence", {C::MuLaw, 1, little}, bytesOf({0xFF}), 0},
        {"µ-law -32124", {C::MuLaw, 1, little}, bytesOf({0x00}), -(32124 << 16)},
        {"µ-law +32124", {C::MuLaw, 1, little}, bytesOf({0x80}), 32124 << 16},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.format.valid());
        EXPECT_EQ(readSample(reinterpret_cast<const std::uint8_t *>(c.bytes.data()), c.format), c.expected);
    }
    EXPECT_FALSE((SampleFormat{C::Float, 3, little}.valid()));
    EXPECT_FALSE((SampleFormat{C::Signed, 5, little}.valid()));
    EXPECT_FALSE((SampleFormat{C::ALaw, 2, little}.valid()));
}

TEST(StereoMix, ChannelsByPosition)
{
    constexpr std::int32_t x = 0x40000000; // half of full scale: 0x4000 in 16 bits
    struct Case {
        const char *what;
        int channels;
        std::uint32_t mask;
        std::vector<std::int32_t> frame;
        std::vector<int> expected; // within 1
    };
    const Case cases[] = {
        {"mono stays mono", 1, 0, {0x12345678}, {0x1234}},
        {"stereo keeps its upper 16 bits", 2, 0, {0x12345678, -0x12345678}, {0x1234, -0x1235}},
        {"three channels, full scale everywhere", 3, 0, {x, x, x}, {0x4000, 0x4000}},
        {"three channels, left only", 3, 0, {x, 0, 0}, {static_cast<int>(0x4000 / (1 + 0.7071)), 0}},
        {"three channels, centre to both",
         3,
         0,
         {0, 0, x},
         {static_cast<int>(0x4000 * 0.7071 / 1.7071), static_cast<int>(0x4000 * 0.7071 / 1.7071)}},
        {"quad, back left", 4, 0, {0, 0, x, 0}, {0x2000, 0}},
        {"quad, everything", 4, 0, {x, x, x, x}, {0x4000, 0x4000}},
        {"5.1 low frequencies left out", 6, 0, {0, 0, 0, x, 0, 0}, {0, 0}},
        {"5.1 right surround", 6, 0, {0, 0, 0, 0, 0, x}, {0, static_cast<int>(0x4000 / (2 + 0.7071))}},
        {"mask: front left, right, centre, LFE", 4, 0xF, {0, 0, 0, x}, {0, 0}},
        {"mask: side channels",
         4,
         speaker::kFrontLeft | speaker::kFrontRight | speaker::kSideLeft | speaker::kSideRight,
         {0, 0, 0, x},
         {0, 0x2000}},
        {"low frequencies only: heard on both", 3, speaker::kLowFrequency, {x, x, x}, {0x4000, 0x4000}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const StereoMix mix(c.channels, c.mask);
        ASSERT_EQ(mix.outputChannels(), static_cast<int>(c.expected.size()));
        std::int16_t out[2] = {0, 0};
        mix.mixFrame(c.frame.data(), out);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR(out[i], c.expected[i], 1) << i;
    }
    // Full scale on every channel never clips.
    const StereoMix eight(8);
    const std::vector<std::int32_t> loud(8, INT32_MIN);
    std::int16_t out[2];
    eight.mixFrame(loud.data(), out);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[1], -32768);
}

class PcmCodingsTest : public ::testing::Test {
protected:
    fs::path write(const std::string &name, const std::string &bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Every value the conversion's source delivers, with its channels and rate.
    struct Delivered {
        bool opened = false;
        bool sourceFailed = false;
        int channels = 0;
        int rate = 0;
        std::vector<std::int16_t> values;
    };
    static Delivered deliver(PcmOpening opening)
    {
        Delivered out;
        out.sourceFailed = opening.sourceFailed;
        if (!opening.source)
            return out;
        out.opened = true;
        out.channels = opening.source->channels();
        out.rate = opening.source->sampleRate();
        EXPECT_TRUE(readAllPcm(*opening.source, out.values));
        return out;
    }

    testing::TempDir m_dir;
};

// "fmt " data of WAVE_FORMAT_EXTENSIBLE: the common fields, cbSize 22, valid bits, the
// channel mask and the sub-format GUID of the given format tag.
std::string extensibleFormat(int channels, int rate, int containerBits, int validBits, std::uint32_t mask, int tag)
{
    const int blockAlign = channels * containerBits / 8;
    return le16(0xFFFE) + le16(static_cast<std::uint16_t>(channels)) + le32(static_cast<std::uint32_t>(rate))
        + le32(static_cast<std::uint32_t>(rate * blockAlign)) + le16(static_cast<std::uint16_t>(blockAlign))
        + le16(static_cast<std::uint16_t>(containerBits)) + le16(22) + le16(static_cast<std::uint16_t>(validBits))
        + le32(mask) + le16(static_cast<std::uint16_t>(tag))
        + bytesOf({0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
}

TEST_F(PcmCodingsTest, WavCodingsAndRates)
{
    struct Case {
        const char *what;
        std::string format; // "fmt " data
        std::string samples;
        int channels;
        int rate;
        std::vector<std::int16_t> expected;
    };
    // 24-bit samples in 4-byte containers: the format chunk's block alignment says so.
    std::string paddedFormat = pcmFormat(1, 48000, 24);
    paddedFormat.replace(12, 2, le16(4));
    const Case cases[] = {
        {"8-bit unsigned, 8 kHz mono",
         pcmFormat(1, 8000, 8),
         bytesOf({0x80, 0xFF, 0x00, 0x81}),
         1,
         8000,
         {0, 0x7F00, -32768, 0x0100}},
        {"16-bit, 11025 Hz stereo",
         pcmFormat(2, 11025, 16),
         le16(0x1234) + le16(0xFEDC),
         2,
         11025,
         {0x1234, static_cast<std::int16_t>(0xFEDC)}},
        {"32-bit integers", pcmFormat(1, 44100, 32), le32(0x7FFF0000) + le32(0x80010000), 1, 44100, {0x7FFF, -0x7FFF}},
        {"24-bit in 4 bytes", paddedFormat, le32(0x12345600) + le32(0xFF000000), 1, 48000, {0x1234, -0x100}},
        {"32-bit float",
         pcmFormat(1, 22050, 32, 3),
         floatLE(1.0f) + floatLE(-0.5f) + floatLE(0.25f),
         1,
         22050,
         {32767, -16384, 8192}},
        {"A-law, 8 kHz", pcmFormat(1, 8000, 8, 6), bytesOf({0xD5, 0xAA}), 1, 8000, {8, 32256}},
        {"µ-law, 8 kHz", pcmFormat(1, 8000, 8, 7), bytesOf({0xFF, 0x80}), 1, 8000, {0, 32124}},
        {"extensible 16-bit PCM, quad",
         extensibleFormat(4, 44100, 16, 16, 0x33, 1),
         le16(0x4000) + le16(0) + le16(0x4000) + le16(0),
         2,
         44100,
         {0x4000, 0}},
        {"extensible float, stereo",
         extensibleFormat(2, 44100, 32, 32, 0x3, 3),
         floatLE(0.5f) + floatLE(-1.0f),
         2,
         44100,
         {16384, -32768}},
        {"extensible 5.1 with its mask",
         extensibleFormat(6, 48000, 16, 16, 0x3F, 1),
         le16(0) + le16(0) + le16(0) + le16(0x7000) + le16(0) + le16(0),
         2,
         48000,
         {0, 0}},
        {"192 kHz halved",
         pcmFormat(2, 192000, 16),
         le16(100) + le16(200) + le16(300) + le16(400),
         2,
         96000,
         {200, 300}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = write("x.wav", wavFile(chunkLE("fmt ", c.format) + chunkLE("data", c.samples)));
        TrackRead read;
        ASSERT_TRUE(ReadWaveTags(path, {}, read).ok());
        const Delivered got = deliver(OpenWavePcm(path, {}));
        ASSERT_TRUE(got.opened);
        EXPECT_EQ(got.channels, c.channels);
        EXPECT_EQ(got.rate, c.rate);
        EXPECT_EQ(got.values, c.expected);
    }
}

TEST_F(PcmCodingsTest, AiffCodings)
{
    struct Case {
        const char *what;
        std::string form;
        std::string comm;
        std::string samples;
        int channels;
        int rate;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {
        {"8-bit AIFF, 11025 Hz", "AIFF", commData(1, 2, 8, 11025), bytesOf({0x7F, 0x80}), 1, 11025, {0x7F00, -32768}},
        {"12-bit AIFF", "AIFF", commData(1, 1, 12, 44100), bytesOf({0x12, 0x30}), 1, 44100, {0x1230}},
        {"32-bit AIFF", "AIFF", commData(1, 1, 32, 44100), bytesOf({0x12, 0x34, 0x56, 0x78}), 1, 44100, {0x1234}},
        {"AIFF-C sowt",
         "AIFC",
         commData(2, 1, 16, 44100, "sowt"),
         le16(0x1234) + le16(0x00FF),
         2,
         44100,
         {0x1234, 0x00FF}},
        {"AIFF-C fl32",
         "AIFC",
         commData(1, 1, 32, 48000, "fl32"),
         be32(std::bit_cast<std::uint32_t>(-0.5f)),
         1,
         48000,
         {-16384}},
        {"AIFF-C fl64", "AIFC", commData(1, 1, 64, 48000, "fl64"), doubleBE(0.25), 1, 48000, {8192}},
        {"AIFF-C alaw", "AIFC", commData(1, 2, 16, 8000, "alaw"), bytesOf({0x55, 0xAA}), 1, 8000, {-8, 32256}},
        {"AIFF-C ulaw", "AIFC", commData(1, 1, 16, 8000, "ulaw"), bytesOf({0x00}), 1, 8000, {-32124}},
        {"AIFF, three channels",
         "AIFF",
         commData(3, 1, 16, 44100),
         be16(0) + be16(0x4000) + be16(0),
         2,
         44100,
         {0, static_cast<std::int16_t>(0x4000 / (1 + 0.7071))}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string chunks = chunkBE("COMM", c.comm) + chunkBE("SSND", ssndData(c.samples));
        if (c.form == std::string("AIFC"))
            chunks = chunkBE("FVER", be32(0xA2805140u)) + chunks;
        const fs::path path = write("x.aiff", aiffFile(c.form, chunks));
        TrackRead read;
        ASSERT_TRUE(ReadAiffTags(path, {}, read).ok());
        const Delivered got = deliver(OpenAiffPcm(path, {}));
        ASSERT_TRUE(got.opened);
        EXPECT_EQ(got.channels, c.channels);
        EXPECT_EQ(got.rate, c.rate);
        for (std::size_t i = 0; i < c.expected.size() && i < got.values.size(); ++i)
            EXPECT_NEAR(got.values[i], c.expected[i], 1) << i;
        EXPECT_EQ(got.values.size(), c.expected.size());
    }
}

// A coding the conversion does not read leaves no source, and is no failure of the file: the
// placement copies it as it is.
TEST_F(PcmCodingsTest, CompressedCodingsGiveNoSource)
{
    const fs::path adpcm = write(
        "adpcm.wav", wavFile(chunkLE("fmt ", pcmFormat(1, 8000, 4, 0x11)) + chunkLE("data", std::string(256, '\x11'))));
    TrackRead read;
    EXPECT_TRUE(ReadWaveTags(adpcm, {}, read).ok());
    const PcmOpening opening = OpenWavePcm(adpcm, {});
    EXPECT_EQ(opening.status.status, ReadStatus::Unsupported);
    EXPECT_EQ(statusText(opening.status), "WAV: IMA ADPCM samples");
    EXPECT_EQ(opening.source, nullptr);
    EXPECT_FALSE(opening.sourceFailed);
}

// Samples that stop before the end their chunk header gives: the file is refused as cut short
// when it is read, and its conversion read fails as a failure of the source. A data size of
// 0xFFFFFFFF (a stream written without seeking back) runs to the end of the file instead.
TEST_F(PcmCodingsTest, SamplesCutShortAreRefused)
{
    const std::string samples = std::string(400, '\x10');
    std::string wav = wavFile(chunkLE("fmt ", pcmFormat(2, 44100, 16)) + chunkLE("data", samples));
    std::string aiff =
        aiffFile("AIFF", chunkBE("COMM", commData(2, 100, 16, 44100)) + chunkBE("SSND", ssndData(samples)));
    const fs::path cutWav = write("cut.wav", wav.substr(0, wav.size() - 150));
    const fs::path cutAiff = write("cut.aiff", aiff.substr(0, aiff.size() - 150));

    TrackRead read;
    const ReadResult wavStatus = ReadWaveTags(cutWav, {}, read);
    EXPECT_EQ(wavStatus.status, ReadStatus::CutShort);
    EXPECT_EQ(statusText(wavStatus), "WAV: the audio data is cut short (250 of 400 bytes)");
    const ReadResult aiffStatus = ReadAiffTags(cutAiff, {}, read);
    EXPECT_EQ(aiffStatus.status, ReadStatus::CutShort);
    EXPECT_EQ(statusText(aiffStatus), "AIFF: the sound data is cut short (250 of 400 bytes)");
    for (const PcmOpening &opening : {OpenWavePcm(cutWav, {}), OpenAiffPcm(cutAiff, {})}) {
        EXPECT_EQ(opening.source, nullptr);
        EXPECT_TRUE(opening.sourceFailed);
        EXPECT_EQ(opening.status.status, ReadStatus::CutShort);
    }

    // As ffmpeg writes to a pipe: RIFF and data sizes both 0xFFFFFFFF.
    const std::string streamed = "RIFF" + le32(0xFFFFFFFFu) + "WAVE" + chunkLE("fmt ", pcmFormat(2, 44100, 16)) + "data"
        + le32(0xFFFFFFFFu) + samples;
    const fs::path unknown = write("streamed.wav", streamed);
    EXPECT_TRUE(ReadWaveTags(unknown, {}, read).ok());
    const Delivered got = deliver(OpenWavePcm(unknown, {}));
    ASSERT_TRUE(got.opened);
    EXPECT_EQ(got.values.size(), samples.size() / 2);
}

} // namespace
} // namespace tunvale::formats
