#pragma once

// A walk over the Ogg page headers at the start of a file, through the header packets of its
// stream (identification and comment, and the setup header of Vorbis) to the first page of
// audio, then a look at the pages at its end. It reads headers only, never packet data beyond
// the codec's magic, and stops at fixed limits, so a damaged stream whose comment header never
// ends is refused before TagLib gathers its pages.
//
// Refused: a file that holds no audio after its headers, a last page cut short (a file that
// stopped being written), and a file that multiplexes several logical streams (audio with
// video, or two audio streams), which the comment reader and writer do not handle.

#include "formats/taglib/regular_file_stream.h"

#include <cstdint>
#include <string_view>

namespace tunvale::formats {

struct OggHeaderScan {
    bool ok = false;
    bool notOgg = false;        // the file does not start with an Ogg page at all
    bool unsupported = false;   // a valid file the reader does not handle (several streams)
    std::string_view problem;   // why not, in a few words
    std::uint32_t pages = 0;    // pages up to the first page of audio
};

// Pages and bytes the header packets may take: far beyond any real comment header with
// cover art, small enough to bound what a damaged file costs.
inline constexpr std::uint32_t kMaxOggHeaderPages = 16384;
inline constexpr std::uint64_t kMaxOggHeaderBytes = 64ull * 1024 * 1024;

// The stream must start with a page ("OggS"); its position afterwards is unspecified.
OggHeaderScan scanOggHeaders(RegularFileStream &stream);

} // namespace tunvale::formats
