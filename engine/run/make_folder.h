#pragma once

#include <filesystem>
#include <vector>

namespace tunvale::engine {

enum class FolderMade {
    Created,   // this call made the folder
    Existed,   // a folder of that name was there (perhaps made meanwhile by another run): use it
    Failed,    // it cannot be made, or a file holds the name
};

// Creates one folder level. Creating and looking are one step, so a folder another process
// makes between a check and the creation is used, never taken for a failure.
FolderMade makeFolder(const std::filesystem::path &folder);

// The folders missing on the way to folder, outermost first (folder itself last); empty when
// folder exists. Nothing is followed beyond the first entry that exists, whatever it is.
std::vector<std::filesystem::path> missingFolders(const std::filesystem::path &folder);

// Creates folder with every missing parent, outermost first. created receives each folder this
// call made, in that order, also when a deeper level then fails, so the caller can take them
// back. Created when folder itself was made by this call, Existed when it was there (or made
// meanwhile), Failed when a level could not be made.
FolderMade makeFolders(const std::filesystem::path &folder, std::vector<std::filesystem::path> &created);

} // namespace tunvale::engine
