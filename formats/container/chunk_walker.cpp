#include "formats/container/chunk_walker.h"

#include "formats/audio/byte_reader.h"

namespace tunvale::formats {

namespace {
char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

bool sameId(const FourCC &id, std::string_view text)
{
    return text.size() == 4 && id[0] == text[0] && id[1] == text[1] && id[2] == text[2] && id[3] == text[3];
}

bool sameIdIgnoringCase(const FourCC &id, std::string_view text)
{
    if (text.size() != 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (upperAscii(id[i]) != upperAscii(text[i]))
            return false;
    }
    return true;
}

std::uint64_t Chunk::nextPos() const
{
    return dataPos() + paddedSize(size);
}

ChunkWalker::ChunkWalker(BinaryFile &file, ByteOrder order, std::uint64_t start, std::uint32_t sizeLimit)
    : m_file(file)
    , m_order(order)
    , m_position(start)
    , m_sizeLimit(sizeLimit)
{
}

std::optional<Chunk> ChunkWalker::next()
{
    if (m_end != WalkEnd::None)
        return std::nullopt;
    const std::uint64_t fileSize = m_file.size();
    if (m_position >= fileSize) {
        m_end = WalkEnd::EndOfFile;
        return std::nullopt;
    }
    if (fileSize - m_position < 8) {
        m_end = WalkEnd::HeaderCutShort;
        return std::nullopt;
    }
    if (m_count >= kMaxChunks) {
        m_end = WalkEnd::TooManyChunks;
        return std::nullopt;
    }
    std::uint8_t header[8];
    if (m_file.readAt(m_position, header, 8) != 8) {
        m_end = WalkEnd::ReadError;
        return std::nullopt;
    }
    Chunk chunk;
    for (std::size_t i = 0; i < 4; ++i)
        chunk.id[i] = static_cast<char>(header[i]);
    chunk.size = m_order == ByteOrder::Little ? loadU32LE(header + 4) : loadU32BE(header + 4);
    chunk.headerPos = m_position;
    if (chunk.size > m_sizeLimit) {
        m_end = WalkEnd::SizeLimit;
        return std::nullopt;
    }
    ++m_count;
    m_position = chunk.nextPos();
    return chunk;
}

} // namespace tunvale::formats
