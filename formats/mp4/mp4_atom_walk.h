#pragma once

// A walk over the atom tree of an MP4 file before TagLib parses it. It follows the atoms
// TagLib descends into (moov, trak, mdia, minf, stbl, stsd, udta, meta, ilst, moof, traf) by
// the same rules, reading headers only, and stops at fixed limits of depth and count: TagLib
// builds that tree recursively and would exhaust the stack on a file of nested atoms. On the
// way it notes what each track holds, so that a file with video or without AAC or ALAC audio
// is refused.

#include "formats/taglib/regular_file_stream.h"
#include "formats/taglib/tag_read_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tunvale::formats {

inline constexpr unsigned kMaxMp4AtomDepth = 32;
inline constexpr std::uint32_t kMaxMp4Atoms = 200000;

struct Mp4Track {
    std::string handler;                   // "soun", "vide", "text", ...
    std::vector<std::string> sampleEntries;   // "mp4a", "alac", "avc1", ...
};

struct Mp4ItemAtom {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    char name[4] = {};
};

struct Mp4Layout {
    TagReadResult result;
    bool hasMovie = false;
    std::vector<Mp4Track> tracks;
    std::string audioCodec;   // "mp4a" (AAC) or "alac": the first such sample entry of a sound track
    // Every chunk offset table (stco, co64) lies in a sample table (stbl) and holds the entries
    // it counts. TagLib rewrites them entry by entry when a tag grows, trusting the count: a
    // damaged one, or one read at the wrong place, would have it write a few billion entries
    // past the table. Only a file where this holds is rewritten.
    bool offsetTablesIntact = true;
    // Every atom lies within its parent and the file. TagLib reads around an atom that does not
    // (it stops there), but a rewrite of such a tree can leave a file it no longer reads; only
    // a consistent file is rewritten.
    bool consistent = true;
    // The atoms in the first 'ilst' of the first 'meta' of the first 'udta' of the first
    // 'moov', in file order: the only place TagLib reads items from.
    std::vector<Mp4ItemAtom> items;
};

// Walks the whole stream and judges it: NotRecognized without a movie atom, Damaged past the
// limits, Unsupported with a video track or without AAC or ALAC audio.
Mp4Layout walkMp4Atoms(RegularFileStream &stream);

} // namespace tunvale::formats
