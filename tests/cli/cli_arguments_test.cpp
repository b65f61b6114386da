// tunvale-cli's own arguments: the version it reports, and how a --name/--no-name pair given
// twice is read.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::makeTaggedMp3;
using tunvale::testing::runProgram;

TEST(CliArguments, VersionIsTheProjectVersion)
{
    const CliResult r = runProgram(TUNVALE_CLI_PATH, {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, std::string("tunvale-cli ") + TUNVALE_VERSION + "\n");
}

// A lone file among others: where it goes shows --group-isolated, its name shows --rename.
TEST(CliArguments, LastOfASwitchPairCounts)
{
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    TempDir dir;
    ASSERT_TRUE(makeTaggedMp3(dir / "src/a1.mp3", "Alpha", "One", 1));
    ASSERT_TRUE(makeTaggedMp3(dir / "src/a2.mp3", "Alpha", "Two", 1));
    ASSERT_TRUE(makeTaggedMp3(dir / "src/z.mp3", "Zed", "Lone Song", 1));

    struct Case {
        std::vector<std::string> switches;
        std::string loneFile;   // where z.mp3 is copied to
    };
    const std::vector<Case> cases = {
        {{"--no-rename", "--rename", "--no-group-isolated"}, "Zed/01 - Zed - Lone Song.mp3"},
        {{"--rename", "--no-rename", "--no-group-isolated"}, "Zed/z.mp3"},
        {{"--rename", "--no-rename", "--rename", "--no-group-isolated"}, "Zed/01 - Zed - Lone Song.mp3"},
        {{"--group-isolated", "--no-group-isolated", "--no-rename"}, "Zed/z.mp3"},
        {{"--no-group-isolated", "--group-isolated", "--no-rename"}, "Miscellaneous/z.mp3"},
    };
    int n = 0;
    for (const Case &c : cases) {
        const fs::path destination = dir / ("dst" + std::to_string(n++));
        std::vector<std::string> arguments = {"organize", (dir / "src").string(), destination.string()};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        std::string shown;
        for (const std::string &s : c.switches)
            shown += " " + s;
        const CliResult r = runProgram(TUNVALE_CLI_PATH, arguments, {}, {"XDG_STATE_HOME=" + (dir / "state").string()});
        ASSERT_EQ(r.status, 0) << shown << "\n" << r.out << r.err;
        const std::vector<std::string> tree = listTree(destination);
        EXPECT_NE(std::find(tree.begin(), tree.end(), c.loneFile), tree.end()) << shown << "\n" << ::testing::PrintToString(tree);
    }
}

} // namespace
