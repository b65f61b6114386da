#include "engine/make_folder.h"

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

} // namespace tunvale::engine
