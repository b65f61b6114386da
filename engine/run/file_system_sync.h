#pragma once

#include <filesystem>

namespace tunvale::engine {

// Has everything written to the file system of folder reach the disk: one sync for the whole
// run instead of one per file. Failures are ignored (the files stay as the page cache holds
// them); a folder that cannot be opened syncs nothing.
void syncFileSystemOf(const std::filesystem::path &folder);

} // namespace tunvale::engine
