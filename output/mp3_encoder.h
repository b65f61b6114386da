#pragma once

#include "output/conversion_settings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct lame_global_struct;

namespace tunvale::output {

// The version of the LAME library the program runs with ("3.100"), as the library says it.
std::string lameVersion();

// One LAME encoder fed with 16-bit PCM in chunks. The chunk size is fixed so that the stream
// is the same whether a source arrives whole or piece by piece: LAME's output depends on the
// boundaries of the calls that feed it.
class Mp3Encoder {
public:
    // 16-bit values per encode call (4608 stereo frames or 9216 mono samples).
    static constexpr std::size_t kChunkValues = 9216;
    // Largest info-tag frame LAME produces (one frame at 320 kbit/s and 8 kHz and then some).
    static constexpr std::size_t kMaxTagFrame = 2880;

    Mp3Encoder() = default;
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder &) = delete;
    Mp3Encoder &operator=(const Mp3Encoder &) = delete;

    // Creates and configures the encoder for 1 or 2 channels at sampleRate Hz (input and
    // output rate alike). False when LAME cannot be created or refuses the parameters.
    bool open(const Mp3EncoderSettings &settings, int channels, int sampleRate);

    // Encodes count values (at most kChunkValues, channels interleaved). Returns the bytes
    // now in output(), or a negative LAME error.
    int encode(const std::int16_t *values, std::size_t count);
    // Encodes what LAME still buffers and ends the stream; result as encode().
    int flush();
    // The bytes produced by the last encode() or flush().
    std::span<const std::uint8_t> output() const { return {m_output.data(), m_produced}; }

    // The info-tag ("Xing"/"Info") frame describing the finished stream; empty when LAME
    // gives none. Call after flush().
    std::vector<std::uint8_t> infoTagFrame() const;

    int channels() const { return m_channels; }

private:
    lame_global_struct *m_lame = nullptr;
    int m_channels = 0;
    std::vector<std::uint8_t> m_output;
    std::size_t m_produced = 0;
};

} // namespace tunvale::output
