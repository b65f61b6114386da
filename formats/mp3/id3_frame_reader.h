#pragma once

// The frame rules of the MP3 reader: which frame fills which slot, and how.

#include "catalog/records/current_tags.h"
#include "catalog/records/tag_strings.h"

struct id3_tag;

namespace tunvale::formats {

// Longest frame value kept, in UTF-16 code units; a longer value is dropped whole.
inline constexpr std::size_t kMaxValueUnits = 1021;

// Walks the frames of a (merged) tag in order and fills the wide slots. Numbers are kept as
// decimal text. acceptSimilitudes maps a numeric genre to its parent genre first.
void readId3Frames(const id3_tag &tag, bool acceptSimilitudes, catalog::TagStrings &slots);

// Copies every non-empty slot into its CurrentTags field: text as Windows-1252 ("?" for what
// the code page cannot show, at most 1023 bytes), numbers as decimal integers.
void copySlotsToTags(const catalog::TagStrings &slots, catalog::CurrentTags &tags);

} // namespace tunvale::formats
