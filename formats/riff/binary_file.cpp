#include "formats/riff/binary_file.h"

#include <cerrno>
#include <new>
#include <system_error>

namespace tunvale::formats {

bool BinaryFile::open(const std::filesystem::path &path, Mode mode)
{
    close();
    m_writeError = 0;
    if (!m_file.open(path, mode == Mode::ReadWrite ? RegularFile::Access::ReadWrite : RegularFile::Access::Read))
        return false;
    m_size = m_file.size();
    return true;
}

void BinaryFile::close()
{
    m_file.close();
    m_size = 0;
}

std::size_t BinaryFile::readAt(std::uint64_t position, void *buffer, std::size_t count)
{
    if (!m_file.isOpen() || position >= m_size || count == 0)
        return 0;
    if (count > m_size - position)
        count = static_cast<std::size_t>(m_size - position);
    return m_file.readAt(position, buffer, count);
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
    errno = 0;
    if (!m_file.writeAt(position, buffer, count)) {
        if (errno != 0)
            m_writeError = errno;
        return false;
    }
    if (position + count > m_size)
        m_size = position + count;
    return true;
}

// Writes go straight to the file (there is no buffer of ours to push out).
bool BinaryFile::flush() { return m_file.isOpen(); }

bool resizeFile(const std::filesystem::path &path, std::uint64_t size)
{
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);
    return !ec;
}

} // namespace tunvale::formats
