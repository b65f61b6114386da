#include "output/conversion_file.h"

#include "formats/io/platform.h"
#include "output/file_copy.h"
#include "output/system_error.h"

#include <cerrno>
#include <utility>
#include <vector>

namespace tunvale::output {

namespace {

// The failure as a copy error code, so a conversion and a copy report one reason alike; some
// failures leave errno at 0, and the caller still needs a non-zero code.
int lastError()
{
    return systemErrorCode(errno != 0 ? errno : EIO);
}

std::FILE *openExclusive(const std::filesystem::path &path)
{
    // "x": fail when the name exists (O_EXCL), so a file that appeared in the meantime is
    // never overwritten.
    return platform::openNewFile(path);
}

bool seekTo(std::FILE *file, std::uint64_t offset)
{
    return platform::seekFile(file, offset);
}

} // namespace

ConversionFile::~ConversionFile()
{
    if (m_file)
        std::fclose(m_file);
}

ConversionFile &ConversionFile::operator=(ConversionFile &&other) noexcept
{
    if (this != &other) {
        if (m_file)
            std::fclose(m_file);
        m_file = other.m_file;
        m_path = std::move(other.m_path);
        other.m_file = nullptr;
        other.m_path.clear();
    }
    return *this;
}

int ConversionFile::createNew(const std::filesystem::path &path)
{
    if (m_file)
        return copy_error::kGeneralFailure;
    errno = 0;
    m_file = openExclusive(path);
    if (!m_file)
        return lastError();
    m_path = path;
    return 0;
}

int ConversionFile::write(std::span<const std::uint8_t> bytes)
{
    if (!m_file)
        return copy_error::kGeneralFailure;
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return lastError();
    return 0;
}

int ConversionFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (!m_file)
        return copy_error::kGeneralFailure;
    errno = 0;
    if (!seekTo(m_file, offset))
        return lastError();
    if (const int error = write(bytes))
        return error;
    errno = 0;
    if (std::fseek(m_file, 0, SEEK_END) != 0)
        return lastError();
    return 0;
}

int ConversionFile::copyTo(ConversionFile &target, std::uint64_t offset)
{
    if (!m_file)
        return copy_error::kGeneralFailure;
    errno = 0;
    if (std::fflush(m_file) != 0 || !seekTo(m_file, offset))
        return lastError();
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), m_file);
        if (n == 0) {
            if (std::ferror(m_file))
                return lastError();
            return 0;
        }
        if (const int error = target.write({buffer.data(), n}))
            return error;
    }
}

int ConversionFile::close()
{
    if (!m_file)
        return 0;
    errno = 0;
    const bool failed = std::fflush(m_file) != 0 || std::ferror(m_file);
    const int flushError = failed ? lastError() : 0;
    errno = 0;
    const bool closeFailed = std::fclose(m_file) != 0;
    m_file = nullptr;
    if (flushError != 0)
        return flushError;
    return closeFailed ? lastError() : 0;
}

void ConversionFile::discard()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_path.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        m_path.clear();
    }
}

} // namespace tunvale::output
