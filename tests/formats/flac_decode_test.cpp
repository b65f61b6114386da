#include "formats/flac/flac_tags.h"

#include "formats/audio/stereo_mix.h"

#include "formats/flac_fixtures.h"
#include "formats/reader_records.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <random>

namespace {

namespace fs = std::filesystem;
namespace flac = tunvale::testing::flac;
using tunvale::catalog::LoadOptions;
using tunvale::formats::DecodedAudio;
using tunvale::formats::DecodeFlac;
using tunvale::formats::OpenFlacPcm;
using tunvale::formats::PcmOpening;
using tunvale::formats::PcmSource;
using tunvale::formats::ReadResult;
using tunvale::formats::ReadStatus;
using tunvale::formats::TrackRead;

// What the conversion must receive, computed from samples decoded by the flac tool: the
// upper 16 bits of every sample (a 24-bit one shifted right by 8, an 8-bit one scaled up),
// more than two channels mixed down by StereoMix (tested on its own), and above 48 kHz each
// channel's neighbouring frames averaged in pairs as (a >> 1) + (b >> 1), an odd last frame
// dropped.
std::vector<std::int16_t> expectedPcm(const std::vector<std::int32_t> &samples, int channels, int bits, int rate)
{
    const int out = channels == 1 ? 1 : 2;
    const tunvale::formats::StereoMix mix(channels);
    std::vector<std::int16_t> reduced;
    reduced.reserve(samples.size());
    std::vector<std::int32_t> frame(channels);
    for (std::size_t f = 0; f + channels <= samples.size(); f += channels) {
        for (int c = 0; c < channels; ++c)
            frame[c] = static_cast<std::int32_t>(static_cast<std::uint32_t>(samples[f + c]) << (32 - bits));
        std::int16_t mixed[2];
        mix.mixFrame(frame.data(), mixed);
        reduced.insert(reduced.end(), mixed, mixed + out);
    }
    if (rate <= 48000)
        return reduced;
    std::vector<std::int16_t> halved;
    const std::size_t frames = reduced.size() / out;
    for (std::size_t f = 0; f + 1 < frames; f += 2) {
        for (int c = 0; c < out; ++c) {
            const std::int16_t a = reduced[f * out + c];
            const std::int16_t b = reduced[(f + 1) * out + c];
            halved.push_back(static_cast<std::int16_t>((a >> 1) + (b >> 1)));
        }
    }
    return halved;
}

// Everything a source delivers, read in chunks of the given size.
std::vector<std::int16_t> drain(PcmSource &source, std::size_t chunk)
{
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> buffer(chunk);
    for (;;) {
        const std::size_t n = source.read(buffer.data(), chunk);
        if (n == 0)
            break;
        EXPECT_EQ(n % source.channels(), 0u);
        all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    }
    return all;
}

class FlacDecode : public ::testing::Test, protected tunvale::testing::ReaderRecords {
protected:
    void SetUp() override
    {
        if (!flac::haveFlacTools())
            GTEST_SKIP() << "flac and metaflac are needed";
    }

    // The whole-buffer decode (decode set) or the read alone, into the fixture's records.
    ReadResult decodeFlac(const fs::path &path, bool decode = true, bool capturePictures = false)
    {
        return readWith(path, m_options.tagsFromName, [&](TrackRead &read, DecodedAudio &audio) {
            return DecodeFlac(path, decode, capturePictures, read, audio);
        });
    }
    // The conversion's read, with the default load options unless given.
    PcmOpening openFlacPcm(const fs::path &path, const LoadOptions &options = LoadOptions{})
    {
        return openPcm(OpenFlacPcm, path, options);
    }

    fs::path encode(const std::string &name, const flac::RawAudio &audio, const std::string &options = {})
    {
        const fs::path path = m_dir / name;
        EXPECT_TRUE(flac::encodeFlac(path, audio, options)) << name;
        return path;
    }

