#include "formats/taglib/work_copy_edit.h"

#include "formats/io/file_identity.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

namespace tunvale::formats {

namespace {

constexpr std::size_t kCopyBlock = 1024 * 1024;

bool copyContents(RegularFile &from, RegularFile &to, int &systemError)
{
    std::vector<char> block(static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBlock, std::max<std::uint64_t>(from.size(), 1))));
    for (std::uint64_t position = 0; position < from.size();) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), from.size() - position));
        if (from.readAt(position, block.data(), want) != want)
            return false;
        errno = 0;
        if (!to.writeAt(position, block.data(), want)) {
            systemError = errno;
            return false;
        }
        position += want;
    }
    return true;
}

bool runEdit(RegularFile &work, const std::filesystem::path &workPath,
             const std::function<bool(RegularFileStream &)> &edit, int &systemError)
{
    RegularFileStream stream(work, workPath, true);
    bool edited = false;
    try {
        edited = edit(stream);
    } catch (const std::bad_alloc &) {
        edited = false;
    }
    if (stream.writeError() != 0)
        systemError = stream.writeError();
    return edited && !stream.failed();
}

} // namespace

WorkCopyOutcome editThroughWorkCopy(const std::filesystem::path &path, const std::filesystem::path &workPath,
                                    const std::function<bool(RegularFileStream &)> &edit)
{
    WorkCopyOutcome outcome;
    RegularFile original;
    if (!original.open(path, RegularFile::Access::Read))
        return outcome;
    if (const int error = io::createExclusive(workPath); error != 0) {
        outcome.systemError = error;
        return outcome;
    }
    bool ok = false;
    {
        RegularFile work;
        ok = work.open(workPath, RegularFile::Access::ReadWrite) && copyContents(original, work, outcome.systemError);
        // Opened again so that the stream starts from the copy's full size.
        ok = ok && work.open(workPath, RegularFile::Access::ReadWrite)
            && runEdit(work, workPath, edit, outcome.systemError);
        if (ok) {
            errno = 0;
            ok = work.syncToDisk();
            if (!ok)
                outcome.systemError = errno;
        }
    }
    original.close();
    std::error_code ec;
    if (ok) {
        const auto permissions = std::filesystem::status(path, ec).permissions();
        if (!ec)
            std::filesystem::permissions(workPath, permissions, ec);
        std::filesystem::rename(workPath, path, ec);
        ok = !ec;
        if (ec && ec.category() == std::generic_category())
            outcome.systemError = ec.value();
    }
    if (!ok)
        std::filesystem::remove(workPath, ec);
    outcome.written = ok;
    return outcome;
}

} // namespace tunvale::formats
