// The byte reader (integers, syncsafe numbers, the 80-bit AIFF rate, bounds), the chunk
// walker (pad bytes, cut-short headers, size limits) and the chunk table's interpreter loop
// shared by the WAV and AIFF containers.

#include "formats/audio/byte_reader.h"
#include "formats/container/chunk_table.h"
#include "formats/container/chunk_walker.h"

#include "formats/riff_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tunvale::formats {
namespace {

using namespace tunvale::testing::riff;

TEST(RiffByteReader, Extended80Rates)
{
    struct Case {
        std::string bytes;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {extended80(44100), 44100},
        {extended80(48000), 48000},
        {extended80(22050), 22050},
        {extended80(96000), 96000},
        {extended80(1), 1},
        {std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10), 44100},             // as sox writes 44100.0
        {std::string("\x40\x0E\xAC\x44\x80\0\0\0\0\0", 10), 44100},           // 44100.5 truncated toward zero
        {std::string("\xC0\x0E\xAC\x44\0\0\0\0\0\0", 10), 0},                 // negative
        {std::string("\x3F\xFE\x80\0\0\0\0\0\0\0", 10), 0},                   // 0.5
        {std::string(10, '\0'), 0},                                           // zero
        {std::string("\x7F\xFF\xC0\0\0\0\0\0\0\0", 10), 0},                   // NaN
        {std::string("\x40\x3E\x80\0\0\0\0\0\0\0", 10), 0xFFFFFFFFu},         // 2^63
        {std::string("\x40\x1E\x80\0\0\0\0\0\0\0", 10), 0x80000000u},         // 2^31
        {std::string("\x40\x1F\x80\0\0\0\0\0\0\0", 10), 0xFFFFFFFFu},         // 2^32 saturates
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(loadExtended80(asBytes(c.bytes).data()), c.expected);
    }
}

TEST(RiffByteReader, IntegersAndBounds)
{
    const std::string bytes("\x01\x02\x03\x04\x7F\x7F\x7F\x7F\xFF", 9);
    ByteReader reader(asBytes(bytes));
    std::uint32_t value = 0;
    ASSERT_TRUE(reader.readU32LE(value));
    EXPECT_EQ(value, 0x04030201u);
    ASSERT_TRUE(reader.readSyncsafe32(value));
    EXPECT_EQ(value, 0x0FFFFFFFu);
    EXPECT_FALSE(reader.readU32BE(value));   // one byte left: refused, position kept
    EXPECT_EQ(reader.remaining(), 1u);
    EXPECT_FALSE(reader.skip(2));
    std::uint8_t byte = 0;
    EXPECT_TRUE(reader.readU8(byte));
    EXPECT_EQ(byte, 0xFF);
    EXPECT_TRUE(reader.atEnd());

    std::uint8_t out[4];
    storeSyncsafe32(out, 300);
    EXPECT_EQ(loadSyncsafe32(out), 300u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(out), 4), syncsafe(300));

    EXPECT_TRUE(fitsWithin(10, 5, 15));
    EXPECT_FALSE(fitsWithin(10, 6, 15));
    EXPECT_FALSE(fitsWithin(16, 0, 15));
    EXPECT_FALSE(fitsWithin(8, 0xFFFFFFFFFFFFFFFFull, 15));   // no wrap-around
    EXPECT_EQ(paddedSize(3), 4u);
    EXPECT_EQ(paddedSize(0xFFFFFFFFu), 0x100000000ull);
}

