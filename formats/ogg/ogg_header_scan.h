#pragma once

// A walk over the Ogg page headers at the start of a file, up to the end of the second packet
// (the comment header of Vorbis and Opus). It reads headers only, never packet data, and stops
// at fixed limits, so a damaged stream whose comment header never ends is refused before TagLib
// gathers its pages.

#include "formats/taglib/regular_file_stream.h"

#include <cstdint>
#include <string_view>

namespace tunvale::formats {

struct OggHeaderScan {
    bool ok = false;
    bool notOgg = false;        // the file does not start with an Ogg page at all
    std::string_view problem;   // why not, in a few words
    std::uint32_t pages = 0;    // pages up to the end of the second packet
};

// Pages and bytes the first two packets may take: far beyond any real comment header with
// cover art, small enough to bound what a damaged file costs.
inline constexpr std::uint32_t kMaxOggHeaderPages = 16384;
inline constexpr std::uint64_t kMaxOggHeaderBytes = 64ull * 1024 * 1024;

// The stream must start with a page ("OggS"); its position afterwards is unspecified.
OggHeaderScan scanOggHeaders(RegularFileStream &stream);

} // namespace tunvale::formats
