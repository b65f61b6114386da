// The account after a run: every file or folder the run did not take, with the kind of its
// reason, and every placement that failed; one line on stderr counts them.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

// A folder below parent whose path is longer than the system takes, made one level at a time
// from the level above; its path.
fs::path makeDeepFolder(const fs::path &parent)
{
    const std::string level(200, 'd');
    int at = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
    fs::path path = parent;
    for (int i = 0; i < 24 && at >= 0; ++i) {
        ::mkdirat(at, level.c_str(), 0755);
        const int next = ::openat(at, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(at);
        at = next;
        path /= level;
    }
    if (at >= 0) {
        const int file = ::openat(at, "deep.mp3", O_WRONLY | O_CREAT, 0644);
        if (file >= 0)
            ::close(file);
        ::close(at);
    }
    return path;
}

TEST(RunReport, ListsEachKindOfSkipAndEachFailure)
{
    if (!tunvale::testing::haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    TempDir dir;
    const fs::path src = dir / "src";
    ASSERT_TRUE(tunvale::testing::makeTaggedMp3(src / "a1.mp3", "Alpha Band", "First Song", 1));
    ASSERT_TRUE(tunvale::testing::makeTaggedMp3(src / "a2.mp3", "Alpha Band", "Second Song", 2));
    ASSERT_TRUE(tunvale::testing::makeTaggedMp3(src / "b1.mp3", "Beta", "One", 1));
    ASSERT_TRUE(tunvale::testing::makeTaggedMp3(src / "b2.mp3", "Beta", "Two", 2));
    writeFile(src / "locked.mp3", "any");
    fs::permissions(src / "locked.mp3", fs::perms::none);
    writeFile(src / "words.wav", "this is not a RIFF file at all, only words");
    writeFile(src / "cut.wav", std::string("RIFF\x30\0\0\0WAVEfmt \x10\0\0\0\x01\0", 22));
    writeFile(src / "song.wma", "x");
    writeFile(src / "song.ape", "x");
    writeFile(src / "closed/inside.mp3", "x");
    fs::permissions(src / "closed", fs::perms::none);
    const fs::path deep = makeDeepFolder(src);
    // A plain file stands where the Alpha Band folder should be: its two files cannot be placed.
    writeFile(dir / "dst/Alpha Band", "in the way");
    for (const fs::path &path : {dir.path(), dir / "dst"})
        ASSERT_TRUE(tunvale::testing::giveToUnprivileged(path));

    // As a user whom the permissions stop (root reads everything).
    const tunvale::testing::UnprivilegedRun run = tunvale::testing::runUnprivileged([&] {
        const std::vector<std::string> environment = {"XDG_STATE_HOME=" + (dir / "state").string()};
        const auto jsonRun = tunvale::testing::runProgram(
            TUNVALE_CLI_PATH, {"organize", src.string(), (dir / "dst").string(), "--json"}, {}, environment);
        const auto text = tunvale::testing::runProgram(
            TUNVALE_CLI_PATH, {"organize", src.string(), (dir / "dst2").string()}, {}, environment);
        return jsonRun.out + "\n\x1f" + text.out + "\x1f" + text.err;
    });
    tunvale::testing::runCommand("rm -rf " + tunvale::testing::shellQuote(src.string()));
    ASSERT_TRUE(run.ran) << run.failure;
    const std::size_t cut = run.output.find("\n\x1f");
    const std::size_t cut2 = run.output.find('\x1f', cut + 2);
    ASSERT_NE(cut2, std::string::npos) << run.output;
    const json report = json::parse(run.output.substr(0, cut), nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << run.output;

    std::map<std::string, std::string> kinds;
    for (const json &item : report["skipped"]) {
        kinds[fs::path(item["path"].get<std::string>()).lexically_relative(src).string().substr(0, 40)] = item["kind"];
        EXPECT_FALSE(item["reason"].get<std::string>().empty()) << item;
    }
    const std::map<std::string, std::string> expected = {
        {"locked.mp3", "unreadable"},
        {"words.wav", "not audio"},
        {"cut.wav", "damaged"},
        {"song.wma", "format not handled"},
        {"song.ape", "format not handled"},
        {"closed", "folder not readable"},
        {fs::path(deep).lexically_relative(src).string().substr(0, 40), "path too long"},
    };
    EXPECT_EQ(kinds, expected) << report["skipped"].dump(1);

    // Both files of the blocked folder (the first failed, the second was left after it), then
    // the files of the group the run did not reach: it stops when a folder cannot be made.
    ASSERT_EQ(report["failed"].size(), 4u) << report["failed"].dump(1);
    EXPECT_EQ(report["failed"][0]["path"], (src / "a1.mp3").string());
    EXPECT_NE(report["failed"][0]["message"].get<std::string>().find("Alpha Band"), std::string::npos);
    EXPECT_EQ(report["failed"][1]["path"], (src / "a2.mp3").string());
    EXPECT_FALSE(report["failed"][1]["message"].get<std::string>().empty());
    EXPECT_EQ(report["failed"][2]["path"], (src / "b1.mp3").string());
    EXPECT_EQ(report["failed"][3]["path"], (src / "b2.mp3").string());
    EXPECT_EQ(report["summary"], "Error: on 4 files, 0 is copied in 1 folder");

    // Without --json: the summary line as ever, then one line on stderr.
    EXPECT_EQ(run.output.substr(cut + 2, cut2 - cut - 2), "Done: on 4 files, 4 are copied in 2 folders\n");
    const std::string err = run.output.substr(cut2 + 1);
    EXPECT_EQ(err, "7 files skipped, 0 failed (tunvale-cli organize --json for the list)\n");
}

} // namespace