TEST(RiffChunkWalker, PadBytesCutShortHeadersAndLimits)
{
    tunvale::testing::TempDir dir;
    struct Case {
        const char *name;
        std::string body;           // after a 12-byte header
        ByteOrder order;
        std::uint32_t limit;
        std::string ids;            // chunks met
        WalkEnd end;
    };
    const Case cases[] = {
        {"odd sizes skip their pad byte", chunkLE("abc ", "x") + chunkLE("def ", "yz"), ByteOrder::Little, 0xFFFFFFFF, "abc def ", WalkEnd::EndOfFile},
        {"big-endian sizes", chunkBE("COMM", "123") + chunkBE("SSND", ""), ByteOrder::Big, 0xFFFFFFFF, "COMMSSND", WalkEnd::EndOfFile},
        {"a few bytes after the last chunk", chunkLE("abc ", "x") + "zz", ByteOrder::Little, 0xFFFFFFFF, "abc ", WalkEnd::HeaderCutShort},
        {"size past the end: met once, then the end", chunkLE("abc ", "") + "big " + le32(1000), ByteOrder::Little, 0xFFFFFFFF, "abc big ", WalkEnd::EndOfFile},
        {"size above the limit", chunkLE("abc ", "") + "big " + le32(1000) + std::string(1000, 'x'), ByteOrder::Little, 999, "abc ", WalkEnd::SizeLimit},
        {"largest size does not wrap", "max " + le32(0xFFFFFFFF), ByteOrder::Little, 0xFFFFFFFF, "max ", WalkEnd::EndOfFile},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / "walk.bin";
        tunvale::testing::writeFile(path, "RIFF" + le32(0) + "WAVE" + c.body);
        BinaryFile file;
        ASSERT_TRUE(file.open(path, BinaryFile::Mode::Read));
        ChunkWalker walker(file, c.order, 12, c.limit);
        std::string ids;
        while (const auto chunk = walker.next())
            ids += std::string(chunk->id.begin(), chunk->id.end());
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(walker.endReason(), c.end);
        EXPECT_FALSE(walker.next());
    }
}

// The chunks met by the rules of interpretChunks, and the refusal that stops it.
struct SeenChunks {
    std::string ids;
};

ReadResult noteChunk(SeenChunks &seen, const Chunk &chunk)
{
    seen.ids += std::string(chunk.id.begin(), chunk.id.end()) + ";";
    return ReadResult::success();
}

ReadResult refuseChunk(SeenChunks &seen, const Chunk &chunk)
{
    noteChunk(seen, chunk);
    return ReadResult::failure(ReadStatus::Damaged, "stop");
}

TEST(RiffChunkTable, InterpretersSeeTheirChunksInFileOrderUntilARefusal)
{
    tunvale::testing::TempDir dir;
    const auto path = dir / "table.bin";
    const ChunkRule<SeenChunks> rules[] = {{"data", &noteChunk}, {"id3 ", &noteChunk}, {"stop", &refuseChunk}};
    struct Case {
        const char *name;
        std::string body;
        IdMatch match;
        std::string seen;
        ReadStatus status;
    };
    const Case cases[] = {
        {"unknown chunks skipped", chunkLE("fmt ", "x") + chunkLE("data", "abc") + chunkLE("LIST", "") + chunkLE("id3 ", "t"),
         IdMatch::Exact, "data;id3 ;", ReadStatus::Ok},
        {"exact ids", chunkLE("DATA", "") + chunkLE("ID3 ", "") + chunkLE("data", ""), IdMatch::Exact, "data;", ReadStatus::Ok},
        {"ids ignoring case", chunkLE("DATA", "") + chunkLE("ID3 ", ""), IdMatch::IgnoringCase, "DATA;ID3 ;", ReadStatus::Ok},
        {"a refusal ends the walk", chunkLE("data", "") + chunkLE("stop", "") + chunkLE("id3 ", ""), IdMatch::Exact,
         "data;stop;", ReadStatus::Damaged},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        tunvale::testing::writeFile(path, "RIFF" + le32(0) + "WAVE" + c.body);
        BinaryFile file;
        ASSERT_TRUE(file.open(path, BinaryFile::Mode::Read));
        ChunkTable table;
        ASSERT_TRUE(table.read(file, ByteOrder::Little, 12));
        EXPECT_EQ(table.end(), WalkEnd::EndOfFile);
        SeenChunks seen;
        EXPECT_EQ(interpretChunks<SeenChunks>(table, rules, c.match, seen).status, c.status);
        EXPECT_EQ(seen.ids, c.seen);
    }
}

} // namespace
} // namespace tunvale::formats
