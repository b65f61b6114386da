#include "formats/flac/flac_file_name.h"

namespace tunvale::formats {

std::optional<std::string> flacFileName(const std::filesystem::path &path)
{
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    std::string name(utf8.begin(), utf8.end());
#else
    std::string name = path.native();
#endif
    // A NUL inside the name would silently open another file.
    if (name.empty() || name.size() > kMaxFlacFileName || name.find('\0') != std::string::npos)
        return std::nullopt;
    return name;
}

} // namespace tunvale::formats
