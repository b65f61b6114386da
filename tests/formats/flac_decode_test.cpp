#include "formats/flac/flac_tags.h"

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
// upper 16 bits of 24-bit samples, and above 48 kHz each channel's neighbouring frames
// averaged in pairs as (a >> 1) + (b >> 1), an odd last frame dropped.
std::vector<std::int16_t> expectedPcm(const std::vector<std::int32_t> &samples, int channels, int bits, int rate)
{
    std::vector<std::int16_t> reduced;
    reduced.reserve(samples.size());
    for (std::int32_t s : samples)
        reduced.push_back(static_cast<std::int16_t>(bits == 24 ? (s >> 8) : s));
    if (rate <= 48000)
        return reduced;
    std::vector<std::int16_t> halved;
    const std::size_t frames = reduced.size() / channels;
    for (std::size_t f = 0; f + 1 < frames; f += 2) {
        for (int c = 0; c < channels; ++c) {
            const std::int16_t a = reduced[f * channels + c];
            const std::int16_t b = reduced[(f + 1) * channels + c];
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

// Formats the conversion does not take are refused with 2 before any decoding, by both entries.
TEST_F(FlacDecode, UnsupportedFormatsAreRefusedWith2)
{
    struct Case {
        const char *name;
        flac::RawAudio audio;
    };
    const Case cases[] = {
        {"8-bit", flac::makeAudio(44100, 2, 8, 1000)},
        {"3 channels", flac::makeAudio(44100, 3, 16, 1000)},
        {"32-bit", flac::makeAudio(44100, 2, 32, 1000)},
        {"11025 Hz", flac::makeAudio(11025, 2, 16, 1000)},
        {"192000 Hz", flac::makeAudio(192000, 2, 24, 1000)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = encode("refused.flac", c.audio);
        // A record that held samples before: the refusal leaves none.
        DecodedAudio audio;
        audio.pcm.assign(10, 1);
        audio.byteLength = 20;
        audio.bitsPerSample = 16;
        TrackRead read;
        EXPECT_EQ(DecodeFlac(path, true, false, read, audio).status, ReadStatus::Unsupported);
        EXPECT_TRUE(audio.pcm.empty());
        EXPECT_EQ(audio.byteLength, 0u);
        EXPECT_EQ(audio.bitsPerSample, 0);
        const PcmOpening opening = openFlacPcm(path);
        EXPECT_FALSE(opening.source);
        EXPECT_EQ(opening.status.status, ReadStatus::Unsupported);
        EXPECT_TRUE(opening.sourceFailed); // for FLAC every refusal fails the source
    }
    // An unknown length (total samples 0 in STREAMINFO) is refused too.
    const fs::path unknown = encode("unknown-length.flac", flac::makeAudio(44100, 2, 16, 1000));
    ASSERT_TRUE(flac::patchTotalSamples(unknown, 0));
    EXPECT_EQ(decodeFlac(unknown).status, ReadStatus::Unsupported);
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

    // A header claiming far more audio than the file holds (64 Mi frames here).
    const fs::path longer = encode("declared-longer.flac", audio);
    ASSERT_TRUE(flac::patchTotalSamples(longer, std::uint64_t(1) << 26));
    ASSERT_TRUE(decodeFlac(longer).ok());
    EXPECT_EQ(decodedAudio().pcm, all);
    EXPECT_EQ(decodedAudio().byteLength, 5000u * 4);
    PcmOpening opening = openFlacPcm(longer);
    ASSERT_TRUE(opening.source);
    PcmSource *source = opening.source.get();
    EXPECT_EQ(source->totalValues(), (std::uint64_t(1) << 26) * 2);   // what the header promises
    EXPECT_EQ(drain(*source, 9216), all);
    EXPECT_FALSE(source->failed());

    // More than a 32-bit byte count can hold: refused as memory the record cannot describe.
    ASSERT_TRUE(flac::patchTotalSamples(longer, (std::uint64_t(1) << 36) - 1));
    EXPECT_EQ(decodeFlac(longer).status, ReadStatus::NoMemory);
    EXPECT_TRUE(decodedAudio().pcm.empty());
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

TEST_F(FlacDecode, TruncatedStreamEndsWhereItsAudioEnds)
{
    const flac::RawAudio audio = flac::makeAudio(44100, 2, 16, 40000);
    const fs::path path = encode("truncated.flac", audio, "--blocksize=4096");
    std::string bytes = tunvale::testing::readFile(path);
    bytes.resize(bytes.size() - bytes.size() / 3);
    tunvale::testing::writeFile(path, bytes);
    // libFLAC reports the cut as a lost sync, which is also what a trailing ID3v1 tag gives,
    // so the decode succeeds with the frames that are there.
    ASSERT_TRUE(decodeFlac(path).ok());
    const std::vector<std::int16_t> pcm = decodedAudio().pcm;
    const std::vector<std::int16_t> expected = expectedPcm(audio.samples, 2, 16, 44100);
    EXPECT_EQ(decodedAudio().byteLength, pcm.size() * 2);
    EXPECT_GT(pcm.size(), 4096u * 2);
    EXPECT_LT(pcm.size(), expected.size());
    EXPECT_EQ(pcm.size() % (4096 * 2), 0u);   // whole frames only
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), expected.begin()));
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
