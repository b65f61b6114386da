#pragma once

#include "output/placement_context.h"

#include <filesystem>

namespace tunvale::output {

// The last collision iteration tried: "Name(63).ext".
inline constexpr int kMaxIterations = 63;

// Name(n).ext for a destination whose name is taken: the extension in lower case, the name
// shortened when the suffix would take the component past the file system's limit. On POSIX
// the name's own bytes are kept (a name need not be valid UTF-8 there).
std::filesystem::path iterationPath(const std::filesystem::path &destination, int n);

// What becomes of a file that already has the name a work file is to take.
enum class TakenName {
    NextIteration,   // the work file takes the next iteration instead
    KeepAside,       // moved into the kept folder, then replaced (else the next iteration)
    Replace,         // replaced outright (the converter used on its own, outside a run)
};

// Whether the entry standing at original may be moved aside into the kept folder to be
// replaced: not a folder or device, not a file without write permission, not a file the run
// reads, and the kept folder is not reached through a link. Only looks.
bool mayKeepAside(const PlacementContext &context, const std::filesystem::path &original);

// Gives the complete work file work its final name: context.destinationPath, or when that is
// taken the iterations Name(1).ext ... Name(lastIteration).ext in turn. Except with
// TakenName::Replace no name is ever taken over by the rename itself: KeepAside first moves
// the file standing there aside into the kept folder of the destination root (same file
// system), while a folder, a file without write permission, the source itself or a file that
// cannot be kept aside counts as taken. The recorder hears of every name before the file takes
// it and of every file before it is moved aside. On success context.destinationPath names the
// file and context.placedIdentity is its identity; on failure the work file is deleted.
// 0 or a copy_error code (kFileExists or kAccessDenied when every name was taken). known, when
// valid, is the work file's identity as its writer saw it last (not asked of the system again).
int publishWorkFile(PlacementContext &context, const std::filesystem::path &work, TakenName whenTaken,
                    int lastIteration = kMaxIterations, const formats::io::FileIdentity &known = {});

} // namespace tunvale::output
