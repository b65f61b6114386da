#include "output/file_identity.h"

#include <windows.h>

namespace tunvale::output {

std::optional<FileIdentity> fileIdentity(const std::filesystem::path &path, bool followLinks)
{
    // No access rights are needed to read the identity; folders need backup semantics.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (!followLinks)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace tunvale::output
