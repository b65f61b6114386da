#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "engine/undo/session_undo.h"
#include "catalog/text/codepage.h"
#include "engine/engine_fakes.h"
#include "support/blocking_placement.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::CreateIt;
using testing::FakeLibrary;
using testing::RecordingSink;
using testing::ScriptedAbort;
using tunvale::testing::BlockingPlacement;
using tunvale::testing::TempDir;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::writeFile;

// Answers the questions from a script and keeps what was asked and shown.
struct ScriptedUndo : UndoQuestions {
    bool everything = false;
    bool sessionFiles = false;
    std::vector<std::u16string> asked;
    std::vector<UndoTake> takes;   // what each question said a Yes would take back
    std::vector<std::string> shown;
    bool deleteEverything(const UndoTake &take) override
    {
        asked.push_back(kAskDeleteEverything);
        takes.push_back(take);
        return everything;
    }
    bool deleteSessionFiles(const UndoTake &take) override
    {
        asked.push_back(kAskDeleteSessionFiles);
        takes.push_back(take);
        return sessionFiles;
    }
    void showMessage(const std::u16string &text) override { shown.push_back(text::utf16ToUtf8(text)); }
};

class SessionUndo : public ::testing::Test {
protected:
    void SetUp() override
    {
        hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
        hooks.placeFile = [](int, int, output::PlacementContext &context) {
            writeFile(context.destinationPath, "copy of " + context.sourcePath.filename().string());
            return 0;
        };
        options.groupIsolated = 0;
        options.newFileNames = 0;
    }

    // One whole run of the files (name -> group) into the destination (dst unless a test says
    // otherwise); the Organize command creates it, with its missing parents, when it does not
    // exist.
    void run(const std::map<std::string, std::u16string> &files)
    {
        for (const auto &[name, group] : files) {
            writeFile(dir / "src" / name, "source " + name);
            library.groupKeys[name] = group;
        }
        CreateIt yes;
        ASSERT_EQ(prepareOrganize(session, options, dir / "src", destination, sink, yes).status, PrepareStatus::Ready);
        ASSERT_TRUE(organizer().start(options));
        ASSERT_TRUE(organizer().waitFinished(10s));
        organizer().handleRunEnded(0ms);
    }

    // Made on first use, once the hooks are set.
    Organizer &organizer()
    {
        if (!m_organizer)
            m_organizer = std::make_unique<Organizer>(session, sink, hooks);
        return *m_organizer;
    }

    // No, Yes: the five files, then the two folders, and the destination when the Organize
    // command created it.
    void checkNoThenYes(bool destinationExisted)
    {
        if (destinationExisted)
            fs::create_directories(dir / "dst");
        runTwoFoldersFiveFiles();
        ASSERT_EQ(session.filesCreatedInSession.size(), 5u);
        undo.sessionFiles = true;
        cancel();
        EXPECT_EQ(undo.asked, (std::vector<std::u16string>{kAskDeleteEverything, kAskDeleteSessionFiles}));
        EXPECT_EQ(undo.shown, (std::vector<std::string>{destinationExisted ? "5 files deleted in 2 directories removed..."
                                                                            : "5 files deleted in 3 directories removed..."}));
        EXPECT_EQ(fs::exists(dir / "dst"), destinationExisted);
        if (destinationExisted) {
            EXPECT_TRUE(listTree(dir / "dst").empty());
        }
        EXPECT_TRUE(session.filesCreatedInSession.empty());
        EXPECT_EQ(session.foldersCreatedInSession.size(), 2u);
        for (const fs::path &folder : session.foldersCreatedInSession)
            EXPECT_TRUE(folder.empty());   // blanked
        // The sources are never touched.
        EXPECT_EQ(readFile(dir / "src/a1.mp3"), "source a1.mp3");
    }

    // Two created folders, five files.
    void runTwoFoldersFiveFiles()
    {
        run({{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}, {"a3.mp3", u"Alpha"}, {"b1.mp3", u"Beta"}, {"b2.mp3", u"Beta"}});
    }

    CancelResult cancel() { return cancelSession(organizer(), abortQuestion, undo); }

    // Starts a new session on the same state: nothing created is known any more.
    void forgetSession()
    {
        session.foldersCreatedInSession.clear();
        session.foldersCreatedInRun.clear();
        session.mainDirectoryList.clear();
        session.filesCreatedInSession.clear();
        session.createdInSession.clear();
        session.mainDirectory.clear();
        session.userAborted = 0;
    }

