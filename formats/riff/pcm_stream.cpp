#include "formats/riff/pcm_stream.h"

#include "formats/audio/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace tunvale::formats {

namespace {
// Input values per block: a multiple of 4 (halving works on pairs of stereo frames), so a
// block never splits a group; 8192 values are 16 KiB of 16-bit or 24 KiB of 24-bit data.
constexpr std::size_t kBlockValues = 8192;
} // namespace

std::uint64_t PcmLayout::inputValues() const
{
    if (channels < 1 || bytesPerSample < 1)
        return 0;
    const std::uint64_t frameBytes = static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(bytesPerSample);
    const std::uint64_t values = dataLength / frameBytes * static_cast<std::uint64_t>(channels);
    return halves() ? values / 4 * 4 : values;
}

std::unique_ptr<FilePcmSource> FilePcmSource::open(const std::filesystem::path &path, const PcmLayout &layout)
{
    if (layout.channels < 1 || layout.channels > 2 || layout.bytesPerSample < 2 || layout.bytesPerSample > 3)
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
    const std::uint64_t total = m_layout.inputValues();
    if (m_inputDone >= total)
        return false;
    const std::size_t values = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockValues, total - m_inputDone));
    const std::size_t bps = static_cast<std::size_t>(m_layout.bytesPerSample);
    const std::size_t bytes = values * bps;
    try {
        m_raw.resize(kBlockValues * 3);
        m_block.resize(kBlockValues);
    } catch (const std::bad_alloc &) {
        m_failed = true;
        return false;
    }
    if (m_file.readAt(m_layout.dataPos + m_inputDone * bps, m_raw.data(), bytes) != bytes) {
        m_failed = true;
        return false;
    }
    m_inputDone += values;

    const std::uint8_t *p = m_raw.data();
    std::int16_t *out = m_block.data();
    const bool little = m_layout.order == ByteOrder::Little;
    for (std::size_t i = 0; i < values; ++i, p += bps) {
        // The upper 16 bits of the sample: the last two bytes of a little-endian sample, the
        // first two of a big-endian one.
        const std::uint16_t u = little ? loadU16LE(p + bps - 2) : loadU16BE(p);
        out[i] = static_cast<std::int16_t>(u);
    }
    std::size_t produced = values;
    if (m_layout.halves()) {
        // Two stereo frames (four values) become one: each value (a >> 1) + (b >> 1), the
        // same pairing whatever the channel count.
        produced = 0;
        for (std::size_t i = 0; i + 4 <= values; i += 4) {
            out[produced++] = static_cast<std::int16_t>((out[i] >> 1) + (out[i + 2] >> 1));
            out[produced++] = static_cast<std::int16_t>((out[i + 1] >> 1) + (out[i + 3] >> 1));
        }
    }
    m_block.resize(produced);
    m_blockPos = 0;
    return true;
}

std::size_t FilePcmSource::read(std::int16_t *values, std::size_t maxValues)
{
    if (m_failed)
        return 0;
    const std::size_t channelCount = static_cast<std::size_t>(m_layout.channels);
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
        opening.sourceFailed = opening.status.status == ReadStatus::CannotOpen;
        return;
    }
    if (!layout)
        return;
    opening.source = FilePcmSource::open(path, *layout);
    opening.sourceFailed = opening.source == nullptr;
}

} // namespace tunvale::formats
