#include "formats/riff/binary_file.h"

#include "formats/audio/write_error.h"

#include <cerrno>

#include <new>
#include <system_error>

namespace tunvale::formats {

bool BinaryFile::open(const std::filesystem::path &path, Mode mode)
{
    close();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return false;
    auto flags = std::ios::binary | std::ios::in;
    if (mode == Mode::ReadWrite)
        flags |= std::ios::out;
    m_stream.open(path, flags);
    if (!m_stream.is_open())
        return false;
    m_size = size;
    return true;
}

void BinaryFile::close()
{
    if (m_stream.is_open())
        m_stream.close();
    m_stream.clear();
    m_size = 0;
}

std::size_t BinaryFile::readAt(std::uint64_t position, void *buffer, std::size_t count)
{
    if (!m_stream.is_open() || position >= m_size || count == 0)
        return 0;
    if (count > m_size - position)
        count = static_cast<std::size_t>(m_size - position);
    m_stream.clear();
    m_stream.seekg(static_cast<std::streamoff>(position));
    if (!m_stream)
        return 0;
    m_stream.read(static_cast<char *>(buffer), static_cast<std::streamsize>(count));
    const std::streamsize got = m_stream.gcount();
    m_stream.clear();
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool BinaryFile::readExact(std::uint64_t position, std::size_t count, std::vector<std::uint8_t> &out)
{
    out.clear();
    if (!fitsWithin(position, count))
        return false;
    try {
        out.resize(count);
    } catch (const std::bad_alloc &) {
        out.clear();
        return false;
    }
    if (readAt(position, out.data(), count) != count) {
        out.clear();
        return false;
    }
    return true;
}

bool BinaryFile::fitsWithin(std::uint64_t position, std::uint64_t count) const
{
    return position <= m_size && count <= m_size - position;
}

bool BinaryFile::writeAt(std::uint64_t position, const void *buffer, std::size_t count)
{
    if (!m_stream.is_open())
        return false;
    m_stream.clear();
    // A seek may write out what the stream holds: both steps can meet a full disk.
    errno = 0;
    m_stream.seekp(static_cast<std::streamoff>(position));
    if (m_stream)
        m_stream.write(static_cast<const char *>(buffer), static_cast<std::streamsize>(count));
    if (!m_stream) {
        noteWriteError(errno);
        return false;
    }
    if (position + count > m_size)
        m_size = position + count;
    return true;
}

bool BinaryFile::flush()
{
    errno = 0;
    m_stream.flush();
    if (!m_stream) {
        noteWriteError(errno);
        return false;
    }
    return true;
}

bool resizeFile(const std::filesystem::path &path, std::uint64_t size)
{
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);
    return !ec;
}

} // namespace tunvale::formats
