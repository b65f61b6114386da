// The ways a run, a crash or a hand-made journal could make `tunvale-cli undo` cost a user a
// file, each run end to end through the built tool with its state folder in the test's
// temporary folder.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tunvale::testing::CliResult;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::shellQuote;
using tunvale::testing::startProgram;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

// Options under which a copy keeps the source's bytes: no name, title or number rewritten.
const std::vector<std::string> kPlainCopies = {"--no-rename", "--no-artist-in-title", "--no-composer-in-title",
                                               "--no-renumber", "--no-tags-from-name"};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The entries of a tree that are not the program's own work files or kept folder.
std::vector<std::string> visibleTree(const fs::path &root)
{
    std::vector<std::string> entries = listTree(root);
    std::erase_if(entries, [](const std::string &entry) { return entry.rfind(".tunvale-", 0) == 0 || entry.find("/.tunvale-") != std::string::npos; });
    return entries;
}

class UndoFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool("ffmpeg"))
            GTEST_SKIP() << "ffmpeg is needed to write the audio files";
        if (const char *state = std::getenv("XDG_STATE_HOME"))
            m_savedState = state;
        ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    }
    void TearDown() override
    {
        if (!m_savedState.empty())
            ::setenv("XDG_STATE_HOME", m_savedState.c_str(), 1);
    }

    CliResult run(const std::vector<std::string> &arguments, const fs::path &cwd = {})
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments, cwd);
    }

    void mp3(const fs::path &path, const std::string &artist, const std::string &title, int track, double seconds = 0.2)
    {
        ASSERT_TRUE(tunvale::testing::makeTaggedMp3(path, artist, title, track, seconds)) << path;
    }

    void wav(const fs::path &path, const std::string &artist, double seconds)
    {
        ASSERT_TRUE(tunvale::testing::makeTaggedWav(path, artist, "Tone", seconds)) << path;
    }

    // The run journals of the state folder, oldest first.
    std::vector<fs::path> journals() const
    {
        std::vector<fs::path> found;
        std::error_code ec;
        for (fs::directory_iterator it(dir / "state/tunvale", ec), end; !ec && it != end; it.increment(ec))
            found.push_back(it->path());
        std::sort(found.begin(), found.end());
        return found;
    }

    TempDir dir;

private:
    std::string m_savedState;
};

// A file at a path the run named, that is not the file the run made, is the user's: a file
// put at the name of a placement that failed (a FLAC with a damaged frame cannot be
// converted), a placed file the user replaced by their own, a placed file the user changed.
TEST_F(UndoFaults, FilesTheRunDidNotMakeSurviveUndo)
{
    if (!haveTool("flac"))
        GTEST_SKIP() << "flac is needed for the damaged source";
    wav(dir / "full.wav", "Keep Band", 5);
    fs::create_directories(dir / "src");
    ASSERT_EQ(runCommand("flac -s -T 'ARTIST=Keep Band' -T TITLE=Tone -o " + shellQuote((dir / "whole.flac").string())
                         + " " + shellQuote((dir / "full.wav").string())),
              0);
    std::string damaged = readFile(dir / "whole.flac");
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 16; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    writeFile(dir / "src/cut.flac", damaged);
    mp3(dir / "src/a.mp3", "Keep Band", "Song A", 1);
    mp3(dir / "src/b.mp3", "Keep Band", "Song B", 2);
    const CliResult organized = run({"organize", (dir / "src").string(), (dir / "dst").string(), "--convert", "--no-rename"});
    ASSERT_EQ(organized.status, 1) << organized.out << organized.err;
    ASSERT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Keep Band/", "Keep Band/a.mp3", "Keep Band/b.mp3"}));

    struct Change {
        const char *what;
        std::function<void(const fs::path &)> make;
    };
    const std::vector<Change> changes = {
        {"cut.mp3", [](const fs::path &p) { writeFile(p, "the user's own, where the conversion failed"); }},
        {"a.mp3", [](const fs::path &p) { fs::remove(p); writeFile(p, "the user's own, in place of the copy"); }},
        {"b.mp3", [](const fs::path &p) { std::ofstream(p, std::ios::app) << " and the user's changes"; }},
    };
    std::map<std::string, std::string> users;
    for (const Change &change : changes) {
        change.make(dir / "dst/Keep Band" / change.what);
        users[change.what] = readFile(dir / "dst/Keep Band" / change.what);
    }
    const CliResult r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const auto &[name, bytes] : users)
        EXPECT_EQ(readFile(dir / "dst/Keep Band" / name), bytes) << name;
}

