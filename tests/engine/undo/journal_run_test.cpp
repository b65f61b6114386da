#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "engine/undo/journal_paths.h"
#include "engine/undo/run_journal.h"
#include "formats/io/file_identity.h"
#include "formats/io/work_files.h"
#include "engine/engine_fakes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::CreateIt;
using testing::FakeLibrary;
using testing::RecordingSink;
using tunvale::testing::TempDir;
using tunvale::testing::readFile;
using tunvale::testing::writeFile;

void append(const fs::path &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(JournalValue, EscapingRoundTripsEveryByte)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/music/Artist/01 - Song.mp3", "/music/Artist/01 - Song.mp3"},
        {"a\nb", "a%0Ab"},
        {"100% pure", "100%25 pure"},
        {"tab\there\r\x7f", "tab%09here%0D%7F"},
        {"caf\xc3\xa9 \xe9", "caf\xc3\xa9 \xe9"},   // UTF-8 and a stray Latin-1 byte pass as they are
        {std::string("nul\0byte", 8), "nul%00byte"},
    };
    for (const auto &[bytes, escaped] : cases) {
        EXPECT_EQ(escapeJournalValue(bytes), escaped);
        EXPECT_EQ(unescapeJournalValue(escaped), bytes);
    }
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string escapedAll = escapeJournalValue(all);
    EXPECT_EQ(escapedAll.find('\n'), std::string::npos);
    EXPECT_EQ(unescapeJournalValue(escapedAll), all);
    // A malformed escape is kept as it is.
    EXPECT_EQ(unescapeJournalValue("50%"), "50%");
    EXPECT_EQ(unescapeJournalValue("%zz%4"), "%zz%4");
}

#ifndef _WIN32
TEST(JournalFolder, FollowsXdgStateHomeThenHome)
{
    const char *savedState = std::getenv("XDG_STATE_HOME");
    const std::string saved = savedState ? savedState : "";
    ::setenv("XDG_STATE_HOME", "/tmp/state-here", 1);
    EXPECT_EQ(journalFolder(), fs::path("/tmp/state-here/tunvale"));
    ::setenv("XDG_STATE_HOME", "relative/ignored", 1);   // XDG base directories must be absolute
    ASSERT_NE(std::getenv("HOME"), nullptr);
    EXPECT_EQ(journalFolder(), fs::path(std::getenv("HOME")) / ".local/state/tunvale");
    if (savedState)
        ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}
#endif

class RunJournalTest : public ::testing::Test {
protected:
    TempDir dir;
};

