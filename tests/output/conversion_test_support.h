#pragma once

// Helpers of the MP3 conversion tests: synthetic PCM sources, an MPEG frame walker, and the
// checks made with independent tools (ffmpeg, mp3val) from the shared support.

#include "formats/audio/pcm_source.h"
#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace tunvale::testing {

// Sample i of a test signal: a sine of freq Hz, or white noise when freq is 0 (a fixed
// linear congruential sequence, so every run gives the same values).
inline std::int16_t testSample(double freq, int rate, std::uint64_t i, int channel)
{
    if (freq > 0.0)
        return static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * freq * static_cast<double>(i) / rate)));
    std::uint64_t x = (i * 2 + static_cast<std::uint64_t>(channel)) * 6364136223846793005ULL + 1442695040888963407ULL;
    x ^= x >> 29;
    return static_cast<std::int16_t>(static_cast<std::int32_t>((x >> 20) & 0x3FFF) - 0x2000);
}

// The whole signal as one interleaved buffer.
inline std::vector<std::int16_t> testSignal(int channels, int rate, std::uint64_t frames, const double freqs[2])
{
    std::vector<std::int16_t> values;
    values.reserve(frames * static_cast<std::uint64_t>(channels));
    for (std::uint64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            values.push_back(testSample(freqs[c], rate, i, c));
    return values;
}

// A PcmSource over testSignal that answers each read with an odd, varying count (so chunk
// boundaries never line up with the reads), and can fail or raise a cancel flag after a
// number of reads.
class ToneSource : public formats::PcmSource {
public:
    ToneSource(int channels, int rate, std::uint64_t frames, double left, double right = 0.0)
        : m_channels(channels), m_rate(rate), m_frames(frames), m_freqs{left, right}
    {
    }

    int channels() const override { return m_channels; }
    int sampleRate() const override { return m_rate; }
    std::uint64_t totalValues() const override { return m_frames * static_cast<std::uint64_t>(m_channels); }
    bool failed() const override { return m_failed; }

    std::size_t read(std::int16_t *values, std::size_t maxValues) override
    {
        ++m_reads;
        if (m_cancel && m_reads == m_cancelAfter)
            m_cancel->store(true);
        if (m_failAfter != 0 && m_reads > m_failAfter) {
            m_failed = true;
            return 0;
        }
        const std::size_t step = static_cast<std::size_t>(m_channels) * (700 + (m_reads * 263) % 1500);
        std::size_t n = std::min<std::size_t>(maxValues, step);
        n -= n % static_cast<std::size_t>(m_channels);
        std::size_t written = 0;
        while (written < n && m_next < m_frames) {
            for (int c = 0; c < m_channels; ++c)
                values[written++] = testSample(m_freqs[c < 2 ? c : 1], m_rate, m_next, c);
            ++m_next;
        }
        return written;
    }

    void failAfterReads(std::size_t reads) { m_failAfter = reads; }
    void cancelAfterReads(std::atomic<bool> *flag, std::size_t reads)
    {
        m_cancel = flag;
        m_cancelAfter = reads;
    }
    std::size_t reads() const { return m_reads; }

private:
    int m_channels;
    int m_rate;
    std::uint64_t m_frames;
    double m_freqs[2];
    std::uint64_t m_next = 0;
    std::size_t m_reads = 0;
    std::size_t m_failAfter = 0;
    std::atomic<bool> *m_cancel = nullptr;
    std::size_t m_cancelAfter = 0;
    bool m_failed = false;
};

// Size of the ID3v2 tag at the start of bytes (header included), 0 when there is none.
inline std::size_t id3v2Size(const std::string &bytes)
{
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return 0;
    const auto b = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
    return 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
}

// One MPEG audio layer III frame found by walking headers.
struct Mp3Frame {
    std::size_t offset = 0;
    std::size_t size = 0;
    int bitRate = 0;       // kbit/s
    int sampleRate = 0;
    int channelMode = 0;   // 0 stereo, 1 joint stereo, 2 dual, 3 mono
};

// Walks consecutive layer III frames from offset; stops at the first byte that does not
// start a frame. end tells where the walk stopped.
inline std::vector<Mp3Frame> walkFrames(const std::string &bytes, std::size_t offset, std::size_t *end = nullptr)
{
    static const int kRates1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int kSampleRates[] = {44100, 48000, 32000, 0};
    std::vector<Mp3Frame> frames;
    std::size_t pos = offset;
    while (pos + 4 <= bytes.size()) {
        const auto h = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[pos + i])); };
        if (h(0) != 0xFF || (h(1) & 0xE0) != 0xE0 || ((h(1) >> 1) & 3) != 1)
            break;
        const unsigned version = (h(1) >> 3) & 3;   // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const unsigned rateIndex = (h(2) >> 4) & 15;
        const unsigned srIndex = (h(2) >> 2) & 3;
        if (version == 1 || srIndex == 3 || rateIndex == 0 || rateIndex == 15)
            break;
        Mp3Frame frame;
        frame.offset = pos;
        frame.bitRate = version == 3 ? kRates1[rateIndex] : kRates2[rateIndex];
        frame.sampleRate = kSampleRates[srIndex] / (version == 3 ? 1 : version == 2 ? 2 : 4);
        frame.channelMode = static_cast<int>(h(3) >> 6);
        const std::size_t padding = (h(2) >> 1) & 1;
        const std::size_t coefficient = version == 3 ? 144 : 72;
        frame.size = coefficient * static_cast<std::size_t>(frame.bitRate) * 1000 / static_cast<std::size_t>(frame.sampleRate) + padding;
        if (pos + frame.size > bytes.size())
            break;
        frames.push_back(frame);
        pos += frame.size;
    }
    if (end)
        *end = pos;
    return frames;
}

// The info-tag marker ("Xing" or "Info") of a frame, or "" when the frame carries none.
inline std::string infoMarker(const std::string &bytes, const Mp3Frame &frame)
{
    for (std::size_t at : {std::size_t{13}, std::size_t{21}, std::size_t{36}}) {
        if (frame.offset + at + 4 > bytes.size())
            break;
        const std::string marker = bytes.substr(frame.offset + at, 4);
        if (marker == "Xing" || marker == "Info")
            return marker;
    }
    return {};
}

// Two valid 1x1 PNG images (red and blue), so that tools reading the pictures find no fault.
inline std::string tinyPng(bool blue)
{
    static const char kRed[] =
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01"
        "\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\x00"
        "\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82";
    static const char kBlue[] =
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01"
        "\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x60\x60\xf8\x0f"
        "\x00\x01\x03\x01\x00\x08\x89\xc2\xec\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82";
    return blue ? std::string(kBlue, sizeof kBlue - 1) : std::string(kRed, sizeof kRed - 1);
}

inline std::string shellQuote(const std::filesystem::path &path)
{
    const std::string text = path.string();
    return tunvale::testing::shellQuote(std::string_view(text));
}

// Power of frequency freq in one channel of interleaved samples (Goertzel), relative to
// the channel's total power: near 1 for a pure sine at freq, near 0 when it is absent.
inline double tonePower(const std::vector<std::int16_t> &samples, int channels, int channel, int rate, double freq)
{
    const double w = 2.0 * std::numbers::pi * freq / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0, energy = 0.0;
    std::size_t n = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size(); i += static_cast<std::size_t>(channels)) {
        const double x = samples[i];
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += x * x;
        ++n;
    }
    if (n == 0 || energy == 0.0)
        return 0.0;
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * power / (static_cast<double>(n) * energy);
}

} // namespace tunvale::testing
