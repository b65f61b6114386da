#include "engine/run/make_folder.h"

#include <algorithm>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

FolderMade makeFolder(const fs::path &folder)
{
    std::error_code ec;
    if (fs::create_directory(folder, ec) && !ec)
        return FolderMade::Created;
    // create_directory answers false without an error when the folder exists; some
    // implementations report "file exists" instead. Either way only a folder will do.
    if (ec && ec != std::errc::file_exists)
        return FolderMade::Failed;
    std::error_code typeError;
    return fs::is_directory(folder, typeError) ? FolderMade::Existed : FolderMade::Failed;
}

std::vector<fs::path> missingFolders(const fs::path &folder)
{
    // "new/" names the folder "new": without this its parent would be taken for a level.
    fs::path level = folder.has_filename() ? folder : folder.parent_path();
    std::vector<fs::path> missing;
    for (; !level.empty() && level.has_relative_path(); level = level.parent_path()) {
        std::error_code ec;
        if (fs::symlink_status(level, ec).type() != fs::file_type::not_found)
            break;
        missing.push_back(level);
    }
    std::reverse(missing.begin(), missing.end());
    return missing;
}

FolderMade makeFolders(const fs::path &folder, std::vector<fs::path> &created)
{
    const std::vector<fs::path> levels = missingFolders(folder);
    FolderMade last = FolderMade::Existed;
    for (const fs::path &level : levels) {
        last = makeFolder(level);
        if (last == FolderMade::Failed)
            return FolderMade::Failed;
        if (last == FolderMade::Created)
            created.push_back(level);
    }
    if (levels.empty()) {
        std::error_code ec;
        return fs::is_directory(folder, ec) ? FolderMade::Existed : FolderMade::Failed;
    }
    return last;
}

} // namespace tunvale::engine
