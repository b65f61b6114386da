// tunvale-cli's own arguments: the version it reports, and how a --name/--no-name pair given
// twice is read.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::TempDir;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::runCommand;
using tunvale::testing::shellQuote;

TEST(CliArguments, VersionIsTheProjectVersion)
{
    std::string out;
    EXPECT_EQ(runCommand(shellQuote(TUNVALE_CLI_PATH) + " --version 2>&1", &out), 0);
    EXPECT_EQ(out, std::string("tunvale-cli ") + TUNVALE_VERSION + "\n");
}

// A lone file among others: where it goes shows --group-isolated, its name shows --rename.
TEST(CliArguments, LastOfASwitchPairCounts)
{
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    TempDir dir;
    fs::create_directories(dir / "src");
    const auto makeMp3 = [&](const std::string &name, const std::string &artist, const std::string &title) {
        const std::string command = "ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=0.2 "
                                    "-c:a libmp3lame -b:a 64k -id3v2_version 3 -metadata artist=" + shellQuote(artist)
            + " -metadata title=" + shellQuote(title) + " -metadata track=1 -y " + shellQuote((dir / "src" / name).string());
        return runCommand(command);
    };
    ASSERT_EQ(makeMp3("a1.mp3", "Alpha", "One"), 0);
    ASSERT_EQ(makeMp3("a2.mp3", "Alpha", "Two"), 0);
    ASSERT_EQ(makeMp3("z.mp3", "Zed", "Lone Song"), 0);

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
        std::string command = "XDG_STATE_HOME=" + shellQuote((dir / "state").string()) + " " + shellQuote(TUNVALE_CLI_PATH)
            + " organize " + shellQuote((dir / "src").string()) + " " + shellQuote(destination.string());
        std::string shown;
        for (const std::string &s : c.switches)
            shown += " " + s;
        std::string out;
        ASSERT_EQ(runCommand(command + shown + " 2>&1", &out), 0) << shown << "\n" << out;
        const std::vector<std::string> tree = listTree(destination);
        EXPECT_NE(std::find(tree.begin(), tree.end(), c.loneFile), tree.end()) << shown << "\n" << ::testing::PrintToString(tree);
    }
}

} // namespace