    TempDir dir;
    fs::path destination = dir / "dst";
    SessionState session;
    RunOptions options;
    RecordingSink sink;
    FakeLibrary library;
    RunHooks hooks;
    ScriptedAbort abortQuestion;
    ScriptedUndo undo;
    std::unique_ptr<Organizer> m_organizer;
};

TEST_F(SessionUndo, NothingToCancelWithoutARun)
{
    const CancelResult result = cancel();
    EXPECT_EQ(result.outcome, CancelOutcome::Undone);
    EXPECT_EQ(abortQuestion.asked, 0);
    EXPECT_TRUE(undo.asked.empty());
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Nothing to cancel!"}));
}

TEST_F(SessionUndo, NoThenYesIntoAnExistingDestination) { checkNoThenYes(true); }
TEST_F(SessionUndo, NoThenYesWithACreatedDestination) { checkNoThenYes(false); }

// Yes: everything inside the created folders goes, the user's later files too; files copied
// into a folder that existed before stay, and so does that folder.
TEST_F(SessionUndo, YesDeletesEverythingInTheCreatedFoldersOnly)
{
    writeFile(dir / "dst/Gamma/mine.txt", "user's own");
    run({{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}, {"b1.mp3", u"Beta"}, {"g1.mp3", u"Gamma"}, {"g2.mp3", u"Gamma"}});
    writeFile(dir / "dst/Alpha/added later.txt", "user's");
    undo.everything = true;
    cancel();
    EXPECT_EQ(undo.asked, (std::vector<std::u16string>{kAskDeleteEverything}));
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"4 files deleted in 2 directories removed..."}));
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Gamma/", "Gamma/g1.mp3", "Gamma/g2.mp3", "Gamma/mine.txt"}));

    // A second Cancel finds nothing; a folder of the same name made afterwards is not the
    // session's and is never entered.
    writeFile(dir / "dst/Alpha/new.txt", "made after the undo");
    undo = ScriptedUndo{};
    undo.everything = true;
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Nothing to cancel!"}));
    EXPECT_EQ(readFile(dir / "dst/Alpha/new.txt"), "made after the undo");
}

TEST_F(SessionUndo, YesWithACreatedDestinationRemovesItToo)
{
    runTwoFoldersFiveFiles();
    undo.everything = true;
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"5 files deleted in 3 directories removed..."}));
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_TRUE(session.mainDirectoryList.back().empty());
}

// Only the session's files: a folder holding a file of the user's stays and is not counted.
TEST_F(SessionUndo, UsersFileKeepsItsCreatedFolder)
{
    fs::create_directories(dir / "dst");
    runTwoFoldersFiveFiles();
    writeFile(dir / "dst/Beta/mine.txt", "user's own");
    undo.sessionFiles = true;
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"5 files deleted in 1 directories removed..."}));
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Beta/", "Beta/mine.txt"}));
    EXPECT_TRUE(session.foldersCreatedInSession[0].empty());
    EXPECT_EQ(session.foldersCreatedInSession[1], dir / "dst/Beta");
}

// Cancel during a run: Yes to abort, then No to both questions shows no final message.
TEST_F(SessionUndo, AbortThenNoToBothShowsNothing)
{
    writeFile(dir / "src/a.mp3", "a");
    writeFile(dir / "src/b.mp3", "b");
    library.groupKeys = {{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}};
    BlockingPlacement held;
    hooks.placeFile = held.hook([](int, int, output::PlacementContext &context) {
        writeFile(context.destinationPath, "copy");
        return 0;
    });
    Organizer running(session, sink, hooks);
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);
    ASSERT_TRUE(running.start(options));
    ASSERT_TRUE(held.waitUntilEntered(10s));
    held.releaseAfter(50ms);
    const CancelResult result = cancelSession(running, abortQuestion, undo);
    EXPECT_EQ(result.abort.outcome, AbortOutcome::Finished);
    EXPECT_EQ(undo.asked, (std::vector<std::u16string>{kAskDeleteEverything, kAskDeleteSessionFiles}));
    EXPECT_TRUE(undo.shown.empty());
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Alpha/", "Alpha/a.mp3"}));
    running.handleRunEnded(0ms);
}

