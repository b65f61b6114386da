#pragma once

// A tag edit that never leaves a half-written file: the edit runs on a copy of the file made
// under a work name beside it, and only a copy whose every write went through replaces the
// file (committed to the disk first, with the file's permissions).

#include "formats/taglib/regular_file_stream.h"

#include <filesystem>
#include <functional>

namespace tunvale::formats {

struct WorkCopyOutcome {
    bool written = false;
    int systemError = 0;   // errno of a write the system refused, 0 when none
};

// Copies the regular file at path to workPath (a name no entry has: it is created
// exclusively), runs edit on a writable stream over the copy and, when edit returns true and
// no read or write failed, renames the copy over path. The copy is removed on any failure.
WorkCopyOutcome editThroughWorkCopy(const std::filesystem::path &path, const std::filesystem::path &workPath,
                                    const std::function<bool(RegularFileStream &)> &edit);

} // namespace tunvale::formats
