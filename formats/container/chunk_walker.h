#pragma once

// Walks the chunks of a RIFF (little-endian sizes) or IFF/AIFF (big-endian sizes) file:
// identifier (4 bytes), size (4 bytes), data, and a pad byte after data of odd size.

#include "formats/audio/binary_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tunvale::formats {

enum class ByteOrder { Little, Big };

using FourCC = std::array<char, 4>;

inline FourCC fourCC(std::string_view text)
{
    FourCC id{' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i)
        id[i] = text[i];
    return id;
}

bool sameId(const FourCC &id, std::string_view text);             // exact
bool sameIdIgnoringCase(const FourCC &id, std::string_view text); // ASCII letters folded

struct Chunk {
    FourCC id{};
    std::uint32_t size = 0;
    std::uint64_t headerPos = 0;

    std::uint64_t dataPos() const { return headerPos + 8; }
    std::uint64_t dataEnd() const { return dataPos() + size; }
    // Where the next chunk starts: after the data and its pad byte.
    std::uint64_t nextPos() const;
    // The data lies wholly within a file of fileSize bytes.
    bool completeIn(std::uint64_t fileSize) const { return dataEnd() <= fileSize; }
};

enum class WalkEnd {
    None,           // still walking
    EndOfFile,      // the next header starts at or past the end of the file
    HeaderCutShort, // fewer than 8 bytes left for a header
    SizeLimit,      // a chunk size above the caller's limit (the RIFF size for WAV)
    TooManyChunks,  // more than kMaxChunks chunks
    ReadError,
};

class ChunkWalker {
public:
    // Bounds the work on hostile input: every chunk takes at least 8 bytes, and no real
    // file has anywhere near this many.
    static constexpr std::uint32_t kMaxChunks = 100000;

    ChunkWalker(BinaryFile &file, ByteOrder order, std::uint64_t start,
                std::uint32_t sizeLimit = 0xFFFFFFFFu);

    // The next chunk header, or nothing once the walk has ended (see endReason()).
    std::optional<Chunk> next();
    WalkEnd endReason() const { return m_end; }

private:
    BinaryFile &m_file;
    ByteOrder m_order;
    std::uint64_t m_position;
    std::uint32_t m_sizeLimit;
    std::uint32_t m_count = 0;
    WalkEnd m_end = WalkEnd::None;
};

} // namespace tunvale::formats
