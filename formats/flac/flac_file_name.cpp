#include "formats/flac/flac_file_name.h"

#include "formats/io/platform.h"

namespace tunvale::formats {

std::optional<std::string> flacFileName(const std::filesystem::path &path)
{
    // libFLAC takes UTF-8 names on Windows and the bytes of the name elsewhere.
    const std::string name = platform::pathToUtf8(path);
    // A NUL inside the name would silently open another file.
    if (name.empty() || name.size() > kMaxFlacFileName || name.find('\0') != std::string::npos)
        return std::nullopt;
    return name;
}

} // namespace tunvale::formats
