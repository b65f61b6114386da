#pragma once

// libFLAC's stream decoder fed through callbacks from a file the program opened itself
// (RegularFile), so libFLAC never opens a path: a FIFO or a device named like a FLAC file is
// refused before anything reads from it, and nothing can block.

#include "formats/audio/regular_file.h"

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <vector>

namespace tunvale::formats {

// The read position of one decoder in the file; several may read the same file.
class FlacFileInput {
public:
    // One part of what a decoder is shown, length bytes: bytes of its own, or bytes of the file
    // from filePos (when bytes is empty).
    struct Part {
        std::vector<std::uint8_t> bytes;
        std::uint64_t filePos = 0;
        std::uint64_t length = 0;
    };

    explicit FlacFileInput(RegularFile &file) : m_file(&file) {}

    // Shows the decoder the parts, in order, instead of the whole file: the metadata blocks it
    // needs without those it would read through to skip them (see flac_stream_map.h).
    // Positions are then positions in that view.
    void setView(std::vector<Part> parts);

    FLAC__StreamDecoderReadStatus read(FLAC__byte buffer[], std::size_t *bytes);
    FLAC__StreamDecoderSeekStatus seek(FLAC__uint64 offset);
    FLAC__StreamDecoderTellStatus tell(FLAC__uint64 *offset) const;
    FLAC__StreamDecoderLengthStatus length(FLAC__uint64 *length) const;
    bool eof() const;

private:
    std::uint64_t size() const;

    RegularFile *m_file;
    std::uint64_t m_position = 0;
    std::vector<Part> m_parts; // empty: the whole file
    std::uint64_t m_viewSize = 0;
};

// What a decoder on a file calls: the input, then the usual three callbacks with their own
// client data. Must outlive the decoder's use of it.
struct FlacFileClient {
    FlacFileInput input;
    FLAC__StreamDecoderWriteCallback write = nullptr;
    FLAC__StreamDecoderMetadataCallback metadata = nullptr;
    FLAC__StreamDecoderErrorCallback error = nullptr;
    void *clientData = nullptr;
};

// FLAC__stream_decoder_init_stream on the client's input; the libFLAC initialisation status.
FLAC__StreamDecoderInitStatus initFlacFileDecoder(FLAC__StreamDecoder *decoder, FlacFileClient &client);

} // namespace tunvale::formats
