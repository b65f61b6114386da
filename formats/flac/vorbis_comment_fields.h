#pragma once

#include "catalog/records/current_tags.h"

#include <string_view>

namespace tunvale::formats {

// Applies one Vorbis comment entry ("KEY=value", value in UTF-8) to the tags.
//
// The key is compared without regard to case against a fixed list of key prefixes, from the
// top, and the first prefix it begins with decides the field (so ARTISTSORT fills Artist and
// COMPILATION fills Comment). Text values are converted to 8-bit text (at most 1023
// characters); number values are read as an unsigned decimal number from their start, with a
// per-field default when no digit leads. An entry without "=" or with an unlisted key changes
// nothing.
void applyVorbisComment(std::string_view entry, catalog::CurrentTags &tags);

// The same for a key and a value held apart (an entry "key=value").
void applyVorbisField(std::string_view key, std::string_view value, catalog::CurrentTags &tags);

} // namespace tunvale::formats
