#include "formats/audio/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::formats {

namespace {

OpenError openErrorOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return OpenError::NotFound;
    case EACCES:
    case EPERM: return OpenError::Denied;
    case EISDIR:
    case ENXIO:
    case ENODEV: return OpenError::NotRegular;
    default: return OpenError::Failed;
    }
}

} // namespace

bool RegularFile::open(const std::filesystem::path &path, Access access)
{
    close();
    m_error = OpenError::None;
    m_readFailed = false;
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever. It only
    // matters for the open itself: on a regular file reads and writes never wait anyway.
    const int mode = access == Access::ReadWrite ? O_RDWR : O_RDONLY;
    const int descriptor = ::open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        m_error = openErrorOf(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        m_error = OpenError::Failed;
        ::close(descriptor);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        m_error = OpenError::NotRegular;
        ::close(descriptor);
        return false;
    }
    // O_NONBLOCK stays set: it changes nothing on a regular file.
    m_descriptor = descriptor;
    m_size = static_cast<std::uint64_t>(status.st_size);
    m_status.mode = static_cast<std::uint32_t>(status.st_mode & 07777);
    m_status.accessed = static_cast<std::int64_t>(status.st_atim.tv_sec) * 1000000000LL + status.st_atim.tv_nsec;
    m_status.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    return true;
}

void RegularFile::close()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    m_size = 0;
}

std::size_t RegularFile::readAt(std::uint64_t position, void *buffer, std::size_t count)
{
    if (m_descriptor < 0)
        return 0;
    auto *out = static_cast<char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(m_descriptor, out + done, count - done, static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR)
            continue;
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
    if (m_descriptor < 0)
        return false;
    const auto *in = static_cast<const char *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(m_descriptor, in + done, count - done, static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RegularFile::truncate(std::uint64_t size)
{
    if (m_descriptor < 0)
        return false;
    int result = 0;
    do {
        result = ::ftruncate(m_descriptor, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool RegularFile::syncToDisk()
{
    return m_descriptor >= 0 && ::fsync(m_descriptor) == 0;
}

} // namespace tunvale::formats
