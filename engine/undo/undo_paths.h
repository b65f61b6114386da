#pragma once

#include <filesystem>
#include <vector>

namespace tunvale::engine {

// The path tests the undo of a session and its count share.

// A real folder (not a link to one).
bool isRealFolder(const std::filesystem::path &path);

// file lies directly in one of folders (blank entries name nothing).
bool insideAny(const std::filesystem::path &file, const std::vector<std::filesystem::path> &folders);

// Whether folder lies above path (a strict ancestor, compared by components).
bool isAbove(const std::filesystem::path &folder, const std::filesystem::path &path);

// The folder, ".tunvale-kept" or an ancestor, that holds a kept original.
std::filesystem::path keptFolderOf(const std::filesystem::path &kept);

} // namespace tunvale::engine
