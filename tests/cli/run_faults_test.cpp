// Faults that strike during an organize run, through the built tunvale-cli: a run that would
// write over its own sources, tag text a folder name cannot hold, folders made meanwhile by
// another run, and a destination that runs out of space.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include "engine/run/organize_command.h"
#include "engine/session/progress_sink.h"
#include "engine/session/run_options.h"
#include "engine/session/session_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::writeFile;

std::string quote(const std::string &text) { return tunvale::testing::shellQuote(text); }

class RunFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool("ffmpeg") || !haveTool("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe are needed to write and measure the audio files";
    }

    // Every tunvale-cli call journals into the test's own state folder.
    std::vector<std::string> environment() const { return {"XDG_STATE_HOME=" + (dir / "state").string()}; }

    // The command line of one tunvale-cli call.
    std::string command(const std::vector<std::string> &arguments) const
    {
        return tunvale::testing::commandLine(TUNVALE_CLI_PATH, arguments, environment());
    }

    CliResult run(const std::vector<std::string> &arguments)
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments, {}, environment());
    }

    // A tagged MP3 of the given length (seconds) written by ffmpeg.
    void makeMp3(const fs::path &path, const std::string &artist, const std::string &title, int track, double seconds,
                 const std::string &bitRate = "64k")
    {
        ASSERT_TRUE(tunvale::testing::makeTaggedMp3(path, artist, title, track, seconds, bitRate)) << path;
    }

    // Every MP3 below root with its length in seconds, by path relative to root.
    static std::map<std::string, int> lengthsBelow(const fs::path &root)
    {
        std::map<std::string, int> lengths;
        for (const std::string &entry : listTree(root)) {
            if (entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".mp3") == 0)
                lengths[entry] = tunvale::testing::ffprobeSeconds(root / entry);
        }
        return lengths;
    }

    TempDir dir;
};

