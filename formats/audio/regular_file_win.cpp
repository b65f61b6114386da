#include "formats/audio/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

namespace tunvale::formats {

namespace {

OpenError openErrorOf(int error)
{
    switch (error) {
    case ENOENT: return OpenError::NotFound;
    case EACCES: return OpenError::Denied;
    default: return OpenError::Failed;
    }
}

// _read and _write take at most INT_MAX bytes at a time.
constexpr std::size_t kMaxTransfer = 1u << 30;

} // namespace

bool RegularFile::open(const std::filesystem::path &path, Access access)
{
    close();
    m_error = OpenError::None;
    m_readFailed = false;
    int descriptor = -1;
    const int mode = access == Access::ReadWrite ? _O_RDWR : _O_RDONLY;
    const int share = access == Access::ReadWrite ? _SH_DENYNO : _SH_DENYWR;
    if (_wsopen_s(&descriptor, path.c_str(), mode | _O_BINARY | _O_NOINHERIT, share, _S_IREAD | _S_IWRITE) != 0) {
        m_error = openErrorOf(errno);
        return false;
    }
    struct _stat64 status {};
    if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        m_error = OpenError::NotRegular;
        _close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    m_size = static_cast<std::uint64_t>(status.st_size);
    m_status.mode = static_cast<std::uint32_t>(status.st_mode & 0777);
    m_status.accessed = static_cast<std::int64_t>(status.st_atime) * 1000000000LL;
    m_status.modified = static_cast<std::int64_t>(status.st_mtime) * 1000000000LL;
    return true;
}

void RegularFile::close()
{
    if (m_descriptor >= 0)
        _close(m_descriptor);
    m_descriptor = -1;
    m_size = 0;
}

std::size_t RegularFile::readAt(std::uint64_t position, void *buffer, std::size_t count)
{
    if (m_descriptor < 0 || _lseeki64(m_descriptor, static_cast<__int64>(position), SEEK_SET) < 0)
        return 0;
    auto *out = static_cast<char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const int n = _read(m_descriptor, out + done, static_cast<unsigned>(std::min(count - done, kMaxTransfer)));
        if (n < 0) {
            m_readFailed = true;
            break;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool RegularFile::writeAt(std::uint64_t position, const void *buffer, std::size_t count)
{
    if (m_descriptor < 0 || _lseeki64(m_descriptor, static_cast<__int64>(position), SEEK_SET) < 0)
        return false;
    const auto *in = static_cast<const char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const int n = _write(m_descriptor, in + done, static_cast<unsigned>(std::min(count - done, kMaxTransfer)));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RegularFile::truncate(std::uint64_t size)
{
    return m_descriptor >= 0 && _chsize_s(m_descriptor, static_cast<__int64>(size)) == 0;
}

bool RegularFile::syncToDisk()
{
    return m_descriptor >= 0 && _commit(m_descriptor) == 0;
}

} // namespace tunvale::formats
