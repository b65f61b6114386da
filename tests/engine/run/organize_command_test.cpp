#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "catalog/text/codepage.h"
#include "engine/engine_fakes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using testing::FakeLibrary;
using testing::FakePlacement;
using testing::Notice;
using testing::RecordingSink;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

struct Answer : OrganizeQuestions {
    bool yes = true;
    int asked = 0;
    bool createMissingDestination(const fs::path &) override
    {
        ++asked;
        return yes;
    }
};

class OrganizeCommand : public ::testing::Test {
protected:
    PrepareOutcome prepare(const fs::path &source, const fs::path &destination)
    {
        return prepareOrganize(session, options, source, destination, sink, answer);
    }

    TempDir dir;
    SessionState session;
    RunOptions options;
    RecordingSink sink;
    Answer answer;
};

TEST_F(OrganizeCommand, RefusalsWithTheirTexts)
{
    writeFile(dir / "src/a.mp3", "x");
    writeFile(dir / "empty/readme.txt", "x");
    writeFile(dir / "file.mp3", "x");
    struct Case {
        fs::path source, destination;
        PrepareStatus status;
        std::string message;
        std::string word;
        FolderField field;
    };
    const std::vector<Case> cases = {
        {"", dir / "dst", PrepareStatus::NoSource, "Please define a valid Source folder", "Warning",
         FolderField::Source},
        {dir / "absent", dir / "dst", PrepareStatus::SourceMissing, "Sorry, the source Folder doesn't exist!",
         "Warning", FolderField::Source},
        {dir / "file.mp3", dir / "dst", PrepareStatus::SourceMissing, "Sorry, the source Folder doesn't exist!",
         "Warning", FolderField::Source},
        {dir / "src", "", PrepareStatus::NoDestination, "Please define a valid Destination folder", "Error",
         FolderField::Destination},
        {dir / "src", dir / "file.mp3/below", PrepareStatus::DestinationNotCreated,
         "Sorry. Could not create directory \"" + (dir / "file.mp3/below").string() + "\".", "Error",
         FolderField::Destination},
        {dir / "src", dir / "file.mp3", PrepareStatus::DestinationNotCreated,
         "Sorry. Could not create directory \"" + (dir / "file.mp3").string() + "\".", "Error",
         FolderField::Destination},
        {dir / "empty", dir / "src", PrepareStatus::NoFiles, "Sorry, found no audio files that could be sorted!",
         "Warning", FolderField::None},
        // Refused before the missing destination is asked for or made.
        {dir / "empty", dir / "no/parent", PrepareStatus::NoFiles, "Sorry, found no audio files that could be sorted!",
         "Warning", FolderField::None},
    };
    for (const Case &c : cases) {
        const PrepareOutcome outcome = prepare(c.source, c.destination);
        EXPECT_EQ(outcome.status, c.status) << c.message;
        EXPECT_EQ(text::utf16ToUtf8(outcome.message), c.message);
        EXPECT_EQ(text::utf16ToUtf8(outcome.statusWord), c.word) << c.message;
        EXPECT_EQ(outcome.statusColour, c.word == "Error" ? output::colour::kRed : output::colour::kYellow);
        EXPECT_EQ(outcome.field, c.field) << c.message;
    }
    EXPECT_EQ(answer.asked, 2); // the two destinations below a file, never for a source without audio
    EXPECT_FALSE(fs::exists(dir / "no"));
    EXPECT_FALSE(fs::exists(dir / "file.mp3/below"));
    EXPECT_TRUE(session.mainDirectory.empty());
    EXPECT_TRUE(session.mainDirectoryList.empty());
}

