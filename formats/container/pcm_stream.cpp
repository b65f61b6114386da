#include "formats/container/pcm_stream.h"

#include "formats/audio/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace tunvale::formats {

namespace {
// Frames per block: a multiple of 4 (halving works on groups of four values), so a block never
// splits a group; 4096 stereo frames are 16 KiB of 16-bit or 24 KiB of 24-bit data.
constexpr std::size_t kBlockFrames = 4096;
} // namespace

bool PcmLayout::convertible() const
{
    return channels >= 1 && channels <= StereoMix::kMaxChannels
        && convertibleRate(static_cast<std::uint32_t>(sampleRate)) && format.valid();
}

std::uint64_t PcmLayout::framesUsed() const
{
    if (channels < 1 || format.bytesPerSample < 1)
        return 0;
    const std::uint64_t frameBytes =
        static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(format.bytesPerSample);
    const std::uint64_t frames = dataLength / frameBytes;
    if (!halves())
        return frames;
    const std::uint64_t out = static_cast<std::uint64_t>(outputChannels());
    return frames * out / 4 * 4 / out;
}

std::uint64_t PcmLayout::outputValues() const
{
    const std::uint64_t values = framesUsed() * static_cast<std::uint64_t>(outputChannels());
    return halves() ? values / 2 : values;
}

std::unique_ptr<FilePcmSource> FilePcmSource::open(const std::filesystem::path &path, const PcmLayout &layout)
{
    if (!layout.convertible())
        return nullptr;
    std::unique_ptr<FilePcmSource> source(new (std::nothrow) FilePcmSource(layout));
    if (!source || !source->m_file.open(path, BinaryFile::Mode::Read))
        return nullptr;
    if (!fitsWithin(layout.dataPos, layout.dataLength, source->m_file.size()))
        return nullptr;
    return source;
}

bool FilePcmSource::decodeNextBlock()
{
    const std::uint64_t total = m_layout.framesUsed();
    if (m_framesDone >= total)
        return false;
    const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockFrames, total - m_framesDone));
    const std::size_t channels = static_cast<std::size_t>(m_layout.channels);
    const std::size_t bps = static_cast<std::size_t>(m_layout.format.bytesPerSample);
    const std::size_t frameBytes = channels * bps;
    const std::size_t outChannels = static_cast<std::size_t>(m_layout.outputChannels());
    try {
        m_raw.resize(kBlockFrames * frameBytes);
        m_block.resize(kBlockFrames * outChannels);
        m_frame.resize(channels);
    } catch (const std::bad_alloc &) {
        m_failed = true;
        return false;
    }
    const std::size_t bytes = frames * frameBytes;
    const std::size_t got = m_file.readAt(m_layout.dataPos + m_framesDone * frameBytes, m_raw.data(), bytes);
    if (got != bytes) {
        m_failed = true;
        // The samples were within the file when it was opened: a file cut meanwhile is damage,
        // a read the system refused is not.
        if (!m_file.file().readFailed())
            m_damage = "the samples stop before the end their header gives";
        return false;
    }
    m_framesDone += frames;

    const std::uint8_t *p = m_raw.data();
    std::int16_t *out = m_block.data();
    for (std::size_t f = 0; f < frames; ++f, p += frameBytes, out += outChannels) {
        for (std::size_t c = 0; c < channels; ++c)
            m_frame[c] = readSample(p + c * bps, m_layout.format);
        m_mix.mixFrame(m_frame.data(), out);
    }
    std::size_t produced = frames * outChannels;
    if (m_layout.halves()) {
        // Two stereo frames (four values) become one: each value (a >> 1) + (b >> 1), the
        // same pairing whatever the channel count.
        out = m_block.data();
        std::size_t halved = 0;
        for (std::size_t i = 0; i + 4 <= produced; i += 4) {
            out[halved++] = static_cast<std::int16_t>((out[i] >> 1) + (out[i + 2] >> 1));
            out[halved++] = static_cast<std::int16_t>((out[i + 1] >> 1) + (out[i + 3] >> 1));
        }
        produced = halved;
    }
    m_block.resize(produced);
    m_blockPos = 0;
    return true;
}

std::size_t FilePcmSource::read(std::int16_t *values, std::size_t maxValues)
{
    if (m_failed)
        return 0;
    const std::size_t channelCount = static_cast<std::size_t>(m_layout.outputChannels());
    maxValues -= maxValues % channelCount;
    std::size_t written = 0;
    while (written < maxValues) {
        if (m_blockPos >= m_block.size()) {
            if (!decodeNextBlock())
                break;
            continue;
        }
        const std::size_t n = std::min(maxValues - written, m_block.size() - m_blockPos);
        std::memcpy(values + written, m_block.data() + m_blockPos, n * sizeof(std::int16_t));
        written += n;
        m_blockPos += n;
    }
    return m_failed ? 0 : written;
}

bool readAllPcm(PcmSource &source, std::vector<std::int16_t> &out)
{
    out.clear();
    const std::uint64_t total = source.totalValues();
    try {
        out.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc &) {
        out.clear();
        out.shrink_to_fit();
        return false;
    } catch (const std::length_error &) {
        out.clear();
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const std::size_t n = source.read(out.data() + done, out.size() - done);
        if (n == 0)
            break;
        done += n;
    }
    if (source.failed() || done != out.size()) {
        out.clear();
        out.shrink_to_fit();
        return false;
    }
    return true;
}

void attachContainerPcm(const std::filesystem::path &path, const std::optional<PcmLayout> &layout, PcmOpening &opening)
{
    opening.source.reset();
    opening.sourceFailed = false;
    if (!opening.status.ok()) {
        // The file was read when it was loaded: a refusal now is a failure of the source (cut
        // short, damaged, gone), except a variant of the format the conversion does not take.
        opening.sourceFailed = opening.status.status != ReadStatus::Unsupported;
        return;
    }
    if (!layout)
        return;
    opening.source = FilePcmSource::open(path, *layout);
    opening.sourceFailed = opening.source == nullptr;
}

} // namespace tunvale::formats
