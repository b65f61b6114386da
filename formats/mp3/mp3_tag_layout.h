#pragma once

// Where the tags of an MP3 file sit: the ID3v2 tag at its start and the ID3v1 tag in its last
// 128 bytes, found from their headers before the file is changed.

#include "formats/audio/binary_file.h"

#include <cstdint>
#include <optional>

namespace tunvale::formats {

struct Mp3TagLayout {
    std::uint64_t fileSize = 0;
    std::uint64_t v2Length = 0;      // whole ID3v2 tag at offset 0 (header, frames, padding, footer); 0 = none
    bool hasV1 = false;
    std::uint64_t v1Position = 0;    // fileSize - 128 when hasV1
};

// None when the file cannot be rewritten safely: an ID3v2 tag whose size runs past the end of
// the file, or an ID3v2 tag appended at the end (its frames would hide the ones we write).
std::optional<Mp3TagLayout> probeMp3TagLayout(BinaryFile &file);

} // namespace tunvale::formats
