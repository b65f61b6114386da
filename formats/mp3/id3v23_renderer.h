#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct id3_tag;

namespace tunvale::formats {

// Renders a libid3tag tag as an ID3v2.3 tag (header, frames, zero padding up to
// minimumLength). Empty on failure.
std::vector<std::uint8_t> renderId3v23(const id3_tag *tag, std::size_t minimumLength = 0);

} // namespace tunvale::formats
