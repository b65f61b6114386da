// POSIX copy: copy_file_range (which may share extents on the same file system), then
// sendfile, then plain read/write, each in blocks so that a cancel request is seen between
// them. The destination is created exclusively; a replacement is written to a temporary file
// beside it and renamed over it, so a failure never leaves a partial file.
#include "output/file_copy.h"

#include "formats/io/work_files.h"
#include "output/system_error.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::output {

namespace {

constexpr std::size_t kBlockBytes = 8u << 20;   // between two looks at the cancel flag
constexpr std::size_t kBufferBytes = 1u << 20;  // read/write fallback

enum class Side { source, destination };

int mapErrno(int error, Side side)
{
    return systemErrorCode(error, side == Side::source ? ErrorSide::Source : ErrorSide::Destination);
}

bool cancelled(const std::atomic<bool> *cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes and reports a deferred write error (some file systems report them only here).
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd);
    }

private:
    int m_fd;
};

// Copies from the current offset of in to the current offset of out until end of file.
// expectedSize is the size the source had when opened: some file systems answer 0 from the
// in-kernel copies before the end, so a short result hands over to the next method.
int copyData(int in, int out, off_t expectedSize, const std::atomic<bool> *cancel)
{
    off_t copied = 0;
    bool tryCopyRange = true;
    bool trySendfile = true;
    std::unique_ptr<char[]> buffer;
    for (;;) {
        if (cancelled(cancel))
            return copy_error::kRequestAborted;
        if (tryCopyRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kBlockBytes, 0);
            if (n > 0) {
                copied += n;
                continue;
            }
            if (n == 0) {
                if (copied >= expectedSize)
                    return 0;
                tryCopyRange = false;
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF
                || errno == EPERM) {
                tryCopyRange = false;
                continue;
            }
            return mapErrno(errno, Side::destination);
        }
        if (trySendfile) {
            const ssize_t n = ::sendfile(out, in, nullptr, kBlockBytes);
            if (n > 0) {
                copied += n;
                continue;
            }
            if (n == 0) {
                if (copied >= expectedSize)
                    return 0;
                trySendfile = false;
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
                trySendfile = false;
                continue;
            }
            return mapErrno(errno, Side::destination);
        }
        if (!buffer)
            buffer.reset(new (std::nothrow) char[kBufferBytes]);
        if (!buffer)
            return copy_error::kNotEnoughMemory;
        std::size_t blockDone = 0;
        while (blockDone < kBlockBytes) {
            const ssize_t got = ::read(in, buffer.get(), kBufferBytes);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return mapErrno(errno, Side::source);
            }
            if (got == 0)
                return 0;
            ssize_t written = 0;
            while (written < got) {
                const ssize_t put = ::write(out, buffer.get() + written, static_cast<std::size_t>(got - written));
                if (put < 0) {
                    if (errno == EINTR)
                        continue;
                    return mapErrno(errno, Side::destination);
                }
                written += put;
            }
            blockDone += static_cast<std::size_t>(got);
        }
    }
}

// Writes the open source into a new file at target (created exclusively) and gives it the
// source's permissions and modification time. Removes target on any failure.
int writeNewFile(int in, const struct stat &sourceInfo, const std::filesystem::path &target,
                 const std::atomic<bool> *cancel)
{
    Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (out.get() < 0)
        return mapErrno(errno, Side::destination);
    int result = copyData(in, out.get(), sourceInfo.st_size, cancel);
    if (result == 0) {
        ::fchmod(out.get(), sourceInfo.st_mode & 0777);
        const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
        ::futimens(out.get(), times);
        if (out.close() != 0)
            result = mapErrno(errno, Side::destination);
    } else {
        out.close();
    }
    if (result != 0)
        ::unlink(target.c_str());
    return result;
}

} // namespace

int copyFile(const std::filesystem::path &source, const std::filesystem::path &destination, bool failIfExists,
             const std::atomic<bool> *cancel)
{
    // O_NONBLOCK so that a FIFO posing as an audio file cannot hang the run at open.
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return mapErrno(errno, Side::source);
    struct stat sourceInfo {};
    if (::fstat(in.get(), &sourceInfo) != 0)
        return mapErrno(errno, Side::source);
    if (!S_ISREG(sourceInfo.st_mode))
        return copy_error::kAccessDenied;
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    struct stat existing {};
    if (::lstat(destination.c_str(), &existing) != 0) {
        if (errno != ENOENT)
            return mapErrno(errno, Side::destination);
        const int result = writeNewFile(in.get(), sourceInfo, destination, cancel);
        if (result != copy_error::kFileExists || failIfExists)
            return result;
        // Someone created the name meanwhile: fall through to the replacement below.
        if (::lstat(destination.c_str(), &existing) != 0)
            return result;
        if (::lseek(in.get(), 0, SEEK_SET) != 0)
            return mapErrno(errno, Side::source);
    }
    if (failIfExists)
        return copy_error::kFileExists;
    // Like the read-only attribute on Windows: a file without write permission (whoever runs
    // the program) and a folder are never replaced.
    if (S_ISDIR(existing.st_mode) || (S_ISREG(existing.st_mode) && (existing.st_mode & 0222) == 0))
        return copy_error::kAccessDenied;
    if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
        return copy_error::kAccessDenied;
    if (S_ISREG(existing.st_mode) && existing.st_dev == sourceInfo.st_dev && existing.st_ino == sourceInfo.st_ino)
        return copy_error::kAccessDenied;   // the source itself: never truncate it

    int result = copy_error::kFileExists;
    std::filesystem::path temporary;
    // The replacement is written beside the file under a work name of its own, then renamed.
    formats::io::WorkNames names;
    for (int attempt = 0; attempt < 8 && result == copy_error::kFileExists; ++attempt) {
        temporary = names.beside(destination);
        result = writeNewFile(in.get(), sourceInfo, temporary, cancel);
    }
    if (result != 0)
        return result;
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return mapErrno(error, Side::destination);
    }
    return 0;
}

void clearReadOnly(const std::filesystem::path &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0)
        ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);
}

} // namespace tunvale::output
