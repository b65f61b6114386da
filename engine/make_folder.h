#pragma once

#include <filesystem>

namespace tunvale::engine {

enum class FolderMade {
    Created,   // this call made the folder
    Existed,   // a folder of that name was there (perhaps made meanwhile by another run): use it
    Failed,    // it cannot be made, or a file holds the name
};

// Creates one folder level. Creating and looking are one step, so a folder another process
// makes between a check and the creation is used, never taken for a failure.
FolderMade makeFolder(const std::filesystem::path &folder);

} // namespace tunvale::engine