// A second run into a sorted library creates no folder; undo takes back its files all the
// same, with or without --everything, and leaves the first run's files.
TEST_F(UndoFaults, RunThatCreatedNoFolderIsTakenBack)
{
    mp3(dir / "src/a1.mp3", "Alpha Band", "One", 1);
    mp3(dir / "src/a2.mp3", "Alpha Band", "Two", 2);
    mp3(dir / "src/a3.mp3", "Alpha Band", "Three", 3);
    ASSERT_EQ(run({"organize", (dir / "src").string(), (dir / "lib").string()}).status, 0);
    const std::vector<std::string> sorted = listTree(dir / "lib");
    ASSERT_EQ(sorted.size(), 4u);
    for (const std::vector<std::string> &undo : {std::vector<std::string>{"undo"}, std::vector<std::string>{"undo", "--everything"}}) {
        SCOPED_TRACE(undo.back());
        ASSERT_EQ(run({"organize", (dir / "src").string(), (dir / "lib").string()}).status, 0);
        ASSERT_EQ(listTree(dir / "lib").size(), 7u);
        const CliResult r = run(undo);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "3 files deleted...\n");
        EXPECT_EQ(listTree(dir / "lib"), sorted);
    }
}

// --replace moves the user's file aside on the same file system, a later run over the library
// never takes it in as a source, and undo puts it back byte for byte.
TEST_F(UndoFaults, ReplacedFileIsKeptAndPutBack)
{
    mp3(dir / "src/s1.mp3", "Alpha Band", "Song 1", 1, 0.4);
    const fs::path own = dir / "mine/Alpha Band/01 - Alpha Band - Song 1.mp3";
    mp3(own, "Alpha Band", "Song 1", 1, 0.2);
    const std::string original = readFile(own);
    CliResult r = run({"organize", (dir / "src").string(), (dir / "mine").string(), "--replace"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(journals().size(), 1u);
    const fs::path replaceRun = journals().front();
    EXPECT_NE(readFile(own), original);
    std::vector<fs::path> kept;
    for (const auto &entry : fs::recursive_directory_iterator(dir / "mine/.tunvale-kept"))
        if (entry.is_regular_file())
            kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept.front()), original);

    r = run({"organize", (dir / "mine").string(), (dir / "elsewhere").string(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["files_loaded"], 1) << r.out;

    r = run({"undo", replaceRun.filename().string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 files deleted...\n1 replaced files put back...\n");
    EXPECT_EQ(readFile(own), original);
    EXPECT_EQ(listTree(dir / "mine"), (std::vector<std::string>{"Alpha Band/", "Alpha Band/01 - Alpha Band - Song 1.mp3"}));
}

// A journal whose paths do not all lie where a run into its own destination writes is refused
// whole: exit status 2, a message, nothing deleted. A bare journal name is looked up in the
// state folder only, never in the current folder.
TEST_F(UndoFaults, JournalsReachingOutsideTheirDestinationAreRefused)
{
    const fs::path w = dir / "w";
    writeFile(w / "victim/important.txt", "precious");
    writeFile(w / "d/a/b/deep.txt", "precious too");
    fs::create_directories(w / "victim2");
    fs::create_directories(w / "d/A");
    struct stat info {};
    ASSERT_EQ(::lstat((w / "victim/important.txt").c_str(), &info), 0);
    const std::string identity = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":"
        + std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec);
    const std::string victim = (w / "victim/important.txt").string();
    struct Case {
        std::string line;
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {
        {"file " + identity + " " + victim, {}},
        {"placing " + identity + " " + (w / "d/../victim/important.txt").string(), {}},
        {"pending " + victim, {}},
        {"kept " + identity + " " + (w / "d/A/x.mp3").string() + "\t" + victim, {}},
        {"folder " + (w / "victim").string(), {"--everything"}},
        {"folder " + (w / "d/../victim").string(), {"--everything"}},
        {"folder " + (w / "d/a/b").string(), {"--everything"}},
        {"main-directory " + (w / "victim2").string(), {}},
    };
    const std::vector<std::string> before = listTree(w);
    const auto journal = [&](const std::string &destination, const std::string &line) {
        return "tunvale-journal 2\nstarted 2026-01-01 00:00:00\nsource " + (w / "src").string() + "\ndestination "
            + destination + "\nwork-files 20260101-000000-1-0000abcd\n" + line + "\nend Done 1 1 1\n";
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const std::string name = "run-20260101-000000-000-1-" + std::to_string(n++) + ".journal";
        writeFile(dir / "state/tunvale" / name, journal((w / "d").string(), c.line));
        const CliResult r = run(join({"undo", name}, c.options));
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.err.find("Refused"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was deleted"), std::string::npos) << r.err;
        EXPECT_EQ(listTree(w), before);
    }

    // A journal in the current folder, named bare: not the one meant, not looked at.
    writeFile(w / "here/run-20260101-000000-000-1-99.journal",
              journal((w / "d").string(), "folder " + (w / "d/A").string()));
    writeFile(w / "d/A/own.mp3", "the user's own");
    const CliResult r = run({"undo", "--everything", "run-20260101-000000-000-1-99.journal"}, w / "here");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(readFile(w / "d/A/own.mp3"), "the user's own");
}

// Undo tells a run still going on by the lock its process holds on the journal: refused while
// the run lives, taken back once it is dead, even when its process id now belongs to another
// process.
TEST_F(UndoFaults, RunStillGoingOnIsToldByItsLock)
{
    mp3(dir / "seed.mp3", "Alpha Band", "Same Song", 1);
    const std::string seed = readFile(dir / "seed.mp3");
    for (int i = 0; i < 1500; ++i)
        writeFile(dir / "src" / ("song" + std::to_string(i) + ".mp3"), seed);
    writeFile(dir / "dst/Mine/keep.txt", "the user's");
    const std::vector<std::string> before = listTree(dir / "dst");
    const pid_t pid = startProgram(TUNVALE_CLI_PATH, {"organize", (dir / "src").string(), (dir / "dst").string(), "--no-rename"});
    ASSERT_GT(pid, 0);
    const auto placed = [&] {
        std::error_code ec;
        return std::distance(fs::directory_iterator(dir / "dst/Alpha Band", ec), fs::directory_iterator());
    };
    for (int i = 0; i < 60000 && placed() < 20; ++i)
        std::this_thread::sleep_for(1ms);

    CliResult r = run({"undo"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("still going on"), std::string::npos) << r.err;
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the run ended before it could be killed";
    ASSERT_GE(placed(), 20);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);

    // The dead run's process id goes to another process: this test's own, alive.
    ASSERT_EQ(journals().size(), 1u);
    const fs::path journal = journals().front();
    std::string name = journal.filename().string();   // run-DATE-TIME-MS-PID-N.journal
    std::size_t start = 0;
    for (int dash = 0; dash < 4; ++dash)
        start = name.find('-', start) + 1;
    name.replace(start, name.find('-', start) - start, std::to_string(::getpid()));
    fs::rename(journal, journal.parent_path() / name);

    r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listTree(dir / "dst"), before);
}

#ifdef __linux__
// Starts program with arguments, waits until an entry is created in watched (or the program
// ends) and kills it with SIGKILL at once; true when it was killed on such an entry.
bool killOnFirstEntry(const fs::path &watched, const std::vector<std::string> &arguments)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, watched.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
        return false;
    const pid_t pid = startProgram(TUNVALE_CLI_PATH, arguments);
    bool seen = false;
    int status = 0;
    for (auto deadline = std::chrono::steady_clock::now() + 60s; pid > 0 && std::chrono::steady_clock::now() < deadline;) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 5) > 0) {
            seen = true;
            break;
        }
        if (::waitpid(pid, &status, WNOHANG) == pid)
            break;
    }
    if (seen) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    ::close(watch);
    return seen;
}

