// Windows work copy: the pieces and the source's bytes (read at explicit positions) written
// through the C runtime into a file created exclusively.
#include "output/work_copy.h"

#include "output/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

namespace tunvale::output {

namespace {

constexpr std::size_t kBufferBytes = 1u << 20;

bool writeAll(int out, const std::uint8_t *bytes, std::size_t count)
{
    while (count > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30));
        const int put = _write(out, bytes, chunk);
        if (put <= 0)
            return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

int copyRange(formats::BinaryFile &source, int out, std::uint64_t offset, std::uint64_t length,
              const std::atomic<bool> *cancel, std::vector<std::uint8_t> &buffer)
{
    buffer.resize(kBufferBytes);
    while (length > 0) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
            return copy_error::kRequestAborted;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        if (source.readAt(offset, buffer.data(), want) != want)
            return copy_error::kGeneralFailure;
        if (!writeAll(out, buffer.data(), want))
            return errno == ENOSPC ? copy_error::kDiskFull : copy_error::kGeneralFailure;
        offset += want;
        length -= want;
    }
    return 0;
}

} // namespace

int writeWorkCopy(formats::BinaryFile &source, const formats::RetagPlan &plan, const std::filesystem::path &target,
                  CopyMethods &, const std::atomic<bool> *cancel, formats::io::FileIdentity &identity)
{
    identity = {};
    int out = -1;
    if (_wsopen_s(&out, target.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                  _S_IREAD | _S_IWRITE)
        != 0)
        return errno == EEXIST ? copy_error::kFileExists : copy_error::kAccessDenied;
    std::vector<std::uint8_t> buffer;
    int result = 0;
    if (plan.outcome != formats::RetagPlan::Outcome::Rewritten) {
        result = copyRange(source, out, 0, source.size(), cancel, buffer);
    } else {
        for (const formats::OutputPiece &piece : plan.pieces) {
            if (piece.sourceLength > 0)
                result = copyRange(source, out, piece.sourceOffset, piece.sourceLength, cancel, buffer);
            else if (!writeAll(out, piece.bytes.data(), piece.bytes.size()))
                result = errno == ENOSPC ? copy_error::kDiskFull : copy_error::kGeneralFailure;
            if (result != 0)
                break;
        }
    }
    if (_close(out) != 0 && result == 0)
        result = copy_error::kGeneralFailure;
    if (result == 0 && plan.outcome != formats::RetagPlan::Outcome::Rewritten) {
        // A plain copy keeps the source's modification time, as CopyFileExW does.
        std::error_code ec;
        const auto modified = std::filesystem::file_time_type::clock::now()
            - std::chrono::duration_cast<std::filesystem::file_time_type::duration>(
                std::chrono::system_clock::now().time_since_epoch()
                - std::chrono::nanoseconds(source.file().status().modified));
        std::filesystem::last_write_time(target, modified, ec);
    }
    if (result == 0)
        identity = formats::io::identityOf(target);
    if (result != 0 || !identity.valid) {
        std::error_code ec;
        std::filesystem::remove(target, ec);
        return result != 0 ? result : copy_error::kGeneralFailure;
    }
    return 0;
}

} // namespace tunvale::output
