#pragma once

#include "formats/audio/regular_file.h"
#include "formats/audio/stereo_mix.h"
#include "formats/flac/flac_file_input.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <FLAC/stream_decoder.h>

namespace tunvale::formats {

// Sample rate, channels and sample size of a FLAC stream, as its STREAMINFO block states them.
struct FlacStreamProperties {
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint64_t totalSamples = 0;   // per channel; 0 when the encoder did not know it
};

// Whether the conversion takes the stream: 1 to 8 channels, a known length, 4 to 32 bits and a
// rate the encoder can resample (see convertibleRate).
bool isConvertibleFlacStream(const FlacStreamProperties &properties);

// Decode statuses recorded by the write callback when it refuses a frame, and by the PCM
// source when the stream ends early.
inline constexpr int kFlacNoDestination = -255;
inline constexpr int kFlacUnknownLength = -256;
inline constexpr int kFlacTooManyChannels = -257; // a frame's channels differ from STREAMINFO's
inline constexpr int kFlacUnsupportedBits = -258; // a frame's sample size differs from STREAMINFO's
inline constexpr int kFlacCutShort = -259;        // fewer samples than STREAMINFO states
inline constexpr int kFlacLostSync = -260;        // audio skipped between two frames

// One libFLAC stream decoder reading a file it holds open, decoding one frame at a time into 16-bit
// values, mono or stereo: every sample keeps its upper 16 bits, more channels are mixed down
// (see StereoMix).
class FlacDecoder {
public:
    // A new decoder, or null when libFLAC cannot create one.
    static std::unique_ptr<FlacDecoder> create();
    ~FlacDecoder();
    FlacDecoder(const FlacDecoder &) = delete;
    FlacDecoder &operator=(const FlacDecoder &) = delete;

    // Takes over an open file and sets the decoder up to read it; returns the libFLAC
    // initialisation status, 0 on success.
    int initFile(RegularFile file);

    // The stream the frames must match; set before decoding. Frames that disagree with it are
    // refused rather than written into a buffer sized for another layout.
    void setExpected(const FlacStreamProperties &properties);
    // Values per frame decodeFrame writes: 1 for mono, 2 otherwise.
    int outputChannels() const { return m_mix.outputChannels(); }
    const FlacStreamProperties &expected() const { return m_expected; }
    // What the decoder's own metadata callback saw in STREAMINFO.
    const FlacStreamProperties &seen() const { return m_seen; }

    // Decodes the next audio frame and appends its values, channels interleaved, to out.
    // Returns false at the end of the stream or on failure (then failed() is true).
    bool decodeFrame(std::vector<std::int16_t> &out);

    bool failed() const { return m_failed; }
    // 0; the status recorded by the callbacks (the first nonzero libFLAC error status, or one
    // of the write refusals above); otherwise -1 when libFLAC reported a failure.
    int result() const;
    // A read of the file failed (the failure is the system's, not the stream's).
    bool readFailed() const { return m_file.readFailed(); }

private:
    FlacDecoder() = default;

    friend struct FlacDecoderCallbacks;

    FLAC__StreamDecoder *m_decoder = nullptr;
    RegularFile m_file;
    FlacFileClient m_client{FlacFileInput(m_file)};
    FlacStreamProperties m_expected;
    FlacStreamProperties m_seen;
    StereoMix m_mix{2};
    std::vector<std::int32_t> m_fullScale;        // one frame's samples, for a mix of more channels
    std::vector<std::int16_t> *m_out = nullptr;   // destination while a frame is decoded
    int m_status = 0;
    bool m_frameWritten = false;
    bool m_lostSync = false; // libFLAC lost the frame sync while a frame was expected
    bool m_failed = false;
    bool m_libraryFailed = false;
};

} // namespace tunvale::formats