// A run killed (SIGKILL) while it writes leaves no partial file under a final name, neither a
// truncated copy nor an empty conversion, and undo takes back everything it left: its work
// files too, and a file it was replacing is back as it was.
TEST_F(UndoFaults, RunKilledWhileWritingLeavesNothingUndoCannotTakeBack)
{
    // A copy long enough to be caught in the middle, and ten seconds of audio to encode.
    mp3(dir / "seed.mp3", "Big Band", "Long", 1, 1.0);
    const std::string seed = readFile(dir / "seed.mp3");
    std::string big;
    while (big.size() < (32u << 20))
        big += seed;
    writeFile(dir / "src-copy/big.mp3", big);
    wav(dir / "src-convert/long.wav", "Big Band", 10);
    const std::string users = seed + "the user's own";

    struct Case {
        const char *what;
        const char *source;
        std::vector<std::string> options;
        bool usersFile;          // dst/Big Band/big.mp3 is the user's own before the run
        const char *watched;     // where the first new entry kills the run
    };
    const std::vector<Case> cases = {
        {"copy", "src-copy", kPlainCopies, false, "Big Band"},
        {"conversion", "src-convert", join(kPlainCopies, {"--convert"}), false, "Big Band"},
        {"replacement", "src-copy", join(kPlainCopies, {"--replace"}), true, "Big Band"},
        {"replaced file moved aside", "src-copy", join(kPlainCopies, {"--replace"}), true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dst = dir / (std::string("dst-") + c.what);
        fs::create_directories(dst / "Big Band");
        if (c.usersFile)
            writeFile(dst / "Big Band/big.mp3", users);
        const std::vector<std::string> before = listTree(dst);
        ASSERT_TRUE(killOnFirstEntry(dst / c.watched, join({"organize", (dir / c.source).string(), dst.string()}, c.options)))
            << "the run ended without writing there";

        // Under a final name: only what was there, unchanged, or a complete copy.
        for (const std::string &entry : visibleTree(dst)) {
            if (std::find(before.begin(), before.end(), entry) != before.end() || entry.back() == '/')
                continue;
            const std::string written = readFile(dst / entry);
            const std::string source = readFile(dir / c.source / fs::path(entry).filename());
            EXPECT_TRUE(written == source) << entry << ": " << written.size() << " bytes of " << source.size();
        }
        if (c.usersFile) {
            // The user's file, moved aside for a moment, or the complete replacement.
            const std::string now = readFile(dst / "Big Band/big.mp3");
            EXPECT_TRUE(now == users || now == big || !fs::exists(dst / "Big Band/big.mp3"));
        }

        const CliResult r = run({"undo"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(listTree(dst), before) << r.out;
        if (c.usersFile) {
            EXPECT_EQ(readFile(dst / "Big Band/big.mp3"), users);
        }
    }
}

// A run refused for want of audio files removes the destination it created and leaves no
// journal; a run killed during its scan has already named the destination it created in its
// journal, so undo removes it.
TEST_F(UndoFaults, RefusedOrKilledRunLeavesNoDestinationBehind)
{
    fs::create_directories(dir / "empty");
    CliResult r = run({"organize", (dir / "empty").string(), (dir / "newdest").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Sorry, found no audio files that could be sorted!\n");
    EXPECT_FALSE(fs::exists(dir / "newdest"));
    EXPECT_TRUE(journals().empty());

    // The destination is created before the source is scanned: killed on its creation, the
    // run is still scanning (a few folders before the one file).
    for (int i = 0; i < 100; ++i)
        fs::create_directories(dir / "wide" / ("folder " + std::to_string(i)));
    mp3(dir / "wide/zz/a.mp3", "Alpha Band", "One", 1);
    fs::create_directories(dir / "parent");
    ASSERT_TRUE(killOnFirstEntry(dir / "parent", {"organize", (dir / "wide").string(), (dir / "parent/newdest").string()}));
    ASSERT_TRUE(fs::is_directory(dir / "parent/newdest"));
    r = run({"undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Main Directory removed...\n");
    EXPECT_FALSE(fs::exists(dir / "parent/newdest"));
}
#endif

} // namespace