// A whole run with the journal as its observer: every folder and file is on disk in the
// journal before the run ends, in the order made.
TEST_F(RunJournalTest, RecordsTheRunAsItGoes)
{
    writeFile(dir / "src/a.mp3", "a");
    writeFile(dir / "src/b.mp3", "b");
    writeFile(dir / "src/c.mp3", "c");
    SessionState session;
    RunOptions options;
    options.groupIsolated = 0;
    options.newFileNames = 0;
    RecordingSink sink;
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);

    RunJournal journal;
    std::string error;
    ASSERT_TRUE(journal.create(dir / "state/tunvale", error)) << error;
    const std::string token = formats::io::newWorkToken();
    journal.writeStart(dir / "src", dir / "dst", options, {dir / "dst"}, token);

    FakeLibrary library;
    library.groupKeys = {{"a.mp3", u"Alpha"}, {"b.mp3", u"Beta"}, {"c.mp3", u"Alpha"}};
    RunHooks hooks;
    hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
    std::vector<std::size_t> fileLinesSeenByPlacement;
    hooks.placeFile = [&](int, int, output::PlacementContext &context) {
        // What a crash now would leave: the journal already names the folder and this file's
        // destination as pending.
        JournalRecord now;
        std::string readError;
        EXPECT_TRUE(readJournal(journal.path(), now, readError));
        EXPECT_FALSE(now.folders.empty());
        EXPECT_NE(std::find(now.pending.begin(), now.pending.end(), context.destinationPath), now.pending.end());
        fileLinesSeenByPlacement.push_back(now.files.size());
        // The run names its work files under the token the journal holds.
        EXPECT_EQ(context.names().token(), token);
        writeFile(context.destinationPath, "copy");
        return 0;
    };
    hooks.observer = &journal;
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options, token));
    ASSERT_TRUE(organizer.waitFinished(10s));
    const RunSummary summary = organizer.handleRunEnded(0ms);
    journal.writeEnd(summary.word, session.filesLoaded, session.filesCopied, session.foldersUsed);

    JournalRecord record;
    ASSERT_TRUE(readJournal(journal.path(), record, error)) << error;
    EXPECT_EQ(record.source, dir / "src");
    EXPECT_EQ(record.destination, dir / "dst");
    EXPECT_EQ(record.mainDirectory, dir / "dst");
    EXPECT_EQ(record.folders, (std::vector<fs::path>{dir / "dst/Alpha", dir / "dst/Beta"}));
    EXPECT_EQ(record.files, (std::vector<fs::path>{dir / "dst/Alpha/a.mp3", dir / "dst/Alpha/c.mp3", dir / "dst/Beta/b.mp3"}));
    EXPECT_EQ(record.createdFiles(), record.files);
    EXPECT_EQ(fileLinesSeenByPlacement, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(record.ended);
    EXPECT_EQ(record.endWord, "Done");
    EXPECT_EQ(record.filesLoaded, 3);
    EXPECT_EQ(record.filesCopied, 3);
    EXPECT_EQ(record.foldersUsed, 2);
    EXPECT_FALSE(record.undone);
    EXPECT_EQ(record.workToken, token);
    EXPECT_NE(readFile(journal.path()).find("option MP3_CONVERT 0\n"), std::string::npos);
    EXPECT_FALSE(record.started.empty());
}

// A crash tears the last line: it is ignored, and the undone mark never completes it.
TEST_F(RunJournalTest, TornLastLineIgnoredAndDroppedByTheUndoneMark)
{
    RunJournal journal;
    std::string error;
    ASSERT_TRUE(journal.create(dir / "state", error)) << error;
    journal.writeStart(dir / "src", dir / "dst", RunOptions{}, {}, "20260101-000000-42-abcdef01");
    journal.folderCreated(dir / "dst/Alpha");
    journal.fileCreated(dir / "dst/Alpha/a.mp3");
    const fs::path path = journal.path();
    append(path, "file " + (dir / "dst/Alpha/torn").string());   // no line feed
    writeFile(dir / "dst/Alpha/torn", "must survive");

    JournalRecord record;
    ASSERT_TRUE(readJournal(path, record, error));
    EXPECT_EQ(record.files, (std::vector<fs::path>{dir / "dst/Alpha/a.mp3"}));
    EXPECT_FALSE(record.ended);
    EXPECT_TRUE(record.mainDirectory.empty());

    ASSERT_TRUE(markJournalUndone(path));
    ASSERT_TRUE(readJournal(path, record, error));
    EXPECT_TRUE(record.undone);
    EXPECT_EQ(record.files, (std::vector<fs::path>{dir / "dst/Alpha/a.mp3"}));
    EXPECT_EQ(readFile(path).find("torn"), std::string::npos);
}

