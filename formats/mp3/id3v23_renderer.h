#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct id3_tag;

namespace tunvale::formats {

// Renders a libid3tag tag as an ID3v2.3 tag (header, frames, zero padding up to
// minimumLength) that ID3v2.3 readers accept: plain frame sizes, text encodings 0 and 1 only,
// the library's ID3v2.4 frames put in their ID3v2.3 form (TDRC as TYER/TDAT/TIME, TDOR as TORY,
// TIPL as IPLS), no unsynchronisation, compression or extended header. Empty on failure: a
// frame the library kept undecoded (other than encrypted), a tag over 256 MiB, or nothing to
// write and no padding asked for.
std::vector<std::uint8_t> renderId3v23(const id3_tag *tag, std::size_t minimumLength = 0);

} // namespace tunvale::formats
