#include "formats/audio/stereo_mix.h"

#include <algorithm>
#include <cmath>

namespace tunvale::formats {

namespace {

// -3 dB: a centre channel heard on both sides keeps its loudness.
constexpr double kCentreWeight = 0.7071067811865476;

constexpr std::uint32_t kLeftSpeakers = speaker::kFrontLeft | speaker::kBackLeft | speaker::kSideLeft
    | speaker::kFrontLeftOfCentre | speaker::kTopFrontLeft | speaker::kTopBackLeft;
constexpr std::uint32_t kRightSpeakers = speaker::kFrontRight | speaker::kBackRight | speaker::kSideRight
    | speaker::kFrontRightOfCentre | speaker::kTopFrontRight | speaker::kTopBackRight;

// The speaker positions of 3 to 8 channels in the usual order (FLAC's, which WAVE files
// without a mask share); more channels take the WAVE positions in order.
std::uint32_t usualMask(int channels)
{
    using namespace speaker; // the positions read as a table
    switch (channels) {
    case 3:
        return kFrontLeft | kFrontRight | kFrontCentre;
    case 4:
        return kFrontLeft | kFrontRight | kBackLeft | kBackRight;
    case 5:
        return kFrontLeft | kFrontRight | kFrontCentre | kBackLeft | kBackRight;
    case 6:
        return kFrontLeft | kFrontRight | kFrontCentre | kLowFrequency | kBackLeft | kBackRight;
    case 7:
        return kFrontLeft | kFrontRight | kFrontCentre | kLowFrequency | kBackCentre | kSideLeft | kSideRight;
    case 8:
        return kFrontLeft | kFrontRight | kFrontCentre | kLowFrequency | kBackLeft | kBackRight | kSideLeft
            | kSideRight;
    default:
        return channels >= 18 ? kAllDefined : (1u << channels) - 1u;
    }
}

} // namespace

StereoMix::StereoMix(int channels, std::uint32_t mask)
    : m_channels(channels < 1                  ? 1
                     : channels > kMaxChannels ? kMaxChannels
                                               : channels)
{
    if (m_channels <= 2)
        return;
    std::uint32_t positions = mask != 0 ? mask : usualMask(m_channels);
    double leftSum = 0;
    double rightSum = 0;
    for (int c = 0; c < m_channels; ++c) {
        // The channel takes the lowest position left; past the mask's bits, none.
        const std::uint32_t position = positions & (~positions + 1u);
        positions &= ~position;
        if (position == speaker::kLowFrequency)
            continue;
        if ((position & kLeftSpeakers) != 0) {
            m_left[c] = 1.0;
        } else if ((position & kRightSpeakers) != 0) {
            m_right[c] = 1.0;
        } else {
            m_left[c] = kCentreWeight;
            m_right[c] = kCentreWeight;
        }
        leftSum += m_left[c];
        rightSum += m_right[c];
    }
    if (leftSum == 0 || rightSum == 0) {
        // Nothing but low frequencies, or one side empty: every channel to both sides alike.
        m_left.fill(0);
        m_right.fill(0);
        for (int c = 0; c < m_channels; ++c)
            m_left[c] = m_right[c] = 1.0;
        leftSum = rightSum = m_channels;
    }
    for (int c = 0; c < m_channels; ++c) {
        m_left[c] /= leftSum;
        m_right[c] /= rightSum;
    }
}

void StereoMix::mixFrame(const std::int32_t *frame, std::int16_t *out) const
{
    if (m_channels <= 2) {
        out[0] = upper16(frame[0]);
        if (m_channels == 2)
            out[1] = upper16(frame[1]);
        return;
    }
    double left = 0;
    double right = 0;
    for (int c = 0; c < m_channels; ++c) {
        left += m_left[c] * frame[c];
        right += m_right[c] * frame[c];
    }
    // The weights of a side sum to 1: the mix stays within the full-scale range (the clamp only
    // catches rounding). Floor, as taking the upper 16 bits does.
    const auto to16 = [](double value) {
        return static_cast<std::int16_t>(std::clamp(std::floor(value / 65536.0), -32768.0, 32767.0));
    };
    out[0] = to16(left);
    out[1] = to16(right);
}

} // namespace tunvale::formats
