#pragma once

#include "formats/audio/pcm_source.h"
#include "formats/flac/flac_decoder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tunvale::formats {

// A FLAC stream as 16-bit PCM for the conversion, decoded one frame at a time.
//
// At most STREAMINFO's totalSamples frames are delivered: extra frames in the file are
// dropped, and a stream that ends early (a cut file) fails as damaged rather than make a
// shorter copy; a damaged header never makes it invent audio. Samples keep their upper 16
// bits, more than two channels are mixed down to stereo, and above 48000 Hz every two
// neighbouring frames are averaged into one, each channel on its own: (a >> 1) + (b >> 1). An
// odd last frame has no partner and is dropped. Mono is halved the same way, sample by sample,
// so the result stays evenly spaced in time.
class FlacPcmSource : public PcmSource {
public:
    // Takes over a decoder initialised on the file; properties must pass
    // isConvertibleFlacStream().
    FlacPcmSource(std::unique_ptr<FlacDecoder> decoder, const FlacStreamProperties &properties);

    int channels() const override { return m_channels; }
    int sampleRate() const override { return m_sampleRate; }
    std::uint64_t totalValues() const override { return m_totalValues; }
    std::size_t read(std::int16_t *values, std::size_t maxValues) override;
    bool failed() const override { return m_failed; }
    std::string damage() const override;

    // 0, or the decode result of the failure (see FlacDecoder::result(), and kFlacCutShort).
    int result() const { return m_result; }

private:
    // Refills m_pending with the next values; false at the end or on failure.
    bool refill();
    // Appends whole frames of full-rate values to m_pending, halving the rate when asked.
    void emit(const std::int16_t *values, std::size_t frames);

    std::unique_ptr<FlacDecoder> m_decoder;
    int m_channels = 0;
    int m_sampleRate = 0;
    bool m_halve = false;
    std::uint64_t m_totalValues = 0;
    std::uint64_t m_totalFrames = 0;    // full-rate frames STREAMINFO states
    std::uint64_t m_framesLeft = 0;     // full-rate frames still to take from the decoder
    std::vector<std::int16_t> m_frame;   // the last decoded frame's values
    std::vector<std::int16_t> m_pending; // values ready to deliver
    std::size_t m_pendingPos = 0;
    std::int16_t m_held[2] = {0, 0};     // a frame waiting for its partner when halving
    bool m_holding = false;
    bool m_decoderDone = false;
    bool m_failed = false;
    int m_result = 0;
};

} // namespace tunvale::formats