// A destination several levels below the nearest existing folder: asked once, then created
// whole; every level made is listed, outermost first, and the destination is the main
// directory.
TEST_F(OrganizeCommand, MissingDestinationCreatedWithItsMissingParents)
{
    writeFile(dir / "src/a.mp3", "x");
    struct Case {
        const char *what;
        fs::path destination;
        std::vector<fs::path> made;
    };
    const std::vector<Case> cases = {
        {"two levels", dir / "new/dst", {dir / "new", dir / "new/dst"}},
        {"three levels, named with a trailing separator", dir / "deep/er/dst/",
         {dir / "deep", dir / "deep/er", dir / "deep/er/dst"}},
        {"one level below an existing folder", dir / "src/out", {dir / "src/out"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        session.mainDirectoryList.clear();
        session.mainDirectory.clear();
        answer.asked = 0;
        const PrepareOutcome outcome = prepare(dir / "src", c.destination);
        EXPECT_EQ(outcome.status, PrepareStatus::Ready);
        EXPECT_TRUE(outcome.destinationCreated);
        EXPECT_EQ(answer.asked, 1);
        EXPECT_TRUE(fs::is_directory(c.destination));
        EXPECT_EQ(session.mainDirectoryList, c.made);
        EXPECT_EQ(session.mainDirectory, c.made.back());
    }
}

TEST_F(OrganizeCommand, MissingDestinationCreatedOneLevelWhenAccepted)
{
    writeFile(dir / "src/a.mp3", "x");
    writeFile(dir / "src/sub/b.WAV", "x");
    const PrepareOutcome outcome = prepare(dir / "src", dir / "dst");
    EXPECT_EQ(outcome.status, PrepareStatus::Ready);
    EXPECT_TRUE(outcome.destinationCreated);
    EXPECT_EQ(answer.asked, 1);
    EXPECT_TRUE(fs::is_directory(dir / "dst"));
    EXPECT_EQ(session.mainDirectory, dir / "dst");
    EXPECT_EQ(session.mainDirectoryList, (std::vector<fs::path>{dir / "dst"}));
    EXPECT_EQ(session.sourceFiles, (std::vector<fs::path>{dir / "src/a.mp3", dir / "src/sub/b.WAV"}));
    EXPECT_EQ(session.fileCursor, 0u);
    EXPECT_EQ(session.progressRange, 16);
    EXPECT_EQ(session.progressPosition, 1);
    EXPECT_EQ(session.criterionCode, 1);
    const auto progress = sink.of(Notice::Progress);
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress[0].position, 1);
    EXPECT_EQ(progress[0].range, 16);
    const auto statuses = sink.of(Notice::Status);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back().colour, output::colour::kLightGreen);
    EXPECT_EQ(text::utf16ToUtf8(statuses.back().text), "PLease Wait...");
}

TEST_F(OrganizeCommand, DeclinedDestinationStartsNothing)
{
    writeFile(dir / "src/a.mp3", "x");
    answer.yes = false;
    const PrepareOutcome outcome = prepare(dir / "src", dir / "dst");
    EXPECT_EQ(outcome.status, PrepareStatus::DestinationDeclined);
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_TRUE(session.mainDirectoryList.empty());
}

// A run starts with a catalog of its own: nothing an earlier run loaded is there.
TEST_F(OrganizeCommand, ClearsTheRecordsAndTakesTheCriterionAndFormats)
{
    writeFile(dir / "src/a.mp3", "x");
    writeFile(dir / "src/b.flac", "x");
    fs::create_directory(dir / "dst");
    std::vector<std::size_t> entriesSeen; // the catalog's size at each loader call
    RunHooks hooks;
    const LoaderFn loader = [&](const fs::path &path, int, const catalog::LoadOptions &, catalog::Catalog &catalog) {
        entriesSeen.push_back(catalog.size());
        catalog.append(std::make_unique<catalog::CMetaDat>(path, u"Old"));
        return formats::ReadResult::success();
    };
    hooks.addLoader(u".mp3", testing::format("mp3"), loader);
    hooks.addLoader(u".flac", testing::format("flac"), loader);
    hooks.placeFile = [](int, int, output::PlacementContext &) { return 0; };
    Organizer organizer(session, sink, hooks);
    const auto runOnce = [&] {
        ASSERT_TRUE(organizer.start(options));
        ASSERT_TRUE(organizer.waitFinished(std::chrono::seconds(10)));
        organizer.handleRunEnded(std::chrono::milliseconds(0));
    };
    ASSERT_EQ(prepare(dir / "src", dir / "dst").status, PrepareStatus::Ready);
    runOnce();
    EXPECT_EQ(entriesSeen, (std::vector<std::size_t>{0, 1}));

    entriesSeen.clear();
    options.tagId = tag_id::kDecade;
    options.formatFlags.at("mp3") = 0;
    const PrepareOutcome outcome = prepare(dir / "src", dir / "dst");
    EXPECT_EQ(outcome.status, PrepareStatus::Ready);
    EXPECT_FALSE(outcome.destinationCreated);
    EXPECT_EQ(answer.asked, 0);
    EXPECT_EQ(session.criterionCode, 1007);
    EXPECT_EQ(session.sourceFiles, (std::vector<fs::path>{dir / "src/b.flac"}));
    runOnce();
    EXPECT_EQ(entriesSeen, (std::vector<std::size_t>{0}));
}

