#pragma once

// The small OS layer of the MP3 tag writer.

#include <filesystem>

namespace tunvale::formats {

// Commits a written file's data to the disk; false when it cannot.
bool commitToDisk(const std::filesystem::path &path);

} // namespace tunvale::formats
