#pragma once

#include "catalog/records/meta_dat.h"

#include <string>

namespace tunvale::output {

// The entry's title with its artist in front ("Artist, Title") unless the title already
// holds the artist; with one of two artist words present, only the missing word is put in
// front. Returns the title unchanged when nothing is to be added; may return "" only for an
// entry whose texts are all empty.
std::u16string ArtistTitle(const catalog::CMetaDat &entry);

// The same with the entry's composer; a single missing word is joined with a space only.
std::u16string ComposerTitle(const catalog::CMetaDat &entry);

} // namespace tunvale::output
