#pragma once

// Track numbers of a destination folder: the number text of built file names, the numbers
// written into the copies' tags and the renumbering of Miscellaneous file names.

#include "output/placement_context.h"

#include <string>
#include <string_view>

namespace tunvale::output {

// n formatted "%02d" for a step of 1, or n times the step formatted "%03d" for a larger step.
std::u16string numberText(int n, int step);

// The track text that starts a built name: the 1-based member position when renumbering,
// otherwise the entry's own track text, "01" or "001" when it has none.
std::u16string trackTextFor(std::u16string_view ownTrackText, int position, const PlacementOptions &options);

// Track number and total written into a copy (0 leaves the copy's own value).
struct TagNumbers {
    int track = 0;
    int total = 0;
};
TagNumbers tagNumbers(bool renumber, int step, int index, int count);

// The name of the m-th Miscellaneous file: a name starting with a digit has its leading run
// of letters and digits replaced by numberText(m, step); other names stay as they are.
std::u16string renumberMiscellaneousName(std::u16string_view name, int m, int step);

} // namespace tunvale::output
