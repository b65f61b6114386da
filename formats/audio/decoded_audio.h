#pragma once

#include <cstdint>
#include <vector>

namespace tunvale::formats {

// The audio a format handler decoded for conversion: signed 16-bit little-endian samples,
// channels interleaved.
struct DecodedAudio {
    std::vector<std::int16_t> pcm;
    std::uint32_t byteLength = 0;     // bytes of samples in pcm
    std::int32_t channels = 0;
    std::int32_t sampleRate = 0;
    std::int32_t bitsPerSample = 0;   // 0 when the source cannot be converted; 16 after decoding
    std::uint32_t rawLength = 0;      // size of the audio data in the source file
    std::uint32_t fileSize = 0;       // size of the file last parsed
    std::uint32_t extraSize = 0;      // bytes of tag data the source carries
    std::uint32_t newTagSize = 0;     // size of the tag last built, without its 10-byte header

    void clear() { *this = DecodedAudio{}; }
};

// The process-wide record shared by the format handlers and the conversion.
DecodedAudio &decodedAudio();

} // namespace tunvale::formats
