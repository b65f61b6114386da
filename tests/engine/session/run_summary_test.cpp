#include "engine/session/run_summary.h"
#include "engine/engine_fakes.h"

#include <gtest/gtest.h>

namespace tunvale::engine {
namespace {

using testing::Notice;
using testing::RecordingSink;
using namespace output::colour;

std::string utf8(const std::u16string &text) { return std::string(text.begin(), text.end()); }

TEST(SummaryLine, FirstMatchingFormat)
{
    struct Case {
        int loaded, copied, folders;
        const char *line;
    };
    const Case cases[] = {
        {0, 0, 0, "Done: Nothing done!"},
        {1, 1, 1, "Done: on 1 file, 1 is copied in 1 folder"},
        {1, 0, 0, "Done: on 1 file, 0 is copied in 0 folder"},
        {3, 3, 1, "Done: on 3 files, 3 are copied in 1 folder"},
        {5, 4, 2, "Done: on 5 files, 4 are copied in 2 folders"},
        {5, 1, 2, "Done: on 5 files, 1 is copied in 2 folders"},
        {5, 0, 1, "Done: on 5 files, 0 is copied in 1 folder"},
        {2, 2, 0, "Done: on 2 files, 2 are copied in 0 folder"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8(summaryLine(u"Done", c.loaded, c.copied, c.folders)), c.line);
}

struct FlagCase {
    int error, aborted, loaded, copied;
    const char *line;
    std::uint32_t first, count, last;
};

class WriteSummary : public ::testing::TestWithParam<FlagCase> {};

TEST_P(WriteSummary, WordsColoursAndOrder)
{
    const FlagCase &c = GetParam();
    SessionState session;
    session.flags.error = c.error;
    session.flags.aborted = c.aborted;
    session.filesLoaded = c.loaded;
    session.filesCopied = c.copied;
    session.foldersUsed = 1;
    session.progressRange = 40;
    RecordingSink sink;
    const RunSummary summary = writeSummary(session, sink, std::chrono::milliseconds(0));
    EXPECT_EQ(utf8(summary.line), c.line);
    EXPECT_EQ(utf8(session.statusText), c.line);
    EXPECT_EQ(session.summaryShown, 1);

    std::vector<Notice> expected;
    expected.push_back({Notice::Status, 0, 0, c.first, {}});
    expected.push_back({Notice::Progress, 40, 0, 0, {}});
    if (c.count)
        expected.push_back({Notice::Status, 0, 0, c.count, {}});
    expected.push_back({Notice::Status, 0, 0, c.last, summary.line});
    expected.push_back({Notice::Progress, 0, 0, 0, {}});
    const auto seen = sink.notices();
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].kind, expected[i].kind) << i;
        EXPECT_EQ(seen[i].position, expected[i].position) << i;
        EXPECT_EQ(seen[i].colour, expected[i].colour) << i;
        EXPECT_EQ(seen[i].text, expected[i].text) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, WriteSummary,
    ::testing::Values(FlagCase{0, 0, 3, 3, "Done: on 3 files, 3 are copied in 1 folder", kLightBlue, kLightGreen, kLightBlue},
                      FlagCase{0, 0, 5, 1, "Done: on 5 files, 1 is copied in 1 folder", kLightBlue, kLightRed, kLightBlue},
                      FlagCase{1, 0, 2, 1, "Error: on 2 files, 1 is copied in 1 folder", kRed, kLightRed, kRed},
                      FlagCase{0, 1, 2, 2, "Aborting: on 2 files, 2 are copied in 1 folder", kLightRed, kLightGreen, kLightRed},
                      // Both flags: the word is Error, the last colour light red.
                      FlagCase{1, 1, 2, 0, "Error: on 2 files, 0 is copied in 1 folder", kRed, kLightRed, kLightRed},
                      FlagCase{0, 0, 0, 0, "Done: Nothing done!", kLightBlue, 0, kLightBlue},
                      FlagCase{0, 1, 0, 0, "Aborting: Nothing done!", kLightRed, 0, kLightRed}));

} // namespace
} // namespace tunvale::engine
