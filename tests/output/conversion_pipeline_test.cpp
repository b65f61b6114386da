// Decoding ahead on a second thread hands the encoder exactly the chunks a read on one thread
// gives (so the MP3 bytes stay the same), stops at a decoding failure, and lets the encoder
// stop early without waiting for the rest of the source.

#include "output/conversion_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

namespace tunvale::output {
namespace {

// A stereo source of `total` values (value n is n modulo 30000) delivered in reads of
// irregular sizes; it fails after failAt values when failAt is set.
class UnevenSource final : public formats::PcmSource {
public:
    UnevenSource(std::uint64_t total, std::uint64_t failAt = 0) : m_total(total), m_failAt(failAt) {}
    int channels() const override { return 2; }
    int sampleRate() const override { return 44100; }
    std::uint64_t totalValues() const override { return m_total; }
    std::size_t read(std::int16_t *values, std::size_t maxValues) override
    {
        if (m_failAt != 0 && m_position >= m_failAt) {
            m_failed = true;
            return 0;
        }
        static constexpr std::size_t kSizes[] = {1000, 2, 7000, 4608, 30000, 64};
        std::size_t n = std::min<std::size_t>({kSizes[m_reads++ % 6], maxValues, m_total - m_position});
        n -= n % 2;
        for (std::size_t k = 0; k < n; ++k)
            values[k] = static_cast<std::int16_t>((m_position + k) % 30000);
        m_position += n;
        readValues = m_position;
        return n;
    }
    bool failed() const override { return m_failed; }

    std::atomic<std::uint64_t> readValues{0};

private:
    std::uint64_t m_total;
    std::uint64_t m_failAt;
    std::uint64_t m_position = 0;
    std::size_t m_reads = 0;
    bool m_failed = false;
};

std::vector<std::vector<std::int16_t>> chunksOnOneThread(formats::PcmSource &source, std::size_t chunkValues)
{
    std::vector<std::vector<std::int16_t>> chunks;
    std::vector<std::int16_t> chunk(chunkValues);
    for (;;) {
        const std::size_t n = fillChunk(source, chunk);
        if (n == 0 || source.failed())
            break;
        chunks.emplace_back(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return chunks;
}

std::vector<std::vector<std::int16_t>> chunksAhead(formats::PcmSource &source, std::size_t chunkValues, bool &failed)
{
    std::vector<std::vector<std::int16_t>> chunks;
    DecodeAhead ahead(source, chunkValues, 3);
    std::vector<std::int16_t> chunk;
    for (std::size_t n; (n = ahead.next(chunk)) != 0;)
        chunks.emplace_back(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    failed = ahead.failed();
    return chunks;
}

TEST(DecodeAhead, GivesTheChunksOfAOneThreadReadAndStopsAtAFailure)
{
    struct Case {
        std::uint64_t total;
        std::uint64_t failAt;
    };
    // Whole chunks only, a short last chunk, an empty source, a failure in the middle.
    for (const Case c : {Case{9216 * 20, 0}, Case{9216 * 7 + 1234, 0}, Case{0, 0}, Case{9216 * 50, 9216 * 11 + 10}}) {
        SCOPED_TRACE(c.total);
        UnevenSource one(c.total, c.failAt);
        UnevenSource two(c.total, c.failAt);
        const auto expected = chunksOnOneThread(one, 9216);
        bool failed = false;
        const auto seen = chunksAhead(two, 9216, failed);
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(failed, c.failAt != 0);
    }
}

TEST(DecodeAhead, AnEncoderThatStopsEarlyDoesNotWaitForTheWholeSource)
{
    UnevenSource source(9216ull * 100000); // far more than is ever read
    {
        DecodeAhead ahead(source, 9216, 4);
        std::vector<std::int16_t> chunk;
        ASSERT_EQ(ahead.next(chunk), 9216u);
    }
    // The decoder read at most the chunks the queue holds, and the one it was filling.
    EXPECT_LE(source.readValues.load(), 9216ull * 6);
}

} // namespace
} // namespace tunvale::output
