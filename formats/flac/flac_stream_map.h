#pragma once

// Where the parts of a FLAC file lie, found from the metadata block headers alone (four bytes
// each), and the views of the file a decoder is given so that it reads only the blocks it
// needs: libFLAC reads through every block it skips, so a file padded with gigabytes (sparse
// or not) would otherwise cost as much time as its size whatever is asked of it.

#include "formats/audio/regular_file.h"
#include "formats/flac/flac_file_input.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tunvale::formats {

struct FlacBlockPlace {
    std::uint8_t type = 0;       // FLAC__MetadataType
    std::uint64_t headerPos = 0; // the block's 4-byte header
    std::uint32_t length = 0;    // its data, after the header
};

struct FlacStreamMap {
    std::uint64_t markerPos = 0;        // "fLaC", after any ID3v2 tags
    std::vector<FlacBlockPlace> blocks; // in file order, STREAMINFO first
    std::uint64_t audioStart = 0;       // the first byte after the last block
    std::uint64_t fileSize = 0;
    std::uint32_t maxBlockSize = 0; // STREAMINFO's: samples per frame of a fixed-size stream
    std::uint32_t maxFrameSize = 0; // STREAMINFO's, 0 when unknown
};

// Walks the block headers; nothing when they do not lead cleanly to the audio (not FLAC, a
// block past the end of the file, a first block that is not STREAMINFO, more than 4096
// blocks): libFLAC then reads the file itself and says what is wrong with it.
std::optional<FlacStreamMap> mapFlacStream(RegularFile &file);

// "fLaC", STREAMINFO and the blocks of the given types, the last marked as such, then the
// audio from audioFrom (the map's audioStart, or a later position) to the end of the file.
std::vector<FlacFileInput::Part> flacView(const FlacStreamMap &map, std::initializer_list<std::uint8_t> types,
                                          std::uint64_t audioFrom);

} // namespace tunvale::formats