// Pending paths name only where placement works (its work files go beside them), never what
// it made: a file counts as created only when its identity was recorded, and only while the
// file at that path is still that file.
TEST_F(RunJournalTest, CreatedFilesAreKnownByTheirIdentity)
{
    RunJournal journal;
    std::string error;
    ASSERT_TRUE(journal.create(dir / "state", error)) << error;
    journal.writeStart(dir / "src", dir / "dst", RunOptions{}, {}, "20260101-000000-42-abcdef01");
    output::PlacementOptions converting;
    converting.mp3Convert = true;
    journal.fileStarting(dir / "dst/A/x.flac", converting);
    writeFile(dir / "dst/A/made.mp3", "made by the run");
    const formats::io::FileIdentity made = formats::io::identityOf(dir / "dst/A/made.mp3");
    journal.filePublishing(dir / "dst/A/taken.mp3", made);   // an attempt on a name that was taken
    journal.filePublishing(dir / "dst/A/made.mp3", made);
    writeFile(dir / "dst/.tunvale-kept/t/A/old.mp3", "the user's, moved aside");
    const formats::io::FileIdentity old = formats::io::identityOf(dir / "dst/.tunvale-kept/t/A/old.mp3");
    journal.fileKept(dir / "dst/A/old.mp3", old, dir / "dst/.tunvale-kept/t/A/old.mp3");
    journal.fileCreated(dir / "dst/A/made.mp3");
    // The user's own files at names the run only started on or tried.
    writeFile(dir / "dst/A/x.mp3", "the user's");
    writeFile(dir / "dst/A/x.flac", "the user's");
    writeFile(dir / "dst/A/taken.mp3", "the user's");

    JournalRecord record;
    ASSERT_TRUE(readJournal(journal.path(), record, error)) << error;
    EXPECT_EQ(record.version, kJournalVersion);
    EXPECT_EQ(record.workToken, "20260101-000000-42-abcdef01");
    EXPECT_EQ(record.pending, (std::vector<fs::path>{dir / "dst/A/x.flac"}));
    EXPECT_EQ(record.files, (std::vector<fs::path>{dir / "dst/A/made.mp3"}));
    ASSERT_EQ(record.created.size(), 4u);
    EXPECT_EQ(record.created[0].path, dir / "dst/A/taken.mp3");
    EXPECT_EQ(record.created[1].identity, made);
    EXPECT_EQ(record.created[2].path, dir / "dst/A/old.mp3");
    EXPECT_EQ(record.created[2].keptAt, dir / "dst/.tunvale-kept/t/A/old.mp3");
    EXPECT_EQ(record.created[2].identity, old);
    EXPECT_EQ(record.created[3].identity, made);
    EXPECT_EQ(record.createdFiles(), (std::vector<fs::path>{dir / "dst/A/made.mp3"}));

    // A run killed before its "file" line: the file it made still counts while unchanged.
    record.files.clear();
    EXPECT_EQ(record.createdFiles(), (std::vector<fs::path>{dir / "dst/A/made.mp3"}));
    append(dir / "dst/A/made.mp3", " and changed by the user");
    EXPECT_TRUE(record.createdFiles().empty());
}

