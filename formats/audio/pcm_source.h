#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace tunvale::formats {

// A source's audio delivered piece by piece as 16-bit interleaved samples, already reduced
// from 24 bits and halved in rate above 48 kHz, so that a conversion holds only a small
// window of audio in memory whatever the length of the source.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual int channels() const = 0;        // 1 or 2
    virtual int sampleRate() const = 0;      // after halving
    // Total 16-bit values the whole stream delivers (what a whole-buffer decode would hold).
    virtual std::uint64_t totalValues() const = 0;
    // Writes up to maxValues 16-bit values (a multiple of channels()) and returns how many;
    // 0 at the end. A decoding failure returns 0 and sets failed().
    virtual std::size_t read(std::int16_t *values, std::size_t maxValues) = 0;
    virtual bool failed() const = 0;
};

} // namespace tunvale::formats