// No to the abort question: the run goes on and Cancel is refused without touching anything.
TEST_F(SessionUndo, RefusedWhileTheRunGoesOn)
{
    writeFile(dir / "src/a.mp3", "a");
    library.groupKeys = {{"a.mp3", u"Alpha"}};
    BlockingPlacement held;
    hooks.placeFile = held.hook([](int, int, output::PlacementContext &context) {
        writeFile(context.destinationPath, "copy");
        return 0;
    });
    Organizer running(session, sink, hooks);
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);
    ASSERT_TRUE(running.start(options));
    ASSERT_TRUE(held.waitUntilEntered(10s));
    abortQuestion.yes = false;
    undo.everything = true;
    const CancelResult result = cancelSession(running, abortQuestion, undo);
    EXPECT_EQ(result.outcome, CancelOutcome::RunActive);
    EXPECT_TRUE(undo.asked.empty());
    EXPECT_TRUE(undo.shown.empty());
    held.release();
    ASSERT_TRUE(running.waitFinished(10s));
    running.handleRunEnded(0ms);
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Alpha/", "Alpha/a.mp3"}));
}

// A run that created only the destination (nothing loaded): Cancel removes it with its own
// message and no count.
TEST_F(SessionUndo, OnlyTheMainDirectory)
{
    writeFile(dir / "src/a.mp3", "a");   // its loader fails: nothing is placed
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);
    ASSERT_TRUE(organizer().start(options));
    ASSERT_TRUE(organizer().waitFinished(10s));
    organizer().handleRunEnded(0ms);
    cancel();
    EXPECT_TRUE(undo.asked.empty());
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Main Directory removed..."}));
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_EQ(session.mainDirectory, dir / "dst");   // the string keeps its value
    EXPECT_TRUE(session.mainDirectoryList.back().empty());
    undo = ScriptedUndo{};
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Nothing to cancel!"}));
}

// Links are never followed: a created folder replaced by a link to another folder is not
// entered, and a link inside a created folder is removed itself, never its target.
TEST_F(SessionUndo, LinksAreNotFollowed)
{
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#endif
    fs::create_directories(dir / "dst");
    runTwoFoldersFiveFiles();
    writeFile(dir / "outside/precious.txt", "keep");
    writeFile(dir / "outside/folder/inner.txt", "keep");
    fs::create_symlink(dir / "outside/precious.txt", dir / "dst/Alpha/link to file");
    fs::create_directory_symlink(dir / "outside/folder", dir / "dst/Alpha/link to folder");
    fs::remove_all(dir / "dst/Beta");
    fs::create_directory_symlink(dir / "outside", dir / "dst/Beta");
    undo.everything = true;
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"5 files deleted in 1 directories removed..."}));
    EXPECT_EQ(readFile(dir / "outside/precious.txt"), "keep");
    EXPECT_EQ(readFile(dir / "outside/folder/inner.txt"), "keep");
    EXPECT_FALSE(fs::exists(dir / "dst/Alpha"));
    EXPECT_TRUE(fs::is_symlink(dir / "dst/Beta"));
}

