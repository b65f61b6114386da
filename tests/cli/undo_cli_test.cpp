// tunvale-cli undo against real organize runs, including one killed in the middle.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::writeFile;

// Every organize run of this test program journals into a temporary state folder, never into
// the user's own.
class TemporaryStateHome : public ::testing::Environment {
public:
    void SetUp() override { ::setenv("XDG_STATE_HOME", m_dir.path().c_str(), 1); }

private:
    TempDir m_dir;
};
[[maybe_unused]] const auto *const g_stateHome = ::testing::AddGlobalTestEnvironment(new TemporaryStateHome);

class CliUndo : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool("ffmpeg"))
            GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
        m_savedState = std::getenv("XDG_STATE_HOME");
        ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    }
    void TearDown() override
    {
        if (!m_savedState.empty())
            ::setenv("XDG_STATE_HOME", m_savedState.c_str(), 1);
    }

    CliResult run(const std::vector<std::string> &arguments)
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments);
    }

    // A short tagged MP3 written by ffmpeg.
    void makeMp3(const fs::path &path, const std::string &artist, const std::string &title, int track)
    {
        ASSERT_TRUE(tunvale::testing::makeTaggedMp3(path, artist, title, track)) << path;
    }

    // Two artists, five files: folders "Alpha Band" (3) and "Beta Group" (2).
    void makeLibrary()
    {
        makeMp3(dir / "src/a1.mp3", "Alpha Band", "One", 1);
        makeMp3(dir / "src/a2.mp3", "Alpha Band", "Two", 2);
        makeMp3(dir / "src/a3.mp3", "Alpha Band", "Three", 3);
        makeMp3(dir / "src/b1.mp3", "Beta Group", "Four", 1);
        makeMp3(dir / "src/b2.mp3", "Beta Group", "Five", 2);
    }

    CliResult organize() { return run({"organize", (dir / "src").string(), (dir / "dst").string()}); }

    TempDir dir;

private:
    std::string m_savedState;
};

