#pragma once

// The samples of a chunk file (WAV "data", AIFF "SSND") delivered as 16-bit values, mono or
// stereo (see StereoMix). The streaming source and the whole-buffer load share this one code
// path, so both give the same values: every sample is read at full scale and keeps its upper
// 16 bits, more channels are mixed down to two, and rates above 48000 Hz are halved by
// averaging each two stereo frames into one.

#include "formats/audio/binary_file.h"
#include "formats/audio/pcm_source.h"
#include "formats/audio/stereo_mix.h"
#include "formats/container/chunk_walker.h"
#include "formats/container/sample_format.h"
#include "formats/pcm_opening.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace tunvale::formats {

struct PcmLayout {
    std::uint64_t dataPos = 0;     // first sample byte in the file
    std::uint64_t dataLength = 0;  // sample bytes (must lie within the file)
    int channels = 0;              // stored channels, 1 to StereoMix::kMaxChannels
    int sampleRate = 0;            // as stored
    SampleFormat format;
    std::uint32_t channelMask = 0; // WAVE speaker positions of the channels; 0: the usual order

    bool convertible() const;
    int outputChannels() const { return channels == 1 ? 1 : 2; }
    bool halves() const { return sampleRate > 48000; }
    int outputRate() const { return halves() ? sampleRate / 2 : sampleRate; }
    // Frames read from the file: whole frames only, and for halving whole groups of four
    // delivered values (two stereo frames, four mono ones), so no half frame is ever delivered.
    std::uint64_t framesUsed() const;
    // 16-bit values delivered.
    std::uint64_t outputValues() const;
};

class FilePcmSource final : public PcmSource {
public:
    // Opens path for reading; nullptr when it cannot be opened, the layout is not convertible
    // or its samples do not lie within the file.
    static std::unique_ptr<FilePcmSource> open(const std::filesystem::path &path, const PcmLayout &layout);

    int channels() const override { return m_layout.outputChannels(); }
    int sampleRate() const override { return m_layout.outputRate(); }
    std::uint64_t totalValues() const override { return m_layout.outputValues(); }
    std::size_t read(std::int16_t *values, std::size_t maxValues) override;
    bool failed() const override { return m_failed; }
    std::string damage() const override { return m_damage; }

private:
    explicit FilePcmSource(const PcmLayout &layout)
        : m_layout(layout)
        , m_mix(layout.channels, layout.channelMask)
    {
    }
    bool decodeNextBlock();

    PcmLayout m_layout;
    StereoMix m_mix;
    BinaryFile m_file;
    std::uint64_t m_framesDone = 0;    // frames consumed
    std::vector<std::int32_t> m_frame; // one frame at full scale
    std::vector<std::uint8_t> m_raw;
    std::vector<std::int16_t> m_block;      // decoded values not yet handed out
    std::size_t m_blockPos = 0;
    bool m_failed = false;
    std::string m_damage;
};

// Reads a whole source into out (sized to totalValues()); false when reading failed or
// memory ran out (out is then empty).
bool readAllPcm(PcmSource &source, std::vector<std::int16_t> &out);

// Gives a container's decoding read (opening.status already set) its source of the samples at
// layout. A file the container could not open, or whose samples cannot be opened, is a failure
// of the source; any other refusal of the container, or no layout, leaves no audio the
// conversion can use.
void attachContainerPcm(const std::filesystem::path &path, const std::optional<PcmLayout> &layout, PcmOpening &opening);

} // namespace tunvale::formats
