#pragma once

#include <array>
#include <cstdint>

struct id3_tag;

namespace tunvale::formats {

// Renders the ID3v1.1 tag (128 bytes at the end of an MP3 file) of a libid3tag tag: title,
// artist, album, year, comment, track (1 to 255) and genre number, text as ISO-8859-1 with
// "?" for what it cannot hold, cut to the field widths.
std::array<std::uint8_t, 128> renderId3v1(const id3_tag &tag);

} // namespace tunvale::formats