    tunvale::testing::TempDir m_dir;
    LoadOptions m_options{false, false};
};

// Whole-buffer decode and streaming, against the flac tool's own decode, for the accepted
// formats; odd frame counts check the pairing at the end and across frame boundaries.
TEST_F(FlacDecode, MatchesTheReferenceDecoderReducedAndHalved)
{
    struct Case {
        int rate, channels, bits;
        std::size_t frames;
        const char *options;
    };
    const Case cases[] = {
        {44100, 2, 16, 10001, ""},
        {48000, 2, 24, 5000, ""},
        {96000, 1, 24, 9601, ""},           // mono 24-bit 96 kHz: reduced and halved
        {96000, 2, 24, 12345, ""},
        {88200, 2, 16, 4097, "--blocksize=1153"},  // odd block size: pairs straddle frames
        {88200, 1, 16, 3001, "--blocksize=17"},
        {22050, 1, 16, 3000, ""},
        {24000, 2, 16, 100, ""},
        {32000, 1, 24, 2500, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz " + std::to_string(c.channels) + " ch " + std::to_string(c.bits) +
                     " bit " + std::to_string(c.frames) + " frames");
        const flac::RawAudio audio = flac::makeAudio(c.rate, c.channels, c.bits, c.frames, c.rate + c.channels);
        const fs::path path = encode("case.flac", audio, c.options);
        std::vector<std::int32_t> reference;
        ASSERT_TRUE(flac::decodeWithFlacTool(path, c.bits, reference));
        ASSERT_EQ(reference, audio.samples);   // the tool round-trips what we generated
        const std::vector<std::int16_t> expected = expectedPcm(reference, c.channels, c.bits, c.rate);

        ASSERT_TRUE(decodeFlac(path).ok());
        const auto &decoded = decodedAudio();
        EXPECT_EQ(decoded.channels, c.channels);
        EXPECT_EQ(decoded.sampleRate, c.rate > 48000 ? c.rate / 2 : c.rate);
        EXPECT_EQ(decoded.bitsPerSample, 16);
        EXPECT_EQ(decoded.byteLength, expected.size() * 2);
        EXPECT_EQ(decoded.rawLength, c.frames * c.channels * (c.bits / 8));
        EXPECT_EQ(decoded.extraSize, 0u);
        EXPECT_TRUE(decoded.pcm == expected) << "whole-buffer decode differs";
        // Opening a stream empties the record, so keep what the whole-buffer decode gave.
        const std::vector<std::int16_t> whole = decoded.pcm;
        const int rate = decoded.sampleRate;

        for (std::size_t chunk : {std::size_t(1), std::size_t(9216), std::size_t(4097)}) {
            PcmOpening opening = openFlacPcm(path);
            ASSERT_TRUE(opening.status.ok());
            ASSERT_TRUE(opening.source);
            PcmSource *source = opening.source.get();
            EXPECT_EQ(source->channels(), c.channels);
            EXPECT_EQ(source->sampleRate(), rate);
            EXPECT_EQ(source->totalValues(), expected.size());
            const std::vector<std::int16_t> streamed = drain(*source, chunk * c.channels);
            EXPECT_FALSE(source->failed());
            EXPECT_TRUE(streamed == whole) << "stream differs with chunks of " << chunk << " frames";
        }
    }
}

// Sources made by sox and encoded by flac from WAV, as users' files usually are.
TEST_F(FlacDecode, SoxMadeSources)
{
    if (!tunvale::testing::haveTool("sox"))
        GTEST_SKIP() << "sox is needed";
    struct Case {
        int rate, channels, bits;
    };
    for (const Case c : {Case{44100, 1, 16}, Case{96000, 2, 24}, Case{88200, 1, 24}, Case{48000, 2, 16}}) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz " + std::to_string(c.channels) + " ch " + std::to_string(c.bits));
        const fs::path wav = m_dir / "sox.wav";
        const fs::path path = m_dir / "sox.flac";
        ASSERT_EQ(tunvale::testing::runCommand("sox -n -r " + std::to_string(c.rate) + " -b " + std::to_string(c.bits) +
                                               " -c " + std::to_string(c.channels) + " " + flac::quote(wav.string()) +
                                               " synth 0.37 sine 440 sine 1234 gain -1 2>&1"),
                  0);
        ASSERT_EQ(tunvale::testing::runCommand("flac -s -f -o " + flac::quote(path.string()) + " " +
                                               flac::quote(wav.string()) + " 2>&1"),
                  0);
        std::vector<std::int32_t> reference;
        ASSERT_TRUE(flac::decodeWithFlacTool(path, c.bits, reference));
        const std::vector<std::int16_t> expected = expectedPcm(reference, c.channels, c.bits, c.rate);
        ASSERT_TRUE(decodeFlac(path).ok());
        EXPECT_EQ(decodedAudio().sampleRate, c.rate > 48000 ? c.rate / 2 : c.rate);
        EXPECT_TRUE(decodedAudio().pcm == expected);
        // Not silence: the reduction kept the signal.
        EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 10000);
    }
}

