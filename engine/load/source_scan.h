#pragma once

#include "engine/session/session_state.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::engine {

// Appends to files the full path of every file below folder, at any depth, whose extension
// (compared without regard to case) is in extensions. Entries of a folder are visited in
// ascending order of their names compared without regard to ASCII case (ties by byte
// order), a sub-folder's files coming where the sub-folder falls in that order. Hidden
// entries count; folder links are followed, but a folder already visited (by its canonical
// path) is not entered again, so link cycles end. An unreadable folder adds nothing. With no
// extensions the file system is not touched. A folder below folder that is leaveOut (by its
// canonical path, so any spelling or link of it) is not entered: the run's destination when
// it lies inside its source. When skipped is given, each folder that could not be listed and
// each file of an audio format no format reads is added to it.
void scanSource(const std::filesystem::path &folder, const std::vector<std::string> &extensions,
                std::vector<std::filesystem::path> &files, const std::filesystem::path &leaveOut = {},
                std::vector<SkippedFile> *skipped = nullptr);

// The order of entries within one folder: ASCII case-insensitive, then by bytes.
bool scanOrderLess(const std::string &a, const std::string &b);

} // namespace tunvale::engine
