// POSIX work copy: the pieces go out with write(), the source's bytes with copy_file_range at
// explicit offsets (no seek, no second open of the source), else pread and write.
#include "output/work_copy.h"

#include "output/file_copy.h"
#include "output/system_error.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::output {

namespace {

constexpr std::size_t kBlockBytes = 8u << 20;    // between two looks at the cancel flag
constexpr std::size_t kBufferBytes = 256u << 10; // read and write

bool cancelled(const std::atomic<bool> *cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

int destinationError(int error) { return systemErrorCode(error, ErrorSide::Destination); }
int sourceError(int error) { return systemErrorCode(error, ErrorSide::Source); }

int writeAll(int out, const std::uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t put = ::write(out, bytes, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return destinationError(put < 0 ? errno : ENOSPC);
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return 0;
}

// A refusal that means "not between these file systems", not a failed copy.
bool systemCopyRefused(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF
        || error == EPERM;
}

class SourceRange {
public:
    SourceRange(int in, int out, CopyMethods &methods, const std::atomic<bool> *cancel)
        : m_in(in), m_out(out), m_methods(methods), m_cancel(cancel)
    {
    }

    // Copies length bytes of the source from offset to the end of the output.
    int copy(std::uint64_t offset, std::uint64_t length)
    {
        while (length > 0) {
            if (cancelled(m_cancel))
                return copy_error::kRequestAborted;
            const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(length, kBlockBytes));
            std::size_t done = 0;
            if (m_methods.systemCopy.load(std::memory_order_relaxed)) {
                off_t position = static_cast<off_t>(offset);
                const ssize_t n = ::copy_file_range(m_in, &position, m_out, nullptr, block, 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && !systemCopyRefused(errno))
                    return destinationError(errno);
                if (n <= 0) {
                    // Refused, or nothing copied before the end: the run reads and writes from now on.
                    m_methods.systemCopy.store(false, std::memory_order_relaxed);
                    continue;
                }
                done = static_cast<std::size_t>(n);
            } else {
                const int result = readAndWrite(offset, block, done);
                if (result != 0)
                    return result;
            }
            offset += done;
            length -= done;
        }
        return 0;
    }

private:
    int readAndWrite(std::uint64_t offset, std::size_t count, std::size_t &done)
    {
        if (!m_buffer)
            m_buffer.reset(new (std::nothrow) std::uint8_t[kBufferBytes]);
        if (!m_buffer)
            return copy_error::kNotEnoughMemory;
        const ssize_t got = ::pread(m_in, m_buffer.get(), std::min(count, kBufferBytes), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            return 0;
        if (got < 0)
            return sourceError(errno);
        if (got == 0)
            return copy_error::kGeneralFailure;   // the source got shorter meanwhile
        done = static_cast<std::size_t>(got);
        return writeAll(m_out, m_buffer.get(), done);
    }

    int m_in;
    int m_out;
    CopyMethods &m_methods;
    const std::atomic<bool> *m_cancel;
    std::unique_ptr<std::uint8_t[]> m_buffer;
};

timespec timeOf(std::int64_t nanoseconds)
{
    timespec time{};
    time.tv_sec = static_cast<time_t>(nanoseconds / 1000000000LL);
    time.tv_nsec = static_cast<long>(nanoseconds % 1000000000LL);
    return time;
}

int writeContent(int in, int out, std::uint64_t sourceSize, const formats::RetagPlan &plan, CopyMethods &methods,
                 const std::atomic<bool> *cancel)
{
    SourceRange range(in, out, methods, cancel);
    if (plan.outcome != formats::RetagPlan::Outcome::Rewritten)
        return range.copy(0, sourceSize);
    for (const formats::OutputPiece &piece : plan.pieces) {
        const int result = piece.sourceLength > 0 ? range.copy(piece.sourceOffset, piece.sourceLength)
                                                  : writeAll(out, piece.bytes.data(), piece.bytes.size());
        if (result != 0)
            return result;
    }
    return 0;
}

} // namespace

int writeWorkCopy(formats::BinaryFile &source, const formats::RetagPlan &plan, const std::filesystem::path &target,
                  CopyMethods &methods, const std::atomic<bool> *cancel, formats::io::FileIdentity &identity)
{
    identity = {};
    const formats::RegularFile &in = source.file();
    if (!in.isOpen())
        return copy_error::kFileNotFound;
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (out < 0)
        return destinationError(errno);
    int result = writeContent(in.descriptor(), out, source.size(), plan, methods, cancel);
    const formats::OpenedStatus &status = in.status();
    if (result == 0) {
        // Owner write, like a copy whose read-only attribute placement clears.
        const mode_t mode = static_cast<mode_t>((status.mode & 0777) | S_IWUSR);
        if (mode != (S_IRUSR | S_IWUSR))
            ::fchmod(out, mode);
        // A plain copy keeps the source's times; a retagged one is new.
        if (plan.outcome != formats::RetagPlan::Outcome::Rewritten) {
            const timespec times[2] = {timeOf(status.accessed), timeOf(status.modified)};
            ::futimens(out, times);
        }
        struct stat written {};
        if (::fstat(out, &written) == 0) {
            identity.device = static_cast<std::uint64_t>(written.st_dev);
            identity.inode = static_cast<std::uint64_t>(written.st_ino);
            identity.size = static_cast<std::uint64_t>(written.st_size);
            identity.modified =
                static_cast<std::int64_t>(written.st_mtim.tv_sec) * 1000000000LL + written.st_mtim.tv_nsec;
            identity.valid = true;
        }
    }
    // Some file systems report a deferred write error only here.
    if (::close(out) != 0 && result == 0)
        result = destinationError(errno);
    if (result != 0) {
        identity = {};
        ::unlink(target.c_str());
    }
    return result;
}

} // namespace tunvale::output