// --replace over a library organized into itself: the file a name points at is still to be
// read (it is a source of the run), so it is never replaced, whatever the destination's
// spelling; the audio of both files survives.
TEST_F(RunFaults, ReplaceNeverWritesOverASourceOfTheRun)
{
    struct Case {
        const char *label;
        bool throughLink;   // the destination is a link to the library, not its own path
    };
    for (const Case &c : {Case{"same path", false}, Case{"link to the library", true}}) {
        SCOPED_TRACE(c.label);
        const fs::path lib = dir / c.label / "lib";
        makeMp3(lib / "a.mp3", "Rock Band", "Zeta", 0, 2);
        makeMp3(lib / "Rock Band/01 - Rock Band - Zeta.mp3", "Rock Band", "Omega", 2, 1);
        fs::path destination = lib;
        if (c.throughLink) {
            destination = dir / c.label / "link";
            fs::create_directory_symlink(lib, destination);
        }

        const CliResult r = run({"organize", lib.string(), destination.string(), "--replace"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Done: on 2 files, 2 are copied in 1 folder\n");
        const std::map<std::string, int> expected = {
            {"Rock Band/01 - Rock Band - Zeta.mp3", 1},      // the second source, untouched
            {"Rock Band/01 - Rock Band - Zeta(1).mp3", 2},   // a.mp3's copy, beside it
            {"Rock Band/02 - Rock Band - Omega.mp3", 1},
            {"a.mp3", 2},
        };
        EXPECT_EQ(lengthsBelow(lib), expected);
    }
}

// A destination inside the source is left out of the scan: a second run reads the library
// only, not the first run's copies.
TEST_F(RunFaults, DestinationInsideTheSourceIsNotScanned)
{
    struct Case {
        const char *label;
        bool throughLink;   // the destination is named by a link outside the library
    };
    for (const Case &c : {Case{"sub-folder", false}, Case{"link to a sub-folder", true}}) {
        SCOPED_TRACE(c.label);
        const fs::path lib = dir / c.label / "lib";
        makeMp3(lib / "a.mp3", "Alpha Band", "One", 1, 1);
        makeMp3(lib / "b.mp3", "Alpha Band", "Two", 2, 1);
        fs::path destination = lib / "sorted";
        if (c.throughLink) {
            fs::create_directory(destination);
            destination = dir / c.label / "out";
            fs::create_directory_symlink(lib / "sorted", destination);
        }
        for (int round = 1; round <= 2; ++round) {
            const CliResult r = run({"organize", lib.string(), destination.string()});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, "Done: on 2 files, 2 are copied in 1 folder\n") << "run " << round;
        }
        const std::vector<std::string> expected = {"Alpha Band/",
                                                   "Alpha Band/01 - Alpha Band - One(1).mp3",
                                                   "Alpha Band/01 - Alpha Band - One.mp3",
                                                   "Alpha Band/02 - Alpha Band - Two(1).mp3",
                                                   "Alpha Band/02 - Alpha Band - Two.mp3"};
        EXPECT_EQ(listTree(lib / "sorted"), expected);
    }
}

// A tag longer than a file name component gives a folder name shortened to 255 bytes at a
// character boundary; the run goes on with the other groups.
TEST_F(RunFaults, LongTagsGiveShortenedFolderNames)
{
    std::string acute;   // 200 x "é"
    for (int i = 0; i < 200; ++i)
        acute += "\xC3\xA9";
    std::string acuteFolder = "E";   // the artist's first letter, folded, and 127 x "é": 255 bytes
    for (int i = 0; i < 127; ++i)
        acuteFolder += "\xC3\xA9";
    struct Case {
        const char *label;
        std::string artist;
        std::string folder;
    };
    const std::vector<Case> cases = {
        {"300 x R", std::string(300, 'R'), "R" + std::string(254, 'r')},
        {"200 x e acute", acute, acuteFolder},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path src = dir / c.label / "src";
        const fs::path dst = dir / c.label / "dst";
        makeMp3(src / "l1.mp3", c.artist, "One", 1, 1);
        makeMp3(src / "l2.mp3", c.artist, "Two", 2, 1);
        makeMp3(src / "z1.mp3", "Zed Band", "Three", 1, 1);
        makeMp3(src / "z2.mp3", "Zed Band", "Four", 2, 1);

        const CliResult r = run({"organize", src.string(), dst.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Done: on 4 files, 4 are copied in 2 folders\n");
        ASSERT_TRUE(fs::is_directory(dst / c.folder)) << r.err;
        EXPECT_EQ(listTree(dst / c.folder).size(), 2u);
        EXPECT_EQ(listTree(dst / "Zed Band").size(), 2u);
    }
}

// Folders that appear between the check and the creation (another run into the same
// destination, the destination itself among them) are used: every run completes and places
// every file. The race is timing-bound, so several rounds of several runs make it likely.
TEST_F(RunFaults, RunsAtTheSameTimeIntoOneDestinationAllComplete)
{
    constexpr int kRuns = 4;
    constexpr int kArtists = 20;   // one file and one folder each
    for (int a = 1; a <= kArtists; ++a)
        makeMp3(dir / "src" / ("s" + std::to_string(a) + ".mp3"), "Band Number" + std::to_string(a), "Song", 1, 0.2);
    for (int round = 1; round <= 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const fs::path dst = dir / ("dst" + std::to_string(round));
        std::string script;
        for (int i = 0; i < kRuns; ++i) {
            const std::string status = (dir / ("status" + std::to_string(i))).string();
            const std::string out = (dir / ("out" + std::to_string(i))).string();
            script += "(" + command({"organize", (dir / "src").string(), dst.string(), "--no-group-isolated",
                                     "--no-similitudes"})
                + " >" + quote(out) + " 2>&1 </dev/null; echo $? >" + quote(status) + ") & ";
        }
        script += "wait";
        ASSERT_EQ(runCommand(script), 0);
        for (int i = 0; i < kRuns; ++i) {
            EXPECT_EQ(readFile(dir / ("status" + std::to_string(i))), "0\n") << "run " << i;
            EXPECT_EQ(readFile(dir / ("out" + std::to_string(i))), "Done: on 20 files, 20 are copied in 20 folders\n")
                << "run " << i;
        }
        for (int a = 1; a <= kArtists; ++a) {
            const std::string folder = "Band Number" + std::to_string(a);
            EXPECT_EQ(listTree(dst / folder).size(), static_cast<std::size_t>(kRuns)) << folder;
        }
    }
}

// The destination made by someone else between the check and the creation is used, and not
// counted as made by this run (undo must leave it).
TEST_F(RunFaults, DestinationMadeMeanwhileIsUsed)
{
    struct MadeMeanwhile final : tunvale::engine::OrganizeQuestions {
        bool createMissingDestination(const fs::path &destination) override
        {
            fs::create_directory(destination);   // another run wins the race
            return true;
        }
    };
    struct Quiet final : tunvale::engine::ProgressSink {
        void postProgress(std::int32_t, std::int32_t) override {}
        void postStatus(std::uint32_t, const std::u16string &) override {}
        void postRunEnded() override {}
        void showStatus(const std::u16string &, std::uint32_t) override {}
        void showMessage(const std::u16string &) override {}
    };
    writeFile(dir / "src/a.mp3", "listed by its name only");
    tunvale::engine::SessionState session;
    tunvale::engine::RunOptions options;
    MadeMeanwhile questions;
    Quiet sink;
    const tunvale::engine::PrepareOutcome outcome =
        tunvale::engine::prepareOrganize(session, options, dir / "src", dir / "dst", sink, questions);
    EXPECT_EQ(outcome.status, tunvale::engine::PrepareStatus::Ready);
    EXPECT_FALSE(outcome.destinationCreated);
    EXPECT_TRUE(session.mainDirectory.empty());
    EXPECT_TRUE(session.mainDirectoryList.empty());
    EXPECT_EQ(session.sourceFiles.size(), 1u);
}

// DEL and the other control characters of a tag become spaces in folder names, as in file
// names.
TEST_F(RunFaults, ControlCharactersInFolderNamesBecomeSpaces)
{
    struct Case {
        const char *label;
        std::string artist;
    };
    const std::vector<Case> cases = {
        {"DEL", "RTX\x7F" "ctl"},
        {"C1 control", "RTX\xC2\x81" "ctl"},   // U+0081, which Windows-1252 leaves undefined
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path src = dir / c.label / "src";
        const fs::path dst = dir / c.label / "dst";
        makeMp3(src / "a.mp3", c.artist, "One", 1, 0.2);
        const CliResult r = run({"organize", src.string(), dst.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> expected = {"Rtx ctl/", "Rtx ctl/01 - Rtx ctl - One.mp3"};
        EXPECT_EQ(listTree(dst), expected);
    }
}

// A destination on a full file system: each message names the system's reason and says what
// became of the file; a copy and a conversion give the same code for the same reason.
TEST_F(RunFaults, FullDiskMessagesNameTheReason)
{
    if (!haveTool("unshare") || runCommand("unshare -rm true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "a private mount namespace is needed for the small file system";
    struct Case {
        const char *label;
        std::vector<std::string> options;
        std::string sourceName;
        std::string destinationName;
        std::string message;   // the text after "source" / "destination" quotes are filled in
        bool fileStays;        // the destination file is there after the run
    };
    const std::vector<Case> cases = {
        {"copy larger than the disk", {}, "big.mp3", "Big Band/01 - Big Band - Huge.mp3",
         "Sorry. Could not copy file \"{S}\" to \"{D}\": Error 112 (No space left on device). The file was not "
         "copied.",
         false},
        {"tags after a good copy", {}, "mid.flac", "Mid Band/01 - Mid Band - Middle.flac",
         "Sorry. The file \"{S}\" was copied to \"{D}\", but its tags could not be written: No space left on "
         "device.",
         true},
        {"conversion", {"--convert", "--quality", "max"}, "w.wav", "Wave Band/01 - Wave Band.mp3",
         "Sorry. Could not copy file \"{S}\" to \"{D}\": Error 112 (No space left on device). The file was not "
         "converted.",
         false},
    };
    // The big copy does not fit in 2 MB; the middle one does, but its tag rewrite needs a
    // second copy's room (a FLAC is copied, then retagged by libFLAC, which writes the file
    // again beside the copy when its comment block grows and there is no padding); the
    // conversion's MP3 at 320 kbit/s does not fit either.
    makeMp3(dir / "big/big.mp3", "Big Band", "Huge", 0, 100, "256k");
    if (!haveTool("flac"))
        GTEST_SKIP() << "flac is needed for the FLAC source";
    const fs::path noise = dir / "noise.wav";
    const fs::path midFlac = dir / "mid/mid.flac";
    fs::create_directories(midFlac.parent_path());
    ASSERT_EQ(runCommand("sox -q -n -r 44100 -c 2 -b 16 " + quote(noise.string()) + " synth 12 whitenoise vol 0.5"
                         + " && flac --silent --no-padding -T 'ARTIST=Mid Band' -T TITLE=Middle -o "
                         + quote(midFlac.string()) + " " + quote(noise.string())),
              0);
    ASSERT_TRUE(tunvale::testing::makeTaggedWav(dir / "w/w.wav", "Wave Band", "Wavy", 60));
    const std::map<std::string, std::string> folderOf = {{"big.mp3", "big"}, {"mid.flac", "mid"}, {"w.wav", "w"}};

    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path mount = dir / "mnt";
        fs::create_directories(mount);
        const fs::path src = dir / folderOf.at(c.sourceName);
        std::vector<std::string> arguments = {"organize", src.string(), (mount / "dst").string()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        // The small file system lives in a private mount namespace and goes with it: the run's
        // outcome and the tree are written outside it.
        const fs::path status = dir / "status";
        const fs::path err = dir / "stderr.txt";
        const fs::path tree = dir / "tree.txt";
        const std::string inside = "mount -t tmpfs -o size=2m tmpfs " + quote(mount.string()) + " || exit 97; "
            + command(arguments) + " >/dev/null 2>" + quote(err.string()) + " </dev/null; echo $? >"
            + quote(status.string()) + "; cd " + quote((mount / "dst").string()) + " && find . -type f | sort >"
            + quote(tree.string());
        ASSERT_EQ(runCommand("unshare -rm sh -c " + quote(inside)), 0);

        EXPECT_EQ(readFile(status), "1\n");
        std::string message = c.message;
        message.replace(message.find("{S}"), 3, (src / c.sourceName).string());
        message.replace(message.find("{D}"), 3, (mount / "dst" / c.destinationName).string());
        // The message, then the line that counts the failure after the summary.
        EXPECT_EQ(readFile(err), message + "\n0 files skipped, 1 failed (tunvale-cli organize --json for the list)\n");
        EXPECT_EQ(readFile(tree), c.fileStays ? "./" + c.destinationName + "\n" : "");
    }
}

} // namespace
