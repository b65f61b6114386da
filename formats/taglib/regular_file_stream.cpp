#include "formats/taglib/regular_file_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace tunvale::formats {

namespace {

// Small reads are served from one block read ahead of this size.
constexpr std::size_t kReadAhead = RegularFileStream::kReadAheadSize;
// Bytes moved at a time when a write inserts or removes bytes inside the file.
constexpr std::size_t kMoveBlock = 1024 * 1024;

constexpr std::uint64_t kLongMax = static_cast<std::uint64_t>(std::numeric_limits<long>::max());

} // namespace

RegularFileStream::RegularFileStream(RegularFile &file, const std::filesystem::path &path, bool writable,
                                     char *readAhead)
    : m_file(file)
    , m_path(path)
    , m_writable(writable)
    , m_length(file.size())
    , m_cache(readAhead)
{
}

TagLib::FileName RegularFileStream::name() const { return m_path.c_str(); }

bool RegularFileStream::inCache(std::uint64_t position, std::size_t count) const
{
    return m_cacheSize > 0 && position >= m_cacheStart && position + count <= m_cacheStart + m_cacheSize;
}

void RegularFileStream::fillCache(std::uint64_t position, std::size_t count)
{
    if (inCache(position, count) || count >= kReadAhead)
        return;
    if (!m_cache) {
        m_ownCache.reset(new char[kReadAhead]);
        m_cache = m_ownCache.get();
    }
    m_cacheStart = position;
    m_cacheSize = m_file.readAt(position, m_cache,
                                static_cast<std::size_t>(std::min<std::uint64_t>(kReadAhead, m_length - position)));
    if (m_cacheSize < count)
        m_failed = true;
}

std::size_t RegularFileStream::copyAt(std::uint64_t position, char *out, std::size_t count)
{
    if (position >= m_length || count == 0)
        return 0;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_length - position));
    fillCache(position, count);
    if (inCache(position, count)) {
        std::memcpy(out, m_cache + (position - m_cacheStart), count);
        return count;
    }
    const std::size_t got = m_file.readAt(position, out, count);
    if (got < count)
        m_failed = true;
    return got;
}

TagLib::ByteVector RegularFileStream::readBlock(unsigned long length)
{
    if (m_position >= m_length || length == 0)
        return {};
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_length - m_position));
    fillCache(m_position, count);
    if (inCache(m_position, count)) {
        const char *begin = m_cache + (m_position - m_cacheStart);
        m_position += count;
        return TagLib::ByteVector(begin, static_cast<unsigned int>(count));
    }
    TagLib::ByteVector block(static_cast<unsigned int>(count));
    const std::size_t got = m_file.readAt(m_position, block.data(), count);
    if (got < count) {
        m_failed = true;
        block.resize(static_cast<unsigned int>(got));
    }
    m_position += got;
    return block;
}

void RegularFileStream::noteWriteFailure()
{
    if (!m_failed && errno != 0)
        m_writeError = errno;
    m_failed = true;
}

bool RegularFileStream::writeAt(std::uint64_t position, const char *bytes, std::size_t count)
{
    m_cacheSize = 0;
    if (!m_writable) {
        m_failed = true;
        return false;
    }
    errno = 0;
    if (!m_file.writeAt(position, bytes, count)) {
        noteWriteFailure();
        return false;
    }
    m_length = std::max(m_length, position + count);
    return true;
}

void RegularFileStream::writeBlock(const TagLib::ByteVector &data)
{
    if (writeAt(m_position, data.data(), data.size()))
        m_position += data.size();
}

bool RegularFileStream::moveTail(std::uint64_t from, std::uint64_t to)
{
    if (from == to || from >= m_length)
        return true;
    const std::uint64_t count = m_length - from;
    std::vector<char> block(static_cast<std::size_t>(std::min<std::uint64_t>(kMoveBlock, count)));
    // Moving towards the end goes from the last block back, so nothing is overwritten before it is moved.
    const bool backwards = to > from;
    for (std::uint64_t done = 0; done < count;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), count - done));
        const std::uint64_t offset = backwards ? count - done - n : done;
        if (m_file.readAt(from + offset, block.data(), n) != n) {
            m_failed = true;
            return false;
        }
        if (!writeAt(to + offset, block.data(), n))
            return false;
        done += n;
    }
    return true;
}

void RegularFileStream::insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace)
{
    m_cacheSize = 0;
    if (!m_writable) {
        m_failed = true;
        return;
    }
    const std::uint64_t tailStart = std::min<std::uint64_t>(std::uint64_t(start) + replace, m_length);
    const std::uint64_t newTailStart = std::uint64_t(start) + data.size();
    const std::uint64_t oldLength = m_length;
    if (!moveTail(tailStart, newTailStart))
        return;
    if (!writeAt(start, data.data(), data.size()))
        return;
    const std::uint64_t newLength = std::max<std::uint64_t>(newTailStart + (oldLength - tailStart), newTailStart);
    if (newLength < m_length)
        truncate(static_cast<long>(newLength));
    m_position = newTailStart;
}

void RegularFileStream::removeBlock(unsigned long start, unsigned long length)
{
    if (start >= m_length)
        return;
    const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t(start) + length, m_length);
    const std::uint64_t removed = end - start;
    if (!moveTail(end, start))
        return;
    truncate(static_cast<long>(m_length - removed));
}

void RegularFileStream::seek(long offset, Position p)
{
    std::int64_t base = 0;
    if (p == Current)
        base = static_cast<std::int64_t>(m_position);
    else if (p == End)
        base = static_cast<std::int64_t>(m_length);
    const std::int64_t target = base + offset;
    m_position = target < 0 ? 0 : static_cast<std::uint64_t>(target);
}

long RegularFileStream::tell() const { return static_cast<long>(std::min(m_position, kLongMax)); }

long RegularFileStream::length() { return static_cast<long>(std::min(m_length, kLongMax)); }

void RegularFileStream::truncate(long length)
{
    m_cacheSize = 0;
    if (!m_writable || length < 0) {
        m_failed = true;
        return;
    }
    errno = 0;
    if (!m_file.truncate(static_cast<std::uint64_t>(length))) {
        noteWriteFailure();
        return;
    }
    m_length = static_cast<std::uint64_t>(length);
}

} // namespace tunvale::formats
