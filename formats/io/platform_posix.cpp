#include "formats/io/platform.h"

#include "catalog/text/codepage.h"

#include <cstdlib>

#include <unistd.h>

namespace tunvale::platform {

int processId() { return static_cast<int>(::getpid()); }

std::tm utcTime(std::time_t seconds)
{
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    return tm;
}

std::string pathToUtf8(const std::filesystem::path &path) { return path.native(); }

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(std::string(text)); }

std::u16string pathToUtf16(const std::filesystem::path &path) { return text::utf8ToUtf16(path.native()); }

std::filesystem::path pathFromUtf16(std::u16string_view text) { return std::filesystem::path(text::utf16ToUtf8(text)); }

std::FILE *openNewFile(const std::filesystem::path &path) { return std::fopen(path.c_str(), "w+bx"); }

std::FILE *openForAppending(const std::filesystem::path &path) { return std::fopen(path.c_str(), "ab"); }

std::filesystem::path programStateFolder()
{
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::filesystem::path(state) / "tunvale";
    if (const char *home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "state" / "tunvale";
    return {};
}

bool seekFile(std::FILE *file, std::uint64_t offset) { return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }

void flushFileData(std::FILE *file) { ::fdatasync(::fileno(file)); }

std::size_t maxPathUnits() { return 4095; }

int fileSystemErrorCode(const std::error_code &error, int (*systemErrorCode)(int errnoValue))
{
    return systemErrorCode(error.value());
}

} // namespace tunvale::platform
