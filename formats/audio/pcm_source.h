#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// The stored sample rates the conversion takes: the encoder resamples any of them to a rate
// MP3 has (8000 to 48000 Hz).
inline constexpr std::uint32_t kMinConvertibleRate = 1000;
inline constexpr std::uint32_t kMaxConvertibleRate = 768000;
inline bool convertibleRate(std::uint32_t rate) { return rate >= kMinConvertibleRate && rate <= kMaxConvertibleRate; }

// A source's audio delivered piece by piece as 16-bit interleaved samples, mono or stereo,
// already reduced to 16 bits, mixed down from more channels and halved in rate above 48 kHz,
// so that a conversion holds only a small window of audio in memory whatever the length of
// the source.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual int channels() const = 0;        // 1 or 2
    virtual int sampleRate() const = 0;      // after halving; any rate, the encoder resamples
    // Total 16-bit values the whole stream delivers (what a whole-buffer decode would hold).
    virtual std::uint64_t totalValues() const = 0;
    // Writes up to maxValues 16-bit values (a multiple of channels()) and returns how many;
    // 0 at the end. A decoding failure returns 0 and sets failed().
    virtual std::size_t read(std::int16_t *values, std::size_t maxValues) = 0;
    virtual bool failed() const = 0;
    // When failed: what is wrong with the source's audio, when the failure is damage (a stream
    // shorter than its header says, a frame that cannot be decoded), as the report words it
    // ("FLAC: the audio stops at 1.7 s of 4.0 s"); empty for a failure of the system (a read
    // error, no memory).
    virtual std::string damage() const { return {}; }
};

} // namespace tunvale::formats
