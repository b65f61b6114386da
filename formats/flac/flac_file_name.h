#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tunvale::formats {

// The longest file name, in bytes, handed to libFLAC.
inline constexpr std::size_t kMaxFlacFileName = 4094;

// The byte-string file name libFLAC opens: the native bytes on POSIX systems, UTF-8 on
// Windows (libFLAC's own file layer widens UTF-8 names there). Nothing for an empty path or
// a name longer than kMaxFlacFileName bytes.
std::optional<std::string> flacFileName(const std::filesystem::path &path);

} // namespace tunvale::formats
