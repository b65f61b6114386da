#pragma once

#include <cstdint>
#include <vector>

namespace tunvale::formats {

// What a format reader's decoding read found out about a file's audio, one record per read:
// the format the conversion receives and, from a whole-buffer decode, the samples themselves
// (signed 16-bit, channels interleaved).
struct DecodedAudio {
    std::vector<std::int16_t> pcm;
    std::uint32_t byteLength = 0; // bytes of 16-bit samples the read holds or delivers
    std::int32_t channels = 0;
    std::int32_t sampleRate = 0;
    std::int32_t bitsPerSample = 0;   // 0 when the source cannot be converted; 16 after decoding
    std::uint32_t rawLength = 0;      // size of the audio data in the source file
    std::uint32_t fileSize = 0;       // size of the file read
    std::uint32_t extraSize = 0;      // bytes of tag data the source carries
    // WAV counts every byte outside its data chunk as tag data, but only when the file's tags,
    // once completed, hold something; the reader cannot know that, so it sets this and whoever
    // completes the tags settles extraSize with their fill score.
    bool extraSizeNeedsTags = false;

    void settleExtraSize(std::int32_t fillScore)
    {
        if (extraSizeNeedsTags && fillScore == 0)
            extraSize = 0;
        extraSizeNeedsTags = false;
    }
};

} // namespace tunvale::formats