// Mono is halved sample by sample: the spacing in time stays even. (Taking mono as stereo
// pairs would average samples 1 and 3, 2 and 4.)
TEST_F(FlacDecode, MonoHalvingAveragesNeighbouringSamples)
{
    flac::RawAudio audio{96000, 1, 24, {100 * 256, 300 * 256, -500 * 256, 701 * 256 + 255, 7 * 256}};
    const fs::path path = encode("mono.flac", audio);
    ASSERT_TRUE(decodeFlac(path).ok());
    // (50 + 150), (-250 + 350); the fifth sample has no partner.
    EXPECT_EQ(decodedAudio().pcm, (std::vector<std::int16_t>{200, 100}));
    EXPECT_EQ(decodedAudio().sampleRate, 48000);
    EXPECT_EQ(decodedAudio().byteLength, 4u);
}

TEST_F(FlacDecode, ExtremeSamplesStayInRange)
{
    // Full-scale pairs: the halves sum without overflow; negative samples shift arithmetically.
    flac::RawAudio audio{96000, 2, 24, {8388607, -8388608, 8388607, -8388608, -1, -256, -1, -255}};
    const fs::path path = encode("extremes.flac", audio);
    ASSERT_TRUE(decodeFlac(path).ok());
    // 16383 + 16383; -16384 + -16384; the small negatives reduce to -1 and halve to -1 + -1.
    EXPECT_EQ(decodedAudio().pcm, (std::vector<std::int16_t>{32766, -32768, -2, -2}));
}

