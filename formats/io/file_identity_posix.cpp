// POSIX side of the file identity layer: lstat, renameat2 with its fallbacks, O_EXCL.
#include "formats/io/file_identity.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::formats::io {

FileIdentity identityOf(const std::filesystem::path &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
        return {};
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    identity.link = S_ISLNK(info.st_mode);
    identity.valid = true;
    return identity;
}

std::optional<FileKey> fileKeyOf(const std::filesystem::path &path, bool followLinks)
{
    struct stat info {};
    const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result != 0)
        return std::nullopt;
    return FileKey{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

EntryKeys entryKeysOf(const std::filesystem::path &path)
{
    EntryKeys keys;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return keys;
    keys.entry = FileKey{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    if (!S_ISLNK(info.st_mode))
        keys.target = keys.entry;
    else
        keys.target = fileKeyOf(path, true);
    return keys;
}

EntryKind entryKind(const std::filesystem::path &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return EntryKind::Missing;
    if (S_ISREG(info.st_mode))
        return EntryKind::File;
    if (S_ISDIR(info.st_mode))
        return EntryKind::Folder;
    if (S_ISLNK(info.st_mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

int renameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
#endif
    // The file system cannot rename without replacing: a hard link fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    const int linkError = errno;
    if (linkError != EPERM && linkError != EOPNOTSUPP && linkError != ENOSYS && linkError != EMLINK)
        return linkError;
    // Neither (FAT and some network file systems): look, then rename; a name taken in between
    // would be replaced, which no other way avoids there.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int createExclusive(const std::filesystem::path &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return errno;
    return ::close(fd) == 0 ? 0 : errno;
}

} // namespace tunvale::formats::io
