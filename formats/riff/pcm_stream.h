#pragma once

// Integer PCM samples of a chunk file (WAV "data", AIFF "SSND") delivered as 16-bit values.
// The streaming source and the whole-buffer load share this one code path, so both give the
// same values: 24-bit samples keep their upper 16 bits, big-endian samples are swapped, and
// rates above 48000 Hz are halved by averaging each two stereo frames into one.

#include "formats/audio/pcm_source.h"
#include "formats/pcm_opening.h"
#include "formats/riff/binary_file.h"
#include "formats/riff/chunk_walker.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace tunvale::formats {

struct PcmLayout {
    std::uint64_t dataPos = 0;     // first sample byte in the file
    std::uint64_t dataLength = 0;  // sample bytes (must lie within the file)
    int channels = 0;              // 1 or 2
    int sampleRate = 0;            // as stored
    int bytesPerSample = 0;        // 2 or 3
    ByteOrder order = ByteOrder::Little;

    bool halves() const { return sampleRate > 48000; }
    int outputRate() const { return halves() ? sampleRate / 2 : sampleRate; }
    // Sample values read from the file: whole frames only, and for halving whole groups of
    // four values (two stereo frames), so that no half frame is ever delivered.
    std::uint64_t inputValues() const;
    // 16-bit values delivered.
    std::uint64_t outputValues() const { return halves() ? inputValues() / 2 : inputValues(); }
};

class FilePcmSource final : public PcmSource {
public:
    // Opens path for reading; nullptr when it cannot be opened or the layout is not one of
    // 1/2 channels and 2/3 bytes per sample lying within the file.
    static std::unique_ptr<FilePcmSource> open(const std::filesystem::path &path, const PcmLayout &layout);

    int channels() const override { return m_layout.channels; }
    int sampleRate() const override { return m_layout.outputRate(); }
    std::uint64_t totalValues() const override { return m_layout.outputValues(); }
    std::size_t read(std::int16_t *values, std::size_t maxValues) override;
    bool failed() const override { return m_failed; }

private:
    explicit FilePcmSource(const PcmLayout &layout) : m_layout(layout) {}
    bool decodeNextBlock();

    PcmLayout m_layout;
    BinaryFile m_file;
    std::uint64_t m_inputDone = 0;          // input values consumed
    std::vector<std::uint8_t> m_raw;
    std::vector<std::int16_t> m_block;      // decoded values not yet handed out
    std::size_t m_blockPos = 0;
    bool m_failed = false;
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