// Every stream the flac tool writes is taken: any sample size, rate and channel count, each
// delivered as the reference decoder's samples reduced to 16-bit mono or stereo.
TEST_F(FlacDecode, EveryStreamLayoutIsDelivered)
{
    struct Case {
        const char *name;
        flac::RawAudio audio;
        int rate;     // delivered
        int channels; // delivered
    };
    const Case cases[] = {
        {"8-bit", flac::makeAudio(44100, 2, 8, 1000), 44100, 2},
        {"8 kHz mono", flac::makeAudio(8000, 1, 16, 1000), 8000, 1},
        {"11025 Hz", flac::makeAudio(11025, 2, 16, 1000), 11025, 2},
        {"32-bit", flac::makeAudio(44100, 2, 32, 1000), 44100, 2},
        {"3 channels", flac::makeAudio(44100, 3, 16, 1000), 44100, 2},
        {"5.1", flac::makeAudio(48000, 6, 24, 1000), 48000, 2},
        {"8 channels", flac::makeAudio(44100, 8, 16, 1000), 44100, 2},
        {"192000 Hz", flac::makeAudio(192000, 2, 24, 1000), 96000, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = encode("layout.flac", c.audio);
        std::vector<std::int32_t> reference;
        ASSERT_TRUE(flac::decodeWithFlacTool(path, c.audio.bitsPerSample, reference));
        const std::vector<std::int16_t> expected =
            expectedPcm(reference, c.audio.channels, c.audio.bitsPerSample, c.audio.sampleRate);
        ASSERT_TRUE(decodeFlac(path).ok());
        EXPECT_EQ(decodedAudio().sampleRate, c.rate);
        EXPECT_EQ(decodedAudio().channels, c.channels);
        EXPECT_TRUE(decodedAudio().pcm == expected);
        PcmOpening opening = openFlacPcm(path);
        ASSERT_TRUE(opening.source);
        EXPECT_EQ(opening.source->channels(), c.channels);
        EXPECT_EQ(opening.source->totalValues(), expected.size());
        EXPECT_TRUE(drain(*opening.source, 9216) == expected);
    }
    // An unknown length (total samples 0 in STREAMINFO) is not taken: no failure of the file,
    // which placement then copies as it is.
    const fs::path unknown = encode("unknown-length.flac", flac::makeAudio(44100, 2, 16, 1000));
    ASSERT_TRUE(flac::patchTotalSamples(unknown, 0));
    EXPECT_EQ(decodeFlac(unknown).status, ReadStatus::Unsupported);
    const PcmOpening opening = openFlacPcm(unknown);
    EXPECT_FALSE(opening.source);
    EXPECT_FALSE(opening.sourceFailed);
}

TEST_F(FlacDecode, WithoutDecodingOnlyTagsAreRead)
{
    const fs::path path = encode("nodecode.flac", flac::makeAudio(44100, 2, 16, 1000));
    ASSERT_TRUE(flac::setComments(path, {"TITLE=Only Tags"}));
    ASSERT_TRUE(decodeFlac(path, false).ok());
    EXPECT_EQ(currentTags().Title.str(), "Only Tags");
    EXPECT_TRUE(decodedAudio().pcm.empty());
    EXPECT_EQ(decodedAudio().channels, 0);
    EXPECT_EQ(decodedAudio().byteLength, 0u);
}

// STREAMINFO bounds what is delivered: a longer stream is cut at its stated length, a
// shorter one ends where its audio ends; no write goes past the buffer and no audio is invented.
TEST_F(FlacDecode, StreamInfoLengthBoundsTheDelivery)
{
    const flac::RawAudio audio = flac::makeAudio(44100, 2, 16, 5000);
    const std::vector<std::int16_t> all = expectedPcm(audio.samples, 2, 16, 44100);

    const fs::path shorter = encode("declared-shorter.flac", audio);
    ASSERT_TRUE(flac::patchTotalSamples(shorter, 1234));
    ASSERT_TRUE(decodeFlac(shorter).ok());
    EXPECT_EQ(decodedAudio().pcm, std::vector<std::int16_t>(all.begin(), all.begin() + 1234 * 2));
    EXPECT_EQ(decodedAudio().byteLength, 1234u * 4);

    // A header claiming far more audio than the file holds (64 Mi frames here): cut short.
    const fs::path longer = encode("declared-longer.flac", audio);
    ASSERT_TRUE(flac::patchTotalSamples(longer, std::uint64_t(1) << 26));
    const ReadResult claimed = decodeFlac(longer);
    EXPECT_EQ(claimed.status, ReadStatus::CutShort);
    EXPECT_EQ(tunvale::formats::statusText(claimed), "FLAC: the audio stops at 0.1 s of 1521.7 s");
    EXPECT_TRUE(decodedAudio().pcm.empty());
    PcmOpening opening = openFlacPcm(longer);
    EXPECT_FALSE(opening.source);
    EXPECT_TRUE(opening.sourceFailed);

    // When the end of the file tells nothing (zeros after the audio), the source finds the
    // stream short as it decodes it, and fails rather than deliver less than it promised.
    std::string padded = tunvale::testing::readFile(longer);
    padded.append(256 * 1024, '\0');
    tunvale::testing::writeFile(longer, padded);
    opening = openFlacPcm(longer);
    ASSERT_TRUE(opening.source);
    PcmSource *source = opening.source.get();
    EXPECT_EQ(source->totalValues(), (std::uint64_t(1) << 26) * 2);   // what the header promises
    drain(*source, 9216);
    EXPECT_TRUE(source->failed());
    EXPECT_EQ(source->damage(), "FLAC: the audio stops at 0.1 s of 1521.7 s");
    EXPECT_EQ(decodeFlac(longer).status, ReadStatus::CutShort);
}

// Frames that disagree with STREAMINFO are refused instead of being taken for another layout.
TEST_F(FlacDecode, FramesNotMatchingStreamInfoFail)
{
    const fs::path path = encode("mono-declared-stereo.flac", flac::makeAudio(44100, 1, 16, 3000));
    ASSERT_TRUE(flac::patchChannels(path, 2));
    EXPECT_EQ(decodeFlac(path).status, ReadStatus::Damaged);
    EXPECT_TRUE(decodedAudio().pcm.empty());
    EXPECT_EQ(decodedAudio().byteLength, 0u);

    PcmOpening opening = openFlacPcm(path);
    ASSERT_TRUE(opening.status.ok());
    ASSERT_TRUE(opening.source);
    PcmSource *source = opening.source.get();
    std::vector<std::int16_t> buffer(1024);
    EXPECT_EQ(source->read(buffer.data(), buffer.size()), 0u);
    EXPECT_TRUE(source->failed());
}

TEST_F(FlacDecode, ReaderErrorsComeBackUnchanged)
{
    EXPECT_EQ(decodeFlac(m_dir / "missing.flac").status, ReadStatus::CannotOpen);
    tunvale::testing::writeFile(m_dir / "not.flac", std::string(4096, 'x'));
    EXPECT_EQ(decodeFlac(m_dir / "not.flac").status, ReadStatus::NotThisFormat);
    tunvale::testing::writeFile(m_dir / "magic-only.flac", "fLaC");
    EXPECT_EQ(decodeFlac(m_dir / "magic-only.flac").status, ReadStatus::NotThisFormat);
    PcmOpening opening = openFlacPcm(m_dir / "not.flac");
    EXPECT_FALSE(opening.source);
    EXPECT_EQ(opening.status.status, ReadStatus::NotThisFormat);
    EXPECT_TRUE(opening.sourceFailed);
    opening = openFlacPcm(fs::path());
    EXPECT_FALSE(opening.source);
    EXPECT_EQ(opening.status.status, ReadStatus::CannotOpen);
}

// Damaged audio must not crash or overrun: a CRC error fails the decode, any other damage
// either fails or delivers at most the promised number of values.
TEST_F(FlacDecode, DamagedAudioNeverCrashes)
{
    const flac::RawAudio audio = flac::makeAudio(96000, 2, 24, 20000);
    const fs::path original = encode("original.flac", audio);
    const std::string bytes = tunvale::testing::readFile(original);
    ASSERT_GT(bytes.size(), 8192u);

    // One flipped byte in the middle of the audio: a frame CRC mismatch.
    std::string flipped = bytes;
    flipped[bytes.size() / 2] = static_cast<char>(flipped[bytes.size() / 2] ^ 0x5A);
    tunvale::testing::writeFile(m_dir / "flipped.flac", flipped);
    EXPECT_FALSE(decodeFlac(m_dir / "flipped.flac").ok());
    EXPECT_TRUE(decodedAudio().pcm.empty());

    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        std::string damaged = bytes;
        const std::size_t start = 4096 + random() % (bytes.size() - 4096);
        const std::size_t length = 1 + random() % 64;
        for (std::size_t i = start; i < std::min(bytes.size(), start + length); ++i)
            damaged[i] = static_cast<char>(random());
        if (round % 4 == 0)
            damaged.resize(start);   // cut short as well
        const fs::path path = m_dir / "damaged.flac";
        tunvale::testing::writeFile(path, damaged);
        const ReadResult result = decodeFlac(path);
        if (result.ok()) {
            EXPECT_LE(decodedAudio().byteLength, 20000u / 2 * 2 * 2);
            EXPECT_EQ(decodedAudio().byteLength, decodedAudio().pcm.size() * 2);
        } else
            EXPECT_TRUE(decodedAudio().pcm.empty());
    }
}

