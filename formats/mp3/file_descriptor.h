#pragma once

// The small OS layer of the MP3 handler: libid3tag's file layer takes an open descriptor,
// which the program opens itself by its Unicode path.

#include <filesystem>

namespace tunvale::formats {

// Opens path for binary reading; -1 when it cannot be opened.
int openReadDescriptor(const std::filesystem::path &path);
// Closes a descriptor the library did not take over.
void closeDescriptor(int descriptor);
// Commits a written file's data to the disk; false when it cannot.
bool commitToDisk(const std::filesystem::path &path);

} // namespace tunvale::formats
