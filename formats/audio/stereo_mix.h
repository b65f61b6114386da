#pragma once

// Reduces one frame of samples of any channel count to what the encoder takes: 16-bit values,
// mono kept mono, everything else stereo.
//
// Samples come in at full scale (a sample's most significant bit at bit 31, so every sample
// size reads alike) and leave as their upper 16 bits: 16-bit samples pass unchanged, 24-bit
// and 32-bit ones keep their upper 16 bits, 8-bit ones are scaled up.
//
// More than two channels are mixed down by speaker position: the left ones (front, back,
// side, front-of-centre, top) go left, the right ones right, the centre ones (front, back,
// top) to both at -3 dB, the low-frequency channel is left out, as the common ITU downmix
// does. Each side is divided by the sum of its weights, so a full-scale signal on every
// channel stays full scale and nothing clips.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tunvale::formats {

// WAVE speaker positions (WAVEFORMATEXTENSIBLE dwChannelMask), also used for the channel
// orders of FLAC and AIFF, which follow the same positions.
namespace speaker {
inline constexpr std::uint32_t kFrontLeft = 0x1;
inline constexpr std::uint32_t kFrontRight = 0x2;
inline constexpr std::uint32_t kFrontCentre = 0x4;
inline constexpr std::uint32_t kLowFrequency = 0x8;
inline constexpr std::uint32_t kBackLeft = 0x10;
inline constexpr std::uint32_t kBackRight = 0x20;
inline constexpr std::uint32_t kFrontLeftOfCentre = 0x40;
inline constexpr std::uint32_t kFrontRightOfCentre = 0x80;
inline constexpr std::uint32_t kBackCentre = 0x100;
inline constexpr std::uint32_t kSideLeft = 0x200;
inline constexpr std::uint32_t kSideRight = 0x400;
inline constexpr std::uint32_t kTopFrontLeft = 0x1000;
inline constexpr std::uint32_t kTopFrontRight = 0x4000;
inline constexpr std::uint32_t kTopBackLeft = 0x8000;
inline constexpr std::uint32_t kTopBackRight = 0x20000;
inline constexpr std::uint32_t kAllDefined = 0x3FFFF; // the 18 positions WAVE defines
} // namespace speaker

class StereoMix {
public:
    static constexpr int kMaxChannels = 32;

    // channels from 1 to kMaxChannels; mask: the speaker positions of the channels in order,
    // one bit each from the lowest (WAVE); 0 for the usual order of that many channels (the
    // order of FLAC and of WAVE files without a mask). Channels beyond the mask's bits count
    // as centre channels.
    explicit StereoMix(int channels, std::uint32_t mask = 0);

    int inputChannels() const { return m_channels; }
    int outputChannels() const { return m_channels == 1 ? 1 : 2; }

    // Writes outputChannels() values for one frame of inputChannels() full-scale samples.
    void mixFrame(const std::int32_t *frame, std::int16_t *out) const;

private:
    int m_channels = 0;
    std::array<double, kMaxChannels> m_left{}; // weight of each channel on the left, normalized
    std::array<double, kMaxChannels> m_right{};
};

// The upper 16 bits of a full-scale sample.
inline std::int16_t upper16(std::int32_t sample) { return static_cast<std::int16_t>(sample >> 16); }

} // namespace tunvale::formats
