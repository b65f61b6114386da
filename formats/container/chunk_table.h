#pragma once

// The chunk headers of a RIFF or FORM file, walked once into a table, and the loop that hands
// each chunk to the small interpreter its format has for that chunk type.

#include "formats/container/chunk_walker.h"
#include "formats/read_status.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tunvale::formats {

class ChunkTable {
public:
    // Walks the chunk headers from start (see ChunkWalker); false when memory ran out.
    bool read(BinaryFile &file, ByteOrder order, std::uint64_t start, std::uint32_t sizeLimit = 0xFFFFFFFFu);

    std::span<const Chunk> chunks() const { return m_chunks; }
    // Why the walk ended.
    WalkEnd end() const { return m_end; }

private:
    std::vector<Chunk> m_chunks;
    WalkEnd m_end = WalkEnd::None;
};

// How a format compares chunk identifiers: WAV writers differ in case, IFF ids are exact.
enum class IdMatch { Exact, IgnoringCase };

// One chunk type a format reads, and what reads it into the format's walk state.
template <class Walk> struct ChunkRule {
    std::string_view id;
    ReadResult (*interpret)(Walk &walk, const Chunk &chunk);
};

// Hands every chunk of table, in file order, to the rule for its id (chunks without one are
// skipped) and stops at the first refusal, which it returns.
template <class Walk>
ReadResult interpretChunks(const ChunkTable &table, std::span<const ChunkRule<Walk>> rules, IdMatch match, Walk &walk)
{
    for (const Chunk &chunk : table.chunks()) {
        for (const ChunkRule<Walk> &rule : rules) {
            const bool same = match == IdMatch::Exact ? sameId(chunk.id, rule.id) : sameIdIgnoringCase(chunk.id, rule.id);
            if (!same)
                continue;
            if (ReadResult result = rule.interpret(walk, chunk); !result.ok())
                return result;
            break;
        }
    }
    return ReadResult::success();
}

} // namespace tunvale::formats