TEST_F(CliUndo, TakesBackTheLastRunOnce)
{
    makeLibrary();
    writeFile(dir / "dst/Mine/keep.txt", "the user's");
    writeFile(dir / "dst/Beta Group/own.txt", "the user's, in a folder the run will use");
    const std::vector<std::string> before = listTree(dir / "dst");
    const std::vector<std::string> sources = listTree(dir / "src");
    CliResult r = organize();
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(listTree(dir / "dst/Alpha Band").size(), 3u);

    r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    // "Beta Group" existed: its two new files go, the folder stays.
    EXPECT_EQ(r.out, "5 files deleted in 1 directories removed...\n");
    EXPECT_EQ(listTree(dir / "dst"), before);
    EXPECT_EQ(listTree(dir / "src"), sources);

    r = run({"undo"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Nothing to cancel!\n");
}

TEST_F(CliUndo, UsersFileInACreatedFolderKeptUnlessEverything)
{
    makeLibrary();
    ASSERT_EQ(organize().status, 0);
    writeFile(dir / "dst/Alpha Band/cover.jpg", "added by the user");
    CliResult r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 files deleted in 1 directories removed...\n");   // "Beta Group" only
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Alpha Band/", "Alpha Band/cover.jpg"}));

    // Same run again, this time taken back with --everything, destination created by the run.
    fs::remove_all(dir / "dst");
    ASSERT_EQ(organize().status, 0);
    writeFile(dir / "dst/Alpha Band/cover.jpg", "added by the user");
    r = run({"undo", "--everything"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "6 files deleted in 3 directories removed...\n");
    EXPECT_FALSE(fs::exists(dir / "dst"));
}

TEST_F(CliUndo, ListShowsTheRunsAndANamedRunCanBeUndone)
{
    makeLibrary();
    ASSERT_EQ(organize().status, 0);
    ASSERT_EQ(run({"organize", (dir / "src").string(), (dir / "other").string(), "--by", "album"}).status, 0);
    CliResult r = run({"undo", "--list"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Newest first: the album run (one "Undefined" folder), then the artist run.
    const auto other = r.out.find((dir / "other").string());
    const auto first = r.out.find(" -> " + (dir / "dst").string());
    ASSERT_NE(other, std::string::npos) << r.out;
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_LT(other, first);
    EXPECT_NE(r.out.find("5 files and 2 folders created (Done)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5 files and 3 folders created (Done)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" UTC  " + (dir / "src").string()), std::string::npos) << r.out;

    // The older run, by its journal's name.
    std::vector<fs::path> journals;
    for (const auto &entry : fs::directory_iterator(dir / "state/tunvale"))
        journals.push_back(entry.path());
    std::sort(journals.begin(), journals.end());
    ASSERT_EQ(journals.size(), 2u);
    r = run({"undo", journals.front().filename().string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 files deleted in 3 directories removed...\n");
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_TRUE(fs::exists(dir / "other/Undefined"));
    r = run({"undo", "--list"});
    EXPECT_NE(r.out.find("(Done, undone)"), std::string::npos) << r.out;

    r = run({"undo", (dir / "state/absent.journal").string()});
    EXPECT_EQ(r.status, 2);
}

// A destination several levels below the nearest existing folder is created whole, reported
// and journalled level by level, and taken back completely by either kind of undo.
TEST_F(CliUndo, DestinationCreatedWithItsParentsIsUndoneCompletely)
{
    makeLibrary();
    struct Case {
        const char *top;
        std::vector<std::string> undoOptions;
    };
    const std::vector<Case> cases = {{"new", {}}, {"newer", {"--everything"}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.top);
        const fs::path top = dir / c.top;
        const fs::path dst = top / "deeper/dst";
        CliResult r = run({"organize", (dir / "src").string(), dst.string(), "--json"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto report = nlohmann::json::parse(r.out, nullptr, false);
        ASSERT_FALSE(report.is_discarded()) << r.out;
        EXPECT_EQ(report["created_folders"],
                  nlohmann::json::array({top.string(), (top / "deeper").string(), dst.string(),
                                         (dst / "Alpha Band").string(), (dst / "Beta Group").string()}));

        r = run({"undo", "--list"});
        EXPECT_NE(r.out.find("5 files and 5 folders created (Done)"), std::string::npos) << r.out;
        std::vector<std::string> options{"undo"};
        options.insert(options.end(), c.undoOptions.begin(), c.undoOptions.end());
        r = run(options);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "5 files deleted in 5 directories removed...\n");
        EXPECT_FALSE(fs::exists(top));
        EXPECT_EQ(listTree(dir / "src").size(), 5u);
    }
}

TEST_F(CliUndo, NothingRecordedIsNothingToCancel)
{
    const CliResult r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Nothing to cancel!\n");
}

class CliUndoInterrupted : public CliUndo {
protected:
    // Starts organize on 1500 copies of one MP3 (kept names, so each copy has its own) and
    // returns once at least 20 are placed; stdout goes to out.
    pid_t startSlowRun(const fs::path &out)
    {
        makeMp3(dir / "seed.mp3", "Alpha Band", "Same Song", 1);
        const std::string seed = readFile(dir / "seed.mp3");
        for (int i = 0; i < 1500; ++i)
            writeFile(dir / "src" / ("song" + std::to_string(i) + ".mp3"), seed);
        writeFile(dir / "dst/Mine/keep.txt", "the user's");
        before = listTree(dir / "dst");

        const std::string src = (dir / "src").string();
        const std::string dst = (dir / "dst").string();
        const pid_t pid = tunvale::testing::startProgram(TUNVALE_CLI_PATH, {"organize", src, dst, "--no-rename"}, out);
        EXPECT_GT(pid, 0);
        for (int i = 0; i < 60000 && placed() < 20; ++i)
            std::this_thread::sleep_for(1ms);
        return pid;
    }

    std::size_t placed() const
    {
        std::error_code ec;
        std::size_t n = 0;
        for (fs::directory_iterator it(dir / "dst/Alpha Band", ec), end; !ec && it != end; it.increment(ec))
            ++n;
        return n;
    }

    std::vector<std::string> before;
};

// A run killed outright (no chance to clean up) is taken back exactly from its journal.
TEST_F(CliUndoInterrupted, RunKilledMidwayIsUndoneExactly)
{
    const pid_t pid = startSlowRun("/dev/null");
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the run ended before it could be killed";
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::size_t left = placed();
    ASSERT_GE(left, 20u);
    ASSERT_LT(left, 1500u);

    const CliResult r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listTree(dir / "dst"), before);
    EXPECT_EQ(listTree(dir / "src").size(), 1500u);
    EXPECT_NE(r.out.find(" directories removed...\n"), std::string::npos) << r.out;
}

// SIGINT goes through the abort command: the file in progress is finished, the summary starts
// with "Aborting", the exit status is 3, and the journal says how the run ended.
TEST_F(CliUndoInterrupted, SigintAbortsWithStatus3AndTheRunCanBeUndone)
{
    const fs::path out = dir / "organize.out";
    const pid_t pid = startSlowRun(out);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the run ended before it could be interrupted";
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of stopping";
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const std::string summary = readFile(out);
    EXPECT_EQ(summary.rfind("Aborting: on 1500 files, ", 0), 0u) << summary;
    fs::remove(out);

    CliResult r = run({"undo", "--list"});
    EXPECT_NE(r.out.find("folders created (Aborting)"), std::string::npos) << r.out;
    r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listTree(dir / "dst"), before);
}

} // namespace
