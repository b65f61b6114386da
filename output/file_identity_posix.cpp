#include "output/file_identity.h"

#include <sys/stat.h>

namespace tunvale::output {

std::optional<FileIdentity> fileIdentity(const std::filesystem::path &path, bool followLinks)
{
    struct stat info {};
    const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace tunvale::output
