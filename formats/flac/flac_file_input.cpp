#include "formats/flac/flac_file_input.h"

#include <algorithm>
#include <cstring>

namespace tunvale::formats {

void FlacFileInput::setView(std::vector<Part> parts)
{
    m_parts = std::move(parts);
    m_viewSize = 0;
    for (Part &part : m_parts) {
        if (!part.bytes.empty())
            part.length = part.bytes.size();
        m_viewSize += part.length;
    }
    m_position = 0;
}

std::uint64_t FlacFileInput::size() const { return m_parts.empty() ? m_file->size() : m_viewSize; }

FLAC__StreamDecoderReadStatus FlacFileInput::read(FLAC__byte buffer[], std::size_t *bytes)
{
    if (*bytes == 0)
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    std::size_t got = 0;
    if (m_parts.empty()) {
        got = m_file->readAt(m_position, buffer, *bytes);
    } else {
        // The parts the wanted bytes fall in, one after another.
        std::uint64_t partStart = 0;
        for (const Part &part : m_parts) {
            const std::uint64_t partEnd = partStart + part.length;
            if (m_position + got < partEnd && got < *bytes) {
                const std::uint64_t offset = m_position + got - partStart;
                const std::size_t count =
                    static_cast<std::size_t>(std::min<std::uint64_t>(*bytes - got, part.length - offset));
                std::size_t copied = count;
                if (!part.bytes.empty())
                    std::memcpy(buffer + got, part.bytes.data() + offset, count);
                else
                    copied = m_file->readAt(part.filePos + offset, buffer + got, count);
                got += copied;
                if (copied < count)
                    break;
            }
            partStart = partEnd;
        }
    }
    m_position += got;
    *bytes = got;
    if (got > 0)
        return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    return m_file->readFailed() ? FLAC__STREAM_DECODER_READ_STATUS_ABORT : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}

FLAC__StreamDecoderSeekStatus FlacFileInput::seek(FLAC__uint64 offset)
{
    if (offset > size())
        return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    m_position = offset;
    return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
}

FLAC__StreamDecoderTellStatus FlacFileInput::tell(FLAC__uint64 *offset) const
{
    *offset = m_position;
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus FlacFileInput::length(FLAC__uint64 *length) const
{
    *length = size();
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

bool FlacFileInput::eof() const { return m_position >= size(); }

namespace {

FlacFileClient &clientOf(void *data) { return *static_cast<FlacFileClient *>(data); }

FLAC__StreamDecoderReadStatus readCallback(const FLAC__StreamDecoder *, FLAC__byte buffer[], std::size_t *bytes,
                                           void *data)
{
    return clientOf(data).input.read(buffer, bytes);
}

FLAC__StreamDecoderSeekStatus seekCallback(const FLAC__StreamDecoder *, FLAC__uint64 offset, void *data)
{
    return clientOf(data).input.seek(offset);
}

FLAC__StreamDecoderTellStatus tellCallback(const FLAC__StreamDecoder *, FLAC__uint64 *offset, void *data)
{
    return clientOf(data).input.tell(offset);
}

FLAC__StreamDecoderLengthStatus lengthCallback(const FLAC__StreamDecoder *, FLAC__uint64 *length, void *data)
{
    return clientOf(data).input.length(length);
}

FLAC__bool eofCallback(const FLAC__StreamDecoder *, void *data) { return clientOf(data).input.eof(); }

FLAC__StreamDecoderWriteStatus writeCallback(const FLAC__StreamDecoder *decoder, const FLAC__Frame *frame,
                                             const FLAC__int32 *const buffer[], void *data)
{
    FlacFileClient &client = clientOf(data);
    if (!client.write)
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    return client.write(decoder, frame, buffer, client.clientData);
}

void metadataCallback(const FLAC__StreamDecoder *decoder, const FLAC__StreamMetadata *block, void *data)
{
    FlacFileClient &client = clientOf(data);
    if (client.metadata)
        client.metadata(decoder, block, client.clientData);
}

void errorCallback(const FLAC__StreamDecoder *decoder, FLAC__StreamDecoderErrorStatus status, void *data)
{
    FlacFileClient &client = clientOf(data);
    if (client.error)
        client.error(decoder, status, client.clientData);
}

} // namespace

FLAC__StreamDecoderInitStatus initFlacFileDecoder(FLAC__StreamDecoder *decoder, FlacFileClient &client)
{
    return FLAC__stream_decoder_init_stream(decoder, readCallback, seekCallback, tellCallback, lengthCallback,
                                            eofCallback, writeCallback, metadataCallback, errorCallback, &client);
}

} // namespace tunvale::formats
