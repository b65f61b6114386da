// Windows side of the file identity layer: the volume serial number and file index of an
// entry opened without following a reparse point; MoveFileExW without replacing.
#include "formats/io/file_identity.h"

#include <cerrno>

#include <windows.h>

namespace tunvale::formats::io {

namespace {

int errnoFrom(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

} // namespace

FileIdentity identityOf(const std::filesystem::path &path)
{
    HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!ok || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    FileIdentity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    identity.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    identity.valid = true;
    return identity;
}

std::optional<FileKey> fileKeyOf(const std::filesystem::path &path, bool followLinks)
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
    return FileKey{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

EntryKind entryKind(const std::filesystem::path &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return EntryKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return EntryKind::Link;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EntryKind::Folder;
    return EntryKind::File;
}

int renameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return 0;
    return errnoFrom(GetLastError());
}

int createExclusive(const std::filesystem::path &path)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return errnoFrom(GetLastError());
    CloseHandle(handle);
    return 0;
}

EntryKeys entryKeysOf(const std::filesystem::path &path)
{
    return EntryKeys{fileKeyOf(path, false), fileKeyOf(path, true)};
}

} // namespace tunvale::formats::io
