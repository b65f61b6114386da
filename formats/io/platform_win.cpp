#include "formats/io/platform.h"

#include <cstdlib>
#include <io.h>
#include <process.h>

namespace tunvale::platform {

int processId() { return _getpid(); }

std::tm utcTime(std::time_t seconds)
{
    std::tm tm{};
    gmtime_s(&tm, &seconds);
    return tm;
}

std::string pathToUtf8(const std::filesystem::path &path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::u16string pathToUtf16(const std::filesystem::path &path)
{
    const std::wstring &native = path.native();
    return std::u16string(native.begin(), native.end());
}

std::filesystem::path pathFromUtf16(std::u16string_view text)
{
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

std::FILE *openNewFile(const std::filesystem::path &path) { return _wfopen(path.c_str(), L"w+bx"); }

std::FILE *openForAppending(const std::filesystem::path &path) { return _wfopen(path.c_str(), L"ab"); }

std::filesystem::path programStateFolder()
{
    if (const wchar_t *local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return std::filesystem::path(local) / L"Tunvale";
    return {};
}

bool seekFile(std::FILE *file, std::uint64_t offset)
{
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
}

void flushFileData(std::FILE *file) { _commit(_fileno(file)); }

std::size_t maxPathUnits() { return 32767; }

int fileSystemErrorCode(const std::error_code &error, int (*)(int errnoValue))
{
    return error.value();   // already a Windows error code
}

} // namespace tunvale::platform
