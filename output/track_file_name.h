#pragma once

#include "catalog/records/meta_dat.h"
#include "output/placement_context.h"

#include <string>

namespace tunvale::output {

// The new file name (without extension) built from an entry's tags: track text, artist,
// composer when it does not resemble the artist, title without the words repeating them.
// index is the 1-based position of the entry in its group. May be empty.
std::u16string BuildTrackFileName(const catalog::CMetaDat &entry, int index, const PlacementOptions &options);

} // namespace tunvale::output
