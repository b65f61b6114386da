// End-to-end runs of the built tunvale-cli on temporary folders.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::writeFile;

class Cli : public ::testing::Test {
protected:
    CliResult run(const std::vector<std::string> &arguments)
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments, {}, {stateHome()});
    }

    // The runs keep their journals in the test's folder, never in the user's state folder.
    std::string stateHome() const { return "XDG_STATE_HOME=" + (dir / "state").string(); }

    // A short tagged MP3 written by ffmpeg.
    void makeMp3(const fs::path &path, const std::string &artist, const std::string &title, int track)
    {
        ASSERT_TRUE(tunvale::testing::makeTaggedMp3(path, artist, title, track)) << path;
    }

    TempDir dir;
};

TEST_F(Cli, RefusalsPrintTheirTextAndExit2)
{
    writeFile(dir / "src/notes.txt", "not audio");
    // A file to sort, as far as the folder checks go (the scan goes by the name).
    writeFile(dir / "named/a.mp3", "not audio either");
    writeFile(dir / "plain", "x");
    struct Case {
        std::vector<std::string> arguments;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{"organize", "", (dir / "dst").string()}, "Please define a valid Source folder"},
        {{"organize", (dir / "absent").string(), (dir / "dst").string()}, "Sorry, the source Folder doesn't exist!"},
        {{"organize", (dir / "src").string(), ""}, "Please define a valid Destination folder"},
        // Refused before the missing destination (and its missing parent) is made.
        {{"organize", (dir / "src").string(), (dir / "no/parent").string()},
         "Sorry, found no audio files that could be sorted!"},
        {{"organize", (dir / "named").string(), (dir / "plain/below").string()},
         "Sorry. Could not create directory \"" + (dir / "plain/below").string() + "\"."},
        {{"organize", (dir / "named").string(), (dir / "plain").string()},
         "Sorry. Could not create directory \"" + (dir / "plain").string() + "\"."},
        {{"organize", (dir / "src").string(), (dir / "dst").string()}, "Sorry, found no audio files that could be sorted!"},
        {{"organize", (dir / "src").string(), (dir / "dst").string(), "--json"},
         "Sorry, found no audio files that could be sorted!"},
    };
    for (const Case &c : cases) {
        const CliResult r = run(c.arguments);
        EXPECT_EQ(r.status, 2) << c.text;
        EXPECT_EQ(r.err, c.text + "\n");
        EXPECT_EQ(r.out, "") << c.text;
    }
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(Cli, WrongArgumentsExit2)
{
    fs::create_directory(dir / "src");
    for (const std::vector<std::string> &arguments : std::vector<std::vector<std::string>>{
             {},
             {"organize", (dir / "src").string()},
             {"organize", (dir / "src").string(), (dir / "dst").string(), "--by", "colour"},
             {"organize", (dir / "src").string(), (dir / "dst").string(), "--formats", "mp3,ogg"},
             {"organize", (dir / "src").string(), (dir / "dst").string(), "--step", "5"},
             {"organize", (dir / "src").string(), (dir / "dst").string(), "--quality", "best"},
             {"inspect"},
         }) {
        const CliResult r = run(arguments);
        EXPECT_EQ(r.status, 2) << (arguments.empty() ? "" : arguments.back());
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(dir / "dst"));
}