// A file cut short is refused when it is read, whether the cut falls inside a frame or between
// two: neither a copy nor a shorter conversion is made of it as if it were whole.
TEST_F(FlacDecode, TruncatedStreamIsCutShort)
{
    const flac::RawAudio audio = flac::makeAudio(44100, 2, 16, 176400); // 4 s
    const fs::path whole = encode("whole.flac", audio, "--blocksize=4096");
    const std::string bytes = tunvale::testing::readFile(whole);
    for (const std::size_t keep : {bytes.size() * 2 / 5, bytes.size() - 10}) {
        SCOPED_TRACE(keep);
        const fs::path path = m_dir / "truncated.flac";
        tunvale::testing::writeFile(path, bytes.substr(0, keep));
        TrackRead read;
        const ReadResult loaded = tunvale::formats::ReadFlacTags(path, {}, read);
        EXPECT_EQ(loaded.status, ReadStatus::CutShort);
        EXPECT_TRUE(tunvale::formats::statusText(loaded).starts_with("FLAC: the audio stops at ")) << loaded.detail;
        EXPECT_TRUE(tunvale::formats::statusText(loaded).ends_with(" of 4.0 s")) << loaded.detail;
        EXPECT_EQ(decodeFlac(path).status, ReadStatus::CutShort);
        const PcmOpening opening = openFlacPcm(path);
        EXPECT_FALSE(opening.source);
        EXPECT_TRUE(opening.sourceFailed);
    }
    // Nothing after the metadata at all.
    TrackRead read;
    std::size_t audioStart = 4; // after "fLaC", each block: a 4-byte header (last flag, 24-bit length)
    for (bool last = false; !last;) {
        last = (static_cast<unsigned char>(bytes[audioStart]) & 0x80) != 0;
        audioStart += 4
            + ((static_cast<unsigned char>(bytes[audioStart + 1]) << 16)
               | (static_cast<unsigned char>(bytes[audioStart + 2]) << 8)
               | static_cast<unsigned char>(bytes[audioStart + 3]));
    }
    const std::string headOnly = bytes.substr(0, audioStart);
    tunvale::testing::writeFile(m_dir / "no-audio.flac", headOnly);
    EXPECT_EQ(tunvale::formats::statusText(tunvale::formats::ReadFlacTags(m_dir / "no-audio.flac", {}, read)),
              "FLAC: no audio after the metadata");
    // The whole file, and one with an ID3v1 tag after its audio, are read as they are.
    EXPECT_TRUE(tunvale::formats::ReadFlacTags(whole, {}, read).ok());
    tunvale::testing::writeFile(m_dir / "id3v1.flac", bytes + "TAG" + std::string(125, ' '));
    EXPECT_TRUE(tunvale::formats::ReadFlacTags(m_dir / "id3v1.flac", {}, read).ok());
}