// A whole run on the worker thread, ended through the front end's end-of-run handler.
TEST_F(OrganizeCommand, OrganizerRunsTheWorkerOnItsThread)
{
    writeFile(dir / "src/a.mp3", "x");
    writeFile(dir / "src/b.mp3", "x");
    writeFile(dir / "src/c.mp3", "x");
    ASSERT_EQ(prepare(dir / "src", dir / "dst").status, PrepareStatus::Ready);

    FakeLibrary library;
    library.groupKeys = {{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}, {"c.mp3", u"Alpha"}};
    FakePlacement placement;
    RunHooks hooks;
    hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
    hooks.placeFile = placement.hook();
    Organizer organizer(session, sink, hooks);
    EXPECT_FALSE(organizer.isActive());
    ASSERT_TRUE(organizer.start(options));
    EXPECT_TRUE(organizer.isActive());
    EXPECT_FALSE(organizer.start(options));   // one run at a time
    ASSERT_TRUE(organizer.waitFinished(std::chrono::seconds(10)));
    const RunSummary summary = organizer.handleRunEnded(std::chrono::milliseconds(0));
    EXPECT_FALSE(organizer.isActive());
    EXPECT_EQ(text::utf16ToUtf8(summary.line), "Done: on 3 files, 3 are copied in 1 folder");
    EXPECT_EQ(placement.calls.size(), 3u);
    EXPECT_EQ(sink.of(Notice::RunEnded).size(), 1u);
}

TEST_F(OrganizeCommand, AbortRequestStopsTheWorkerBetweenFiles)
{
    writeFile(dir / "src/a.mp3", "x");
    writeFile(dir / "src/b.mp3", "x");
    ASSERT_EQ(prepare(dir / "src", dir / "dst").status, PrepareStatus::Ready);

    ManualResetEvent loading;
    ManualResetEvent proceed;
    RunHooks hooks;
    int loads = 0;
    hooks.addLoader(u".mp3", testing::format("mp3"),
                    [&](const fs::path &, int, const catalog::LoadOptions &, catalog::Catalog &) {
                        ++loads;
                        loading.set();
                        proceed.wait(); // the first file is in progress while the abort is requested
                        return formats::ReadResult::failure(formats::ReadStatus::NotThisFormat);
                    });
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options));
    ASSERT_TRUE(loading.waitFor(std::chrono::seconds(10)));
    organizer.requestAbort();
    EXPECT_FALSE(organizer.waitFinished(std::chrono::milliseconds(20)));   // not interrupted inside a file
    proceed.set();
    ASSERT_TRUE(organizer.waitFinished(std::chrono::seconds(10)));
    const RunSummary summary = organizer.handleRunEnded(std::chrono::milliseconds(0));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(text::utf16ToUtf8(summary.line), "Aborting: Nothing done!");
    EXPECT_EQ(session.userAborted, 0);
}

} // namespace
} // namespace tunvale::engine