TEST_F(Cli, NoLoadableFileIsNothingDone)
{
    writeFile(dir / "src/junk.wav", "this is not a RIFF file");
    writeFile(dir / "src/deep/more.AIF", "nor an AIFF one");
    CliResult r = run({"organize", (dir / "src").string(), (dir / "dst").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Done: Nothing done!\n");
    EXPECT_EQ(listTree(dir / "dst"), std::vector<std::string>{});

    r = run({"organize", (dir / "src").string(), (dir / "dst2").string() + "/", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << r.out;
    EXPECT_EQ(report["summary"], "Done: Nothing done!");
    EXPECT_EQ(report["word"], "Done");
    EXPECT_EQ(report["files_loaded"], 0);
    EXPECT_EQ(report["files_copied"], 0);
    EXPECT_EQ(report["folders_used"], 0);
    // The destination was created for the run (named without the trailing separator).
    EXPECT_EQ(report["created_folders"], nlohmann::json::array({(dir / "dst2").string()}));
    EXPECT_EQ(report["created_files"], nlohmann::json::array());
    EXPECT_EQ(report["messages"], nlohmann::json::array());
}

TEST_F(Cli, OnlyTickedFormatsAreScanned)
{
    writeFile(dir / "src/junk.wav", "x");
    const CliResult r = run({"organize", (dir / "src").string(), (dir / "dst").string(), "--formats", "mp3,flac"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Sorry, found no audio files that could be sorted!\n");
}

TEST_F(Cli, OrganizesTaggedMp3FilesByArtist)
{
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    makeMp3(dir / "src/a1.mp3", "Alpha Band", "First Song", 1);
    makeMp3(dir / "src/sub/a2.mp3", "Alpha Band", "Second Song", 2);
    makeMp3(dir / "src/z.mp3", "Zed", "Lone Song", 1);

    CliResult r = run({"organize", (dir / "src").string(), (dir / "dst").string(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << r.out;
    EXPECT_EQ(report["summary"], "Done: on 3 files, 3 are copied in 2 folders");
    EXPECT_EQ(report["created_folders"], nlohmann::json::array({(dir / "dst").string(), (dir / "dst/Alpha Band").string(),
                                                               (dir / "dst/Miscellaneous").string()}));
    ASSERT_EQ(report["created_files"].size(), 3u);
    for (const auto &file : report["created_files"])
        EXPECT_TRUE(fs::is_regular_file(file.get<std::string>())) << file;
    EXPECT_EQ(fs::path(report["created_files"][2].get<std::string>()).parent_path(), dir / "dst/Miscellaneous");
    // Sources are only read.
    EXPECT_EQ(listTree(dir / "src"), (std::vector<std::string>{"a1.mp3", "sub/", "sub/a2.mp3", "z.mp3"}));

    // The lone file in its own folder when isolated files are not grouped; summary line last.
    r = run({"organize", (dir / "src").string(), (dir / "dst-b").string(), "--no-group-isolated", "--no-rename"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lastOutLine(), "Done: on 3 files, 3 are copied in 2 folders");
    EXPECT_EQ(listTree(dir / "dst-b"),
              (std::vector<std::string>{"Alpha Band/", "Alpha Band/a1.mp3", "Alpha Band/a2.mp3", "Zed/", "Zed/z.mp3"}));
}

TEST_F(Cli, PlacementFailureIsReportedAndExits1)
{
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    makeMp3(dir / "src/a1.mp3", "Alpha Band", "First Song", 1);
    makeMp3(dir / "src/a2.mp3", "Alpha Band", "Second Song", 2);
    // A plain file stands where the group folder should be: the copies cannot be made.
    writeFile(dir / "dst/Alpha Band", "in the way");
    const CliResult r = run({"organize", (dir / "src").string(), (dir / "dst").string(), "--json"});
    EXPECT_EQ(r.status, 1) << r.out;
    const auto report = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << r.out;
    EXPECT_EQ(report["word"], "Error");
    EXPECT_EQ(report["summary"], "Error: on 2 files, 0 is copied in 1 folder");
    ASSERT_EQ(report["messages"].size(), 1u);   // the rest of the group is left
    const std::string message = report["messages"][0];
    EXPECT_NE(r.err.find(message + "\n"), std::string::npos) << r.err;
}

TEST_F(Cli, SigtermAbortsTheRun)
{
    // Enough files that fail to load to keep the loading phase busy for seconds.
    for (int i = 0; i < 3000; ++i)
        writeFile(dir / "src" / ("junk" + std::to_string(i) + ".wav"), "x");
    const std::string out = (dir / "stdout.txt").string();
    const std::string src = (dir / "src").string();
    const std::string dst = (dir / "dst").string();
    // A pause after each "Loading" notice keeps the loading phase busy for seconds.
    const pid_t pid = tunvale::testing::startProgram(TUNVALE_CLI_PATH, {"organize", src, dst}, out, {},
                                                     {"TUNVALE_LOADING_PAUSE_MS=2", stateHome()});
    ASSERT_GT(pid, 0);

    // Wait until the run is under way (the destination exists once the checks passed).
    for (int i = 0; i < 200 && !fs::exists(dir / "dst"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of stopping";
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(readFile(out), "Aborting: Nothing done!\n");
}

TEST_F(Cli, InspectShowsTagsAndEntry)
{
    if (!haveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed to write the MP3 files";
    makeMp3(dir / "caf.mp3", "Alpha Band", "Caf\xC3\xA9 Song", 7);
    writeFile(dir / "notes.txt", "x");
    writeFile(dir / "junk.wav", "x");

    CliResult r = run({"inspect", (dir / "caf.mp3").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto report = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(report.is_array()) << r.out;
    ASSERT_EQ(report.size(), 1u);
    const auto &item = report[0];
    EXPECT_EQ(item["path"], (dir / "caf.mp3").string());
    EXPECT_EQ(item["loaded"], true);
    EXPECT_EQ(item["tags"]["Title"], "Caf\xC3\xA9 Song");   // Windows-1252 text shown as UTF-8
    EXPECT_EQ(item["tags"]["Artist"], "Alpha Band");
    EXPECT_EQ(item["tags"]["Track"], 7);
    EXPECT_TRUE(item["tags"]["FillScore"].is_number());
    for (const char *key : {"Subtitle", "Album", "AlbumArtist", "Performer", "Composer", "Comment", "Publisher",
                            "Encoder", "Genre"})
        EXPECT_TRUE(item["tags"][key].is_string()) << key;
    for (const char *key : {"Year", "TrackTotal", "Disc", "DiscTotal", "Rating"})
        EXPECT_TRUE(item["tags"][key].is_number()) << key;
    EXPECT_EQ(item["entry"]["GroupName"], "Alpha Band");
    EXPECT_TRUE(item["entry"]["KeyWords"].is_array());
    for (const char *key : {"Artist", "Composer", "Title", "TrackText"})
        EXPECT_TRUE(item["entry"][key].is_string()) << key;

    // By album: no album tag, so the group is "Undefined". Arguments keep their order.
    r = run({"inspect", "--by", "album", (dir / "notes.txt").string(), (dir / "caf.mp3").string(),
             (dir / "junk.wav").string()});
    EXPECT_EQ(r.status, 1);
    report = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(report.is_array()) << r.out;
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0]["loaded"], false);
    EXPECT_TRUE(report[0]["status"].is_null());   // no reader for .txt
    EXPECT_TRUE(report[0]["code"].is_null());
    EXPECT_TRUE(report[0]["reason"].is_null());
    EXPECT_TRUE(report[0]["entry"].is_null());
    EXPECT_EQ(report[1]["entry"]["GroupName"], "Undefined");
    EXPECT_EQ(report[2]["loaded"], false);
    // The reader's status and its code, and the reason the skipped list shows.
    EXPECT_TRUE(report[2]["code"].is_number());
    EXPECT_NE(report[2]["code"], 0);
    EXPECT_EQ(report[2]["status"], "cut short");
    EXPECT_EQ(report[2]["reason"], "WAV: RIFF header cut short");
}

// One cause gives one status whatever the format: every reader opens, finds a file empty and
// tells foreign bytes the same way.
TEST_F(Cli, InspectGivesOneStatusPerCauseInEveryFormat)
{
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    std::string foreign;
    for (int i = 0; i < 20; ++i)
        foreign += "plain text lines. ";
    struct Cause {
        const char *name;
        std::function<void(const fs::path &)> make;
        const char *status;
        const char *reason; // nullptr: the reader names its format
    };
    const Cause causes[] = {
        {"missing", [](const fs::path &) {}, "cannot open", "not found"},
        {"fifo", [&](const fs::path &p) { fs::create_symlink(dir / "fifo", p); }, "cannot open", "not a regular file"},
        {"folder", [](const fs::path &p) { fs::create_directory(p); }, "cannot open", "not a regular file"},
        {"empty", [](const fs::path &p) { writeFile(p, ""); }, "empty file", "empty file"},
        {"foreign", [&](const fs::path &p) { writeFile(p, foreign); }, "not this format", nullptr},
    };
    for (const char *extension : {".mp3", ".flac", ".wav", ".aiff", ".aif"}) {
        for (const Cause &cause : causes) {
            SCOPED_TRACE(std::string(cause.name) + extension);
            const fs::path path = dir / (std::string(cause.name) + extension);
            cause.make(path);
            const CliResult r = run({"inspect", path.string()});
            EXPECT_EQ(r.status, 1);
            const auto report = nlohmann::json::parse(r.out, nullptr, false);
            ASSERT_TRUE(report.is_array() && report.size() == 1) << r.out;
            EXPECT_EQ(report[0]["loaded"], false);
            EXPECT_EQ(report[0]["status"], cause.status);
            if (cause.reason)
                EXPECT_EQ(report[0]["reason"], cause.reason);
            else
                EXPECT_NE(report[0]["reason"].get<std::string>().find(": "), std::string::npos) << report[0]["reason"];
        }
    }
}

} // namespace
