#include "formats/flac/flac_decoder.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>

namespace tunvale::formats {

bool isConvertibleFlacStream(const FlacStreamProperties &properties)
{
    static constexpr std::uint32_t kRates[] = {22050, 24000, 32000, 44100, 48000, 88200, 96000};
    if (properties.channels != 1 && properties.channels != 2)
        return false;
    if (properties.totalSamples == 0)
        return false;
    if (std::find(std::begin(kRates), std::end(kRates), properties.sampleRate) == std::end(kRates))
        return false;
    return properties.bitsPerSample == 16 || properties.bitsPerSample == 24;
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
        // sequence; it is refused like a stream of more than two channels.
        if (channels > 2 || channels != self.m_expected.channels)
            return refuse(kFlacTooManyChannels);
        const std::uint32_t bits = frame->header.bits_per_sample;
        if ((bits != 16 && bits != 24) || bits != self.m_expected.bitsPerSample)
            return refuse(kFlacUnsupportedBits);

        const std::uint32_t samples = frame->header.blocksize;
        std::vector<std::int16_t> &out = *self.m_out;
        const std::size_t start = out.size();
        out.resize(start + std::size_t(samples) * channels);
        std::int16_t *dst = out.data() + start;
        // 24-bit samples keep their upper 16 bits: the sample shifted right by 8 (arithmetic),
        // cut to 16 bits. 16-bit samples are taken as they are.
        const int shift = bits == 24 ? 8 : 0;
        for (std::uint32_t i = 0; i < samples; ++i) {
            for (std::uint32_t c = 0; c < channels; ++c)
                *dst++ = static_cast<std::int16_t>(static_cast<std::uint16_t>((buffer[c][i] >> shift) & 0xFFFF));
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

    // Decoding goes on after an error; the first nonzero status is kept so that a later
    // lost sync (status 0) cannot hide it.
    static void error(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus status, void *clientData)
    {
        auto &self = *static_cast<FlacDecoder *>(clientData);
        if (self.m_status == 0)
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
    if (m_libraryFailed)
        return -1;
    return m_status;
}

} // namespace tunvale::formats