// Cancel deletes only what the session made, known by identity, and takes back a run that
// created no folder all the same (asking only about its files).
TEST_F(SessionUndo, CancelTakesBackExactlyWhatTheSessionMade)
{
    const auto nothing = [](const fs::path &) {};
    const auto replaceByOwn = [](const char *name) {
        return [name](const fs::path &dst) {
            fs::remove(dst / name);
            writeFile(dst / name, "the user's own");
        };
    };
    struct Case {
        const char *what;
        std::map<std::string, std::u16string> files;
        std::function<void(const fs::path &dst)> afterRun;   // what the user did meanwhile
        bool everything;                                     // the answer to the first question
        std::vector<std::u16string> asked;
        std::string shown;
        std::vector<std::string> left;
    };
    const std::vector<Case> cases = {
        {"files put into a folder that existed", {{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}}, nothing, false,
         {kAskDeleteSessionFiles}, "2 files deleted...", {"Alpha/", "Alpha/mine.txt"}},
        {"the same, whatever the user would answer about deleting everything",
         {{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}}, nothing, true, {kAskDeleteSessionFiles}, "2 files deleted...",
         {"Alpha/", "Alpha/mine.txt"}},
        {"a copy in a folder that existed, replaced by the user's own", {{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}},
         replaceByOwn("Alpha/a1.mp3"), false, {kAskDeleteSessionFiles}, "1 files deleted...",
         {"Alpha/", "Alpha/a1.mp3", "Alpha/mine.txt"}},
        {"a copy in a created folder, replaced by the user's own", {{"b1.mp3", u"Beta"}, {"b2.mp3", u"Beta"}},
         replaceByOwn("Beta/b1.mp3"), false, {kAskDeleteEverything, kAskDeleteSessionFiles}, "1 files deleted...",
         {"Alpha/", "Alpha/mine.txt", "Beta/", "Beta/b1.mp3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "src");
        fs::remove_all(dir / "dst");
        library.groupKeys.clear();
        writeFile(dir / "dst/Alpha/mine.txt", "the user's");
        run(c.files);
        for (const auto &[name, group] : c.files)
            ASSERT_TRUE(fs::exists(dir / "dst" / fs::path(group) / name)) << name;
        c.afterRun(dir / "dst");
        undo = ScriptedUndo{};
        undo.everything = c.everything;
        undo.sessionFiles = true;
        cancel();
        EXPECT_EQ(undo.asked, c.asked);
        EXPECT_EQ(undo.shown, (std::vector<std::string>{c.shown}));
        EXPECT_EQ(listTree(dir / "dst"), c.left);
        for (const char *own : {"Alpha/a1.mp3", "Beta/b1.mp3"}) {
            if (fs::exists(dir / "dst" / own)) {
                EXPECT_EQ(readFile(dir / "dst" / own), "the user's own");
            }
        }
    }
}

// The undo walk on lists alone: blank entries are skipped, a folder entry that is now a file is
// never deleted, and fewer session folders than run folders asks nothing.
TEST_F(SessionUndo, ListEdgeCases)
{
    writeFile(dir / "dst/NowAFile", "a file where a created folder was");
    std::vector<fs::path> folders{fs::path(), dir / "dst/NowAFile"};
    std::vector<fs::path> heads;
    std::vector<fs::path> files{fs::path()};
    fs::path main;
    undo.everything = true;
    EXPECT_EQ(undoCreated({folders, 2, heads, files, main}, undo, false).message, u"Nothing to cancel!");
    EXPECT_EQ(readFile(dir / "dst/NowAFile"), "a file where a created folder was");
    undo.everything = false;
    undo.sessionFiles = true;
    undo.asked.clear();
    EXPECT_EQ(undoCreated({folders, 2, heads, files, main}, undo, false).message, u"Nothing to cancel!");
    EXPECT_EQ(readFile(dir / "dst/NowAFile"), "a file where a created folder was");

    undo.asked.clear();
    const UndoReport fewer = undoCreated({folders, 3, heads, files, main}, undo, true);
    EXPECT_TRUE(undo.asked.empty());
    EXPECT_TRUE(fewer.message.empty());   // user aborted: no "Nothing to cancel!"
}

// Each question carries what its Yes would take back, counted before anything is touched: the
// count is what the undo then does.
TEST_F(SessionUndo, EachQuestionSaysWhatItsYesTakes)
{
    const auto nothing = [](const fs::path &) {};
    struct Case {
        const char *what;
        bool destinationExists;
        std::function<void(const fs::path &dst)> afterRun;   // what the user did meanwhile
        bool everything;                                     // the answer to the first question
        UndoTake everythingTake;
        UndoTake sessionFilesTake;                           // asked only after No to the first
    };
    const std::vector<Case> cases = {
        {"created destination, everything", false, nothing, true, {5, 3, 0, 0, 0}, {}},
        {"created destination, session files", false, nothing, false, {5, 3, 0, 0, 0}, {5, 3, 0, 0, 0}},
        {"a file of the user's in a created folder", true,
         [](const fs::path &dst) { writeFile(dst / "Alpha/mine.txt", "the user's"); }, false, {6, 2, 1, 0, 0},
         {5, 1, 0, 0, 0}},
        {"a folder of the user's in a created folder (never entered)", true,
         [](const fs::path &dst) { writeFile(dst / "Alpha/sub/mine.txt", "the user's"); }, true, {5, 1, 0, 0, 0}, {}},
        {"a copy the user replaced by a file of their own", true,
         [](const fs::path &dst) {
             fs::remove(dst / "Beta/b1.mp3");
             writeFile(dst / "Beta/b1.mp3", "the user's own");
         },
         false, {5, 2, 1, 0, 0}, {4, 1, 0, 0, 0}},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        forgetSession();
        library.groupKeys.clear();
        destination = dir / ("dst" + std::to_string(round++));
        if (c.destinationExists)
            fs::create_directories(destination);
        runTwoFoldersFiveFiles();
        c.afterRun(destination);
        undo = ScriptedUndo{};
        undo.everything = c.everything;
        undo.sessionFiles = true;
        const CancelResult result = cancel();
        std::vector<UndoTake> takes{c.everythingTake};
        if (!c.everything)
            takes.push_back(c.sessionFilesTake);
        EXPECT_EQ(undo.takes, takes);
        const UndoTake &answered = undo.takes.back();
        EXPECT_EQ(result.undo.filesDeleted, answered.files);
        EXPECT_EQ(result.undo.foldersRemoved, answered.folders);
    }
}

// Replaced files: put back or left in the kept folder by the session-files answer, deleted from
// it by the everything answer when their place was in a created folder; the counts come first.
TEST_F(SessionUndo, CountsOfReplacedFilesComeBeforeTheQuestion)
{
    const fs::path dst = dir / "dst";
    const fs::path kept = dst / ".tunvale-kept/t";
    const auto made = [](const fs::path &path) {
        CreatedRecord record;
        record.path = path;
        record.identity = formats::io::identityOf(path);
        return record;
    };
    const auto keptRecord = [](const fs::path &path, const fs::path &keptAt) {
        CreatedRecord record;
        record.path = path;
        record.keptAt = keptAt;
        record.identity = formats::io::identityOf(keptAt);
        return record;
    };
    struct Case {
        const char *what;
        bool folderCreated;   // dst/A was created by the session
        UndoTake take;        // of the answer given: everything when the folder was created
    };
    const std::vector<Case> cases = {
        {"folder that existed: session files", false, {1, 0, 0, 1, 1}},
        {"created folder: everything", true, {4, 1, 1, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dst);
        // x.mp3 replaced by the run; y.mp3 replaced too, then the run's copy replaced by the user.
        writeFile(kept / "A/x.mp3", "the user's x");
        writeFile(kept / "A/y.mp3", "the user's y");
        writeFile(dst / "A/x.mp3", "the run's x");
        writeFile(dst / "A/y.mp3", "the run's y");
        std::vector<CreatedRecord> created{keptRecord(dst / "A/x.mp3", kept / "A/x.mp3"), made(dst / "A/x.mp3"),
                                           keptRecord(dst / "A/y.mp3", kept / "A/y.mp3"), made(dst / "A/y.mp3")};
        fs::remove(dst / "A/y.mp3");
        writeFile(dst / "A/y.mp3", "the user's new y");
        std::vector<fs::path> folders;
        if (c.folderCreated)
            folders.push_back(dst / "A");
        std::vector<fs::path> heads;
        std::vector<fs::path> files{dst / "A/x.mp3", dst / "A/y.mp3"};
        fs::path main;
        const UndoLists lists{folders, folders.size(), heads, files, main, &created};
        const UndoPreview preview = previewUndo(lists);
        EXPECT_EQ(c.folderCreated ? preview.everything : preview.sessionFiles, c.take);

        undo = ScriptedUndo{};
        undo.everything = true;
        undo.sessionFiles = true;
        const UndoReport report = undoCreated(lists, undo, false);
        ASSERT_EQ(undo.takes.size(), 1u);
        EXPECT_EQ(undo.takes[0], c.take);
        EXPECT_EQ(report.filesDeleted, c.take.files);
        EXPECT_EQ(report.foldersRemoved, c.take.folders);
        EXPECT_EQ(report.originalsRestored, c.take.originalsRestored);
        EXPECT_EQ(static_cast<std::int32_t>(report.originalsKept.size()), c.take.originalsKept);
        if (!c.folderCreated) {
            EXPECT_EQ(readFile(dst / "A/x.mp3"), "the user's x");
            EXPECT_EQ(readFile(dst / "A/y.mp3"), "the user's new y");
            EXPECT_EQ(readFile(kept / "A/y.mp3"), "the user's y");
        } else {
            EXPECT_FALSE(fs::exists(dst / "A"));
            EXPECT_FALSE(fs::exists(dst / ".tunvale-kept"));
        }
    }
}

// Once nothing of what the session made is left, no question is asked: "Nothing to cancel!".
TEST_F(SessionUndo, NoQuestionWhenNothingIsLeft)
{
    struct Case {
        const char *what;
        std::function<void(const fs::path &dst)> meanwhile;
    };
    const std::vector<Case> cases = {
        {"a second Cancel after everything was deleted", [](const fs::path &) {}},
        {"the user deleted the folders by hand", [](const fs::path &dst) {
             fs::remove_all(dst / "Alpha");
             fs::remove_all(dst / "Beta");
         }},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        forgetSession();
        library.groupKeys.clear();
        destination = dir / ("dst" + std::to_string(round++));
        fs::create_directories(destination);
        runTwoFoldersFiveFiles();
        if (round == 1) {
            undo.everything = true;
            cancel();
            ASSERT_EQ(undo.shown, (std::vector<std::string>{"5 files deleted in 2 directories removed..."}));
        }
        c.meanwhile(destination);
        undo = ScriptedUndo{};
        undo.everything = true;
        undo.sessionFiles = true;
        cancel();
        EXPECT_TRUE(undo.asked.empty());
        EXPECT_EQ(undo.shown, (std::vector<std::string>{"Nothing to cancel!"}));
    }
}

// A destination created with its missing parent is taken back whole, deepest folder first,
// whichever way the questions are answered, and also when the run placed nothing.
TEST_F(SessionUndo, DestinationCreatedWithItsParentIsUndoneCompletely)
{
    struct Case {
        const char *what;
        bool everything;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"everything", true, "5 files deleted in 4 directories removed..."},
        {"session files", false, "5 files deleted in 4 directories removed..."},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        forgetSession();
        library.groupKeys.clear();
        const fs::path top = dir / ("new" + std::to_string(round++));
        destination = top / "dst";
        runTwoFoldersFiveFiles();
        EXPECT_EQ(session.mainDirectoryList, (std::vector<fs::path>{top, destination}));
        undo = ScriptedUndo{};
        undo.everything = c.everything;
        undo.sessionFiles = true;
        cancel();
        EXPECT_EQ(undo.shown, (std::vector<std::string>{c.shown}));
        EXPECT_FALSE(fs::exists(top));
        EXPECT_TRUE(fs::is_directory(dir.path()));
        EXPECT_EQ(readFile(dir / "src/a1.mp3"), "source a1.mp3");
    }

    // Nothing placed: only the folders made for the destination, removed with their message.
    forgetSession();
    library.groupKeys.clear();
    fs::remove_all(dir / "src");
    writeFile(dir / "src/a.mp3", "a");   // its loader fails: nothing is placed
    destination = dir / "bare/dst";
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", destination, sink, yes).status, PrepareStatus::Ready);
    ASSERT_TRUE(organizer().start(options));
    ASSERT_TRUE(organizer().waitFinished(10s));
    organizer().handleRunEnded(0ms);
    undo = ScriptedUndo{};
    cancel();
    EXPECT_TRUE(undo.asked.empty());
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Main Directory removed..."}));
    EXPECT_FALSE(fs::exists(dir / "bare"));
    EXPECT_EQ(session.mainDirectoryList, (std::vector<fs::path>{fs::path(), fs::path()}));
}

// After an undo that took something back the status line tells it, in the undo's colour; one
// that found nothing leaves the run's summary.
TEST_F(SessionUndo, StatusLineReportsTheUndo)
{
    fs::create_directories(dir / "dst");
    runTwoFoldersFiveFiles();
    undo.everything = true;
    cancel();
    ASSERT_FALSE(sink.of(testing::Notice::Status).empty());
    const auto last = sink.of(testing::Notice::Status).back();
    EXPECT_EQ(text::utf16ToUtf8(last.text), "5 files deleted in 2 directories removed...");
    EXPECT_EQ(last.colour, output::colour::kLightRed);
    EXPECT_EQ(text::utf16ToUtf8(session.statusText), "5 files deleted in 2 directories removed...");

    undo = ScriptedUndo{};
    cancel();
    EXPECT_EQ(undo.shown, (std::vector<std::string>{"Nothing to cancel!"}));
    EXPECT_EQ(text::utf16ToUtf8(sink.of(testing::Notice::Status).back().text), "");
    EXPECT_EQ(text::utf16ToUtf8(session.statusText), "5 files deleted in 2 directories removed...");
}

} // namespace
} // namespace tunvale::engine
