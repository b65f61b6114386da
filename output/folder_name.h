#pragma once

#include <string>
#include <string_view>

namespace tunvale::output {

// The folder name a group gets under the destination: the group name made file-name safe
// (control characters as spaces), shortened like a file name to at most 255 UTF-8 bytes at a
// character boundary (trailing spaces the cut leaves go too), and never empty or dots only, so
// that a long or odd tag can neither stop the run nor name a folder's parent; a name the program
// keeps for itself (".tunvale-...") starts with "_" instead of its dot.
std::u16string groupFolderName(std::u16string_view groupName);

} // namespace tunvale::output
