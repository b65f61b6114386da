#include "engine/undo/undo_paths.h"

#include "formats/io/work_files.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

bool isRealFolder(const fs::path &path)
{
    std::error_code ec;
    return !path.empty() && fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

bool insideAny(const fs::path &file, const std::vector<fs::path> &folders)
{
    return std::any_of(folders.begin(), folders.end(),
                       [&](const fs::path &folder) { return !folder.empty() && file.parent_path() == folder; });
}

bool isAbove(const fs::path &folder, const fs::path &path)
{
    if (folder.empty())
        return false;
    auto part = path.begin();
    for (auto folderPart = folder.begin(); folderPart != folder.end(); ++folderPart, ++part) {
        if (part == path.end() || *part != *folderPart)
            return false;
    }
    return part != path.end();
}

fs::path keptFolderOf(const fs::path &kept)
{
    for (fs::path folder = kept.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        if (folder.filename() == fs::path(std::string(formats::io::kKeptFolderName)))
            return folder;
    }
    return kept.parent_path();
}

} // namespace tunvale::engine
