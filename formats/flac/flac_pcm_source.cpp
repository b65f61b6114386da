#include "formats/flac/flac_pcm_source.h"

#include "formats/flac/flac_stream_end.h"

#include <algorithm>
#include <cstring>

namespace tunvale::formats {

FlacPcmSource::FlacPcmSource(std::unique_ptr<FlacDecoder> decoder, const FlacStreamProperties &properties)
    : m_decoder(std::move(decoder))
    , m_channels(properties.channels == 1 ? 1 : 2)
    , m_sampleRate(static_cast<int>(properties.sampleRate))
    , m_totalFrames(properties.totalSamples)
    , m_framesLeft(properties.totalSamples)
{
    m_halve = properties.sampleRate > 48000;
    std::uint64_t frames = properties.totalSamples;
    if (m_halve) {
        frames /= 2;
        m_sampleRate /= 2;
    }
    m_totalValues = frames * static_cast<std::uint64_t>(m_channels);
    if (m_decoder)
        m_decoder->setExpected(properties);
    else
        m_decoderDone = true;
}

void FlacPcmSource::emit(const std::int16_t *values, std::size_t frames)
{
    const std::size_t c = static_cast<std::size_t>(m_channels);
    if (!m_halve) {
        m_pending.insert(m_pending.end(), values, values + frames * c);
        return;
    }
    // Arithmetic shifts of signed 16-bit samples, then the sum, which always fits 16 bits.
    const auto average = [](std::int16_t a, std::int16_t b) {
        return static_cast<std::int16_t>((a >> 1) + (b >> 1));
    };
    std::size_t f = 0;
    if (m_holding && frames > 0) {
        for (std::size_t k = 0; k < c; ++k)
            m_pending.push_back(average(m_held[k], values[k]));
        m_holding = false;
        f = 1;
    }
    for (; f + 1 < frames; f += 2) {
        const std::int16_t *a = values + f * c;
        const std::int16_t *b = a + c;
        for (std::size_t k = 0; k < c; ++k)
            m_pending.push_back(average(a[k], b[k]));
    }
    if (f < frames) {
        std::memcpy(m_held, values + f * c, c * sizeof(std::int16_t));
        m_holding = true;
    }
}

bool FlacPcmSource::refill()
{
    m_pending.clear();
    m_pendingPos = 0;
    const std::size_t c = static_cast<std::size_t>(m_channels);
    while (m_pending.empty()) {
        if (m_framesLeft == 0 || m_decoderDone)
            return false;
        m_frame.clear();
        if (!m_decoder->decodeFrame(m_frame)) {
            m_failed = true;
            // A stream shorter than STREAMINFO says is cut short: converting what is there
            // would make a shorter file without a word.
            m_result = m_decoder->failed() ? m_decoder->result() : kFlacCutShort;
            m_decoderDone = true;
            return false;
        }
        const std::uint64_t frames = std::min<std::uint64_t>(m_frame.size() / c, m_framesLeft);
        m_framesLeft -= frames;
        emit(m_frame.data(), static_cast<std::size_t>(frames));
    }
    return true;
}

std::string FlacPcmSource::damage() const
{
    if (!m_failed || (m_decoder && m_decoder->readFailed()))
        return {}; // a read error of the system, not damage of the stream
    const std::uint32_t rate = m_decoder ? m_decoder->expected().sampleRate : 0;
    if (m_result == kFlacCutShort)
        return "FLAC: the audio stops at " + flacSeconds(m_totalFrames - m_framesLeft, rate) + " of "
            + flacSeconds(m_totalFrames, rate);
    if (m_result == kFlacLostSync)
        return "FLAC: frames are damaged or missing";
    if (m_result == kFlacTooManyChannels || m_result == kFlacUnsupportedBits)
        return "FLAC: a frame does not match the stream's format";
    switch (m_result) {
    case FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER:
        return "FLAC: a frame header is damaged";
    case FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH:
        return "FLAC: a frame fails its checksum";
    case FLAC__STREAM_DECODER_ERROR_STATUS_UNPARSEABLE_STREAM:
        return "FLAC: a frame uses reserved fields";
    default:
        return "FLAC: the audio cannot be decoded";
    }
}

std::size_t FlacPcmSource::read(std::int16_t *values, std::size_t maxValues)
{
    if (m_failed || m_channels <= 0)
        return 0;
    maxValues -= maxValues % static_cast<std::size_t>(m_channels);
    std::size_t written = 0;
    while (written < maxValues) {
        if (m_pendingPos == m_pending.size() && !refill())
            break;
        const std::size_t n = std::min(maxValues - written, m_pending.size() - m_pendingPos);
        std::memcpy(values + written, m_pending.data() + m_pendingPos, n * sizeof(std::int16_t));
        m_pendingPos += n;
        written += n;
    }
    if (m_failed)
        return 0;
    return written;
}

} // namespace tunvale::formats