// The conversion's opening read refills the tag records and describes the audio.
TEST_F(FlacDecode, OpeningForConversionFillsTheRecords)
{
    const fs::path path = encode("convert.flac", flac::makeAudio(96000, 2, 24, 3001));
    ASSERT_TRUE(flac::setComments(path, {"TITLE=Converted Song", "ARTIST=Some Band", "DATE=2001"}));
    ASSERT_TRUE(flac::addPicture(path, 3, "cover", m_dir.path()));
    m_read.pictures.add({{1, 2, 3}, 5, "image/jpeg", "stale"}); // a record of an earlier file

    PcmOpening opening = openFlacPcm(path, m_options);
    ASSERT_TRUE(opening.status.ok());
    ASSERT_TRUE(opening.source);
    PcmSource *source = opening.source.get();
    EXPECT_EQ(currentTags().Title.str(), "Converted Song");
    EXPECT_EQ(currentTags().Year, 2001);
    ASSERT_EQ(pictureTable().count(), 1);
    EXPECT_EQ(pictureTable().at(0).type, 3);
    EXPECT_EQ(decodedAudio().channels, 2);
    EXPECT_EQ(decodedAudio().sampleRate, 48000);
    EXPECT_EQ(decodedAudio().bitsPerSample, 16);
    EXPECT_EQ(decodedAudio().byteLength, 1500u * 2 * 2);
    EXPECT_TRUE(decodedAudio().pcm.empty());
    EXPECT_EQ(source->totalValues(), 1500u * 2);

    const std::vector<std::int16_t> streamed = drain(*source, 9216);
    ASSERT_TRUE(decodeFlac(path, true, true).ok());
    EXPECT_TRUE(streamed == decodedAudio().pcm);

    // Without options, the defaults: the same records.
    ASSERT_TRUE(openFlacPcm(path).source);
    EXPECT_EQ(currentTags().Title.str(), "Converted Song");
    EXPECT_EQ(pictureTable().count(), 1);

    // The options decide whether a missing title comes from the file name.
    const fs::path untitled = encode("Band Name - Untitled Song.flac", flac::makeAudio(44100, 2, 16, 100));
    ASSERT_TRUE(openFlacPcm(untitled, LoadOptions{false, false}).source);
    EXPECT_EQ(currentTags().Title.str(), "");
    ASSERT_TRUE(openFlacPcm(untitled, LoadOptions{true, false}).source);
    EXPECT_EQ(currentTags().Title.str(), "Untitled Song");

    const PcmOpening missing = openFlacPcm(m_dir / "missing.flac", m_options);
    EXPECT_FALSE(missing.source);
    EXPECT_EQ(missing.status.status, ReadStatus::CannotOpen);
    EXPECT_TRUE(missing.sourceFailed);
}

} // namespace
