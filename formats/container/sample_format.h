#pragma once

// How WAV and AIFF store one sample, and reading it at full scale (its most significant bit
// at bit 31): signed and unsigned integers of 1 to 4 bytes in either byte order, IEEE floats
// of 4 and 8 bytes, and the G.711 A-law and µ-law bytes.

#include "formats/container/chunk_walker.h"

#include <cstdint>

namespace tunvale::formats {

enum class SampleCoding {
    Signed,   // two's complement integers (WAV of 9 bits and more, AIFF)
    Unsigned, // offset binary, 0x80 for silence (8-bit WAV, AIFF-C "raw ")
    Float,    // IEEE 754, full scale at +-1.0
    ALaw,     // G.711 A-law, one byte
    MuLaw,    // G.711 µ-law, one byte
};

struct SampleFormat {
    SampleCoding coding = SampleCoding::Signed;
    int bytesPerSample = 2;
    ByteOrder order = ByteOrder::Little;

    // Whether the coding takes samples of that size: integers 1 to 4 bytes, floats 4 or 8,
    // the G.711 codings 1.
    bool valid() const;
};

// The sample at p (bytesPerSample bytes) at full scale. Integers keep their bits at the top
// (a 20-bit sample in 3 bytes, stored left-justified, reads like a 24-bit one); floats are
// rounded to the nearest 16-bit value and clamped, NaN reads as silence; G.711 bytes read as
// the 16-bit values of their tables. Both are then shifted to the top.
std::int32_t readSample(const std::uint8_t *p, const SampleFormat &format);

} // namespace tunvale::formats