// Only a journal whose every path lies where a run into its own destination writes is acted
// on.
TEST_F(RunJournalTest, PathsOutsideTheDestinationRefuseTheJournal)
{
    const fs::path d = dir / "d";
    const auto made = [](const fs::path &path) {
        CreatedRecord record;
        record.path = path;
        return record;
    };
    struct Case {
        const char *what;
        std::function<void(JournalRecord &)> change;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"a run's own paths", [](JournalRecord &) {}, true},
        {"relative destination", [](JournalRecord &r) { r.destination = "d"; }, false},
        {"destination with ..", [&](JournalRecord &r) { r.destination = d / "x" / ".."; }, false},
        {"main directory elsewhere", [&](JournalRecord &r) { r.mainDirectory = dir / "victim"; }, false},
        {"the destination made with its parents", [&](JournalRecord &r) { r.mainDirectories = {dir.path(), d}; }, true},
        {"a made folder that is no parent of the destination",
         [&](JournalRecord &r) { r.mainDirectories = {dir / "victim", d}; }, false},
        {"made folders skipping a level", [&](JournalRecord &r) { r.mainDirectories = {dir.path().parent_path(), d}; },
         false},
        {"made folders not ending at the destination", [&](JournalRecord &r) { r.mainDirectories = {d, d / "A"}; },
         false},
        {"folder outside", [&](JournalRecord &r) { r.folders.push_back(dir / "victim"); }, false},
        {"folder two levels down", [&](JournalRecord &r) { r.folders.push_back(d / "a" / "b"); }, false},
        {"folder through ..", [&](JournalRecord &r) { r.folders.push_back(d / ".." / "victim"); }, false},
        {"the destination as folder", [&](JournalRecord &r) { r.folders.push_back(d); }, false},
        {"file outside", [&](JournalRecord &r) { r.files.push_back(dir / "victim/important.txt"); }, false},
        {"file through ..", [&](JournalRecord &r) { r.files.push_back(d / "A/../../victim.txt"); }, false},
        {"file of another destination", [&](JournalRecord &r) { r.files.push_back(dir / "dd/A/x.mp3"); }, false},
        {"placement outside", [&](JournalRecord &r) { r.created.push_back(made(dir / "victim.txt")); }, false},
        {"placement in the kept folder",
         [&](JournalRecord &r) { r.created.push_back(made(d / ".tunvale-kept/t/A/x.mp3")); }, false},
        {"pending outside", [&](JournalRecord &r) { r.pending.push_back(dir / "victim.txt"); }, false},
        {"kept outside the kept folder",
         [&](JournalRecord &r) {
             CreatedRecord kept = made(d / "A/x.mp3");
             kept.keptAt = dir / "victim.txt";
             r.created.push_back(kept);
         },
         false},
    };
    for (const Case &c : cases) {
        JournalRecord record;
        record.destination = d;
        record.mainDirectory = d;
        record.folders = {d / "A"};
        record.files = {d / "A/x.mp3"};
        record.pending = {d / "A/x.flac"};
        CreatedRecord kept = made(d / "A/y.mp3");
        kept.keptAt = d / ".tunvale-kept/t/A/y.mp3";
        record.created = {made(d / "A/x.mp3"), kept};
        c.change(record);
        std::string error;
        EXPECT_EQ(checkJournalPaths(record, error), c.accepted) << c.what;
        EXPECT_EQ(error.empty(), c.accepted) << c.what << ": " << error;
    }
}

TEST_F(RunJournalTest, ListNewestFirstAndRefuseOtherFiles)
{
    writeFile(dir / "state/run-20260101-000000-000-1-0.journal", "tunvale-journal 1\nstarted 2026-01-01 00:00:00\n");
    writeFile(dir / "state/run-20261231-235959-999-1-0.journal", "tunvale-journal 1\n");
    writeFile(dir / "state/run-20260601-120000-000-1-0.journal", "tunvale-journal 1\n");
    writeFile(dir / "state/notes.txt", "x");
    EXPECT_EQ(listJournals(dir / "state"),
              (std::vector<fs::path>{dir / "state/run-20261231-235959-999-1-0.journal",
                                     dir / "state/run-20260601-120000-000-1-0.journal",
                                     dir / "state/run-20260101-000000-000-1-0.journal"}));
    EXPECT_TRUE(listJournals(dir / "absent").empty());

    JournalRecord record;
    std::string error;
    EXPECT_FALSE(readJournal(dir / "state/notes.txt", record, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readJournal(dir / "state/absent.journal", record, error));
    writeFile(dir / "state/torn-head.journal", "tunvale-jour");
    EXPECT_FALSE(readJournal(dir / "state/torn-head.journal", record, error));
}

TEST_F(RunJournalTest, TwoJournalsInOneSecondGetTheirOwnFiles)
{
    RunJournal first, second;
    std::string error;
    ASSERT_TRUE(first.create(dir / "state", error));
    ASSERT_TRUE(second.create(dir / "state", error));
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(listJournals(dir / "state").size(), 2u);
}

} // namespace
} // namespace tunvale::engine
