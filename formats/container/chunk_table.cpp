#include "formats/container/chunk_table.h"

#include <new>

namespace tunvale::formats {

bool ChunkTable::read(BinaryFile &file, ByteOrder order, std::uint64_t start, std::uint32_t sizeLimit)
{
    m_chunks.clear();
    ChunkWalker walker(file, order, start, sizeLimit);
    try {
        while (const std::optional<Chunk> chunk = walker.next())
            m_chunks.push_back(*chunk);
    } catch (const std::bad_alloc &) {
        m_chunks.clear();
        return false;
    }
    m_end = walker.endReason();
    return true;
}

} // namespace tunvale::formats
