#include "formats/flac/flac_decoder.h"

#include "formats/audio/pcm_source.h"
#include "formats/flac/flac_stream_map.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <optional>

namespace tunvale::formats {

bool isConvertibleFlacStream(const FlacStreamProperties &properties)
{
    if (properties.channels < 1 || properties.channels > 8)
        return false;
    if (properties.totalSamples == 0)
        return false;
    if (!convertibleRate(properties.sampleRate))
        return false;
    return properties.bitsPerSample >= 4 && properties.bitsPerSample <= 32;
}

void FlacDecoder::setExpected(const FlacStreamProperties &properties)
{
    m_expected = properties;
    m_mix = StereoMix(static_cast<int>(std::clamp<std::uint32_t>(properties.channels, 1, 8)));
}

// The libFLAC callbacks; the client data is the FlacDecoder.
struct FlacDecoderCallbacks {
    static FLAC__StreamDecoderWriteStatus write(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                                const FLAC__int32 *const buffer[], void *clientData)
    {
        auto &self = *static_cast<FlacDecoder *>(clientData);
        const auto refuse = [&self](int status) {
            self.m_status = status;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        };
        if (!self.m_out)
            return refuse(kFlacNoDestination);
        if (self.m_expected.totalSamples == 0)
            return refuse(kFlacUnknownLength);
        const std::uint32_t channels = frame->header.channels;
        // A frame whose layout differs from STREAMINFO would not fit the stream's sample
        // sequence: it is refused.
        if (channels != self.m_expected.channels || channels > 8)
            return refuse(kFlacTooManyChannels);
        const std::uint32_t bits = frame->header.bits_per_sample;
        if (bits != self.m_expected.bitsPerSample || bits < 4 || bits > 32)
            return refuse(kFlacUnsupportedBits);

        const std::uint32_t samples = frame->header.blocksize;
        std::vector<std::int16_t> &out = *self.m_out;
        const std::size_t outChannels = static_cast<std::size_t>(self.m_mix.outputChannels());
        const std::size_t start = out.size();
        out.resize(start + std::size_t(samples) * outChannels);
        std::int16_t *dst = out.data() + start;
        // Samples come right-justified: shifted to the top, each keeps its upper 16 bits (a
        // 24-bit sample shifted right by 8, a 16-bit one as it is, an 8-bit one scaled up).
        const unsigned toTop = 32 - bits;
        const auto fullScale = [toTop](FLAC__int32 sample) {
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(sample) << toTop);
        };
        if (channels <= 2) {
            for (std::uint32_t i = 0; i < samples; ++i) {
                for (std::uint32_t c = 0; c < channels; ++c)
                    *dst++ = upper16(fullScale(buffer[c][i]));
            }
        } else {
            self.m_fullScale.resize(channels);
            for (std::uint32_t i = 0; i < samples; ++i, dst += outChannels) {
                for (std::uint32_t c = 0; c < channels; ++c)
                    self.m_fullScale[c] = fullScale(buffer[c][i]);
                self.m_mix.mixFrame(self.m_fullScale.data(), dst);
            }
        }
        self.m_frameWritten = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void metadata(const FLAC__StreamDecoder *, const FLAC__StreamMetadata *block, void *clientData)
    {
        auto &self = *static_cast<FlacDecoder *>(clientData);
        if (block->type != FLAC__METADATA_TYPE_STREAMINFO)
            return;
        const FLAC__StreamMetadata_StreamInfo &info = block->data.stream_info;
        self.m_seen = {info.sample_rate, info.channels, info.bits_per_sample, info.total_samples};
    }

    // The first error is kept. A lost sync (status 0) is noted apart: libFLAC skips to the
    // next frame it finds, so audio between the two is lost, which is damage only while
    // samples are still expected (past the last one, it is a trailing tag).
    static void error(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus status, void *clientData)
    {
        auto &self = *static_cast<FlacDecoder *>(clientData);
        if (status == FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC)
            self.m_lostSync = true;
        else if (self.m_status == 0)
            self.m_status = static_cast<int>(status);
    }
};

std::unique_ptr<FlacDecoder> FlacDecoder::create()
{
    FLAC__StreamDecoder *decoder = FLAC__stream_decoder_new();
    if (!decoder)
        return nullptr;
    std::unique_ptr<FlacDecoder> result(new FlacDecoder);
    result->m_decoder = decoder;
    return result;
}

FlacDecoder::~FlacDecoder()
{
    if (m_decoder) {
        FLAC__stream_decoder_finish(m_decoder);
        FLAC__stream_decoder_delete(m_decoder);
    }
}

int FlacDecoder::initFile(RegularFile file)
{
    m_file = std::move(file);
    m_client = FlacFileClient{FlacFileInput(m_file)};
    // STREAMINFO and the audio: the other blocks are never read.
    if (const std::optional<FlacStreamMap> map = mapFlacStream(m_file))
        m_client.input.setView(flacView(*map, {}, map->audioStart));
    m_client.write = &FlacDecoderCallbacks::write;
    m_client.metadata = &FlacDecoderCallbacks::metadata;
    m_client.error = &FlacDecoderCallbacks::error;
    m_client.clientData = this;
    return static_cast<int>(initFlacFileDecoder(m_decoder, m_client));
}

bool FlacDecoder::decodeFrame(std::vector<std::int16_t> &out)
{
    if (m_failed)
        return false;
    m_out = &out;
    m_frameWritten = false;
    bool gotFrame = false;
    for (;;) {
        if (FLAC__stream_decoder_get_state(m_decoder) == FLAC__STREAM_DECODER_END_OF_STREAM)
            break;
        if (!FLAC__stream_decoder_process_single(m_decoder)) {
            m_libraryFailed = true;
            m_failed = true;
            break;
        }
        // A frame found again after a lost sync means audio was skipped; a lost sync that
        // runs into the end of the file only means the stream ends there (the caller tells
        // whether it ends early).
        if (m_frameWritten && m_status == 0 && m_lostSync)
            m_status = kFlacLostSync;
        if (m_status != 0) {
            m_failed = true;
            break;
        }
        if (m_frameWritten) {
            gotFrame = true;
            break;
        }
    }
    m_out = nullptr;
    return gotFrame;
}

int FlacDecoder::result() const
{
    // A refusal of the write callback makes libFLAC fail too: the refusal says why.
    if (m_status != 0)
        return m_status;
    return m_libraryFailed ? -1 : 0;
}

} // namespace tunvale::formats
