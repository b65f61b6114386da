#include "catalog/text/codepage.h"
#include "engine/plan/file_name_sorted_paths.h"
#include "engine/run/organize_worker.h"
#include "engine/session/run_summary.h"
#include "engine/engine_fakes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using testing::FakeLibrary;
using testing::FakePlacement;
using testing::Notice;
using testing::RecordingSink;

std::string utf8(const std::u16string &text) { return std::string(text.begin(), text.end()); }

// A run over fake files named in order; each name maps to its group key in the library.
class WorkerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        destination = dir / "dest";
        fs::create_directory(destination);
        session.destinationFolder = destination;
        session.criterionCode = catalog::criterion::kArtist;
        hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
        hooks.placeFile = placement.hook();
        // Kept names: the tests follow the sort by file name unless they turn renaming on.
        options.newFileNames = 0;
    }

    // Lists files (name, group key); a key of nullptr leaves the file unloadable.
    void files(std::vector<std::pair<std::string, const char16_t *>> list)
    {
        for (auto &[name, key] : list) {
            session.sourceFiles.push_back(dir / "src" / name);
            if (key)
                library.groupKeys[name] = key;
        }
        session.progressRange = static_cast<std::int32_t>(8 * session.sourceFiles.size());
        session.progressPosition = 1;
    }

    RunSummary run()
    {
        lastRun = std::make_unique<OrganizeRun>(
            OrganizeRun{session, options, sink, hooks, control,
                        WorkerPauses{std::chrono::milliseconds(0), std::chrono::milliseconds(0)}});
        EXPECT_EQ(runOrganizeWorker(*lastRun), 0);
        EXPECT_TRUE(control.finished.isSet());
        EXPECT_EQ(sink.of(Notice::RunEnded).size(), 1u);
        EXPECT_EQ(session.runCompleted, 1);
        return writeSummary(session, sink, std::chrono::milliseconds(0));
    }

    std::vector<std::string> placedNames() const
    {
        std::vector<std::string> names;
        for (const auto &call : placement.calls)
            names.push_back(call.destination.lexically_relative(destination).generic_string());
        return names;
    }

    tunvale::testing::TempDir dir;
    fs::path destination;
    SessionState session;
    RunOptions options;
    RunHooks hooks;
    RunControl control;
    RecordingSink sink;
    FakeLibrary library;
    FakePlacement placement;
    std::unique_ptr<OrganizeRun> lastRun; // the run last made, with its catalog
};

TEST_F(WorkerRun, WithNoLoaderNothingIsDone)
{
    files({{"a.mp3", u"Alpha"}, {"b.flac", u"Beta"}});
    hooks.loaders.clear();
    const RunSummary summary = run();
    EXPECT_EQ(utf8(summary.line), "Done: Nothing done!");
    EXPECT_EQ(session.filesLoaded, 0);
    EXPECT_TRUE(placement.calls.empty());
    // Each file still announced in the loading phase, in list order.
    std::vector<std::string> loading;
    for (const Notice &n : sink.of(Notice::Status))
        if (n.text.starts_with(u"Loading: "))
            loading.push_back(utf8(n.text));
    EXPECT_EQ(loading, (std::vector<std::string>{"Loading: a.mp3", "Loading: b.flac"}));
}

TEST_F(WorkerRun, LoadersCalledByExtensionWithoutRegardToCaseAndOnlyForTickedFormats)
{
    files({{"a.MP3", u"Alpha"}, {"b.Mp3", u"Alpha"}, {"c.wav", u"Alpha"}, {"d.mp3s", u"Alpha"}});
    int wavCalls = 0;
    hooks.addLoader(u".wav", testing::format("wav"),
                    [&](const fs::path &, int, const catalog::LoadOptions &, catalog::Catalog &) {
                        ++wavCalls;
                        return formats::ReadResult::failure(formats::ReadStatus::NotThisFormat);
                    });
    options.formatFlags.at("wav") = 0;
    run();
    EXPECT_EQ(library.loadCalls.size(), 2u);
    EXPECT_EQ(wavCalls, 0);
    EXPECT_EQ(session.filesLoaded, 2);
}

// Each file a loader refused is recorded with the loader's reason, or its status when it gave
// none; the list is the current run's only.
TEST_F(WorkerRun, RefusedFilesAreListedAsSkippedWithTheirReason)
{
    files({{"a.mp3", u"Alpha"}, {"b.wav", nullptr}, {"c.wav", nullptr}});
    hooks.addLoader(u".wav", testing::format("wav"),
                    [](const fs::path &path, int, const catalog::LoadOptions &, catalog::Catalog &) {
                        if (path.filename() == "b.wav")
                            return formats::ReadResult::failure(formats::ReadStatus::CannotOpen, "not a regular file");
                        return formats::ReadResult::failure(formats::ReadStatus::NoMemory); // no reason given
                    });
    session.skippedFiles.push_back({dir / "left over", "from an earlier run"});
    run();
    ASSERT_EQ(session.skippedFiles.size(), 2u);
    EXPECT_EQ(session.skippedFiles[0].path, dir / "src" / "b.wav");
    EXPECT_EQ(session.skippedFiles[0].reason, "not a regular file");
    EXPECT_EQ(session.skippedFiles[1].path, dir / "src" / "c.wav");
    EXPECT_EQ(session.skippedFiles[1].reason, "out of memory"); // the status's own name
    EXPECT_EQ(session.filesLoaded, 1);
}

TEST_F(WorkerRun, GroupsPlacedInTheirFoldersSortedByFileName)
{
    files({{"zeta.mp3", u"Alpha"}, {"Beta.mp3", u"Alpha"}, {"other.mp3", u"Gamma"}, {"alpha.mp3", u"Alpha"},
           {"more.mp3", u"Gamma"}});
    const RunSummary summary = run();
    EXPECT_EQ(placedNames(), (std::vector<std::string>{"Alpha/alpha.mp3", "Alpha/Beta.mp3", "Alpha/zeta.mp3",
                                                       "Gamma/more.mp3", "Gamma/other.mp3"}));
    EXPECT_EQ(placement.calls[1].index, 2);
    EXPECT_EQ(placement.calls[1].count, 3);
    EXPECT_EQ(utf8(summary.line), "Done: on 5 files, 5 are copied in 2 folders");
    EXPECT_EQ(session.foldersCreatedInSession, (std::vector<fs::path>{destination / "Alpha", destination / "Gamma"}));
    EXPECT_EQ(session.foldersCreatedInRun.size(), 2u);
    EXPECT_EQ(session.filesCreatedInSession.size(), 5u);
    EXPECT_TRUE(fs::is_directory(destination / "Alpha"));
}

TEST_F(WorkerRun, ExistingFolderIsUsedButNotRecordedAsCreated)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}});
    fs::create_directory(destination / "Alpha");
    const RunSummary summary = run();
    EXPECT_TRUE(session.foldersCreatedInSession.empty());
    EXPECT_EQ(session.foldersUsed, 1);
    EXPECT_EQ(utf8(summary.line), "Done: on 2 files, 2 are copied in 1 folder");
}

struct MiscCase {
    const char *name;
    int criterion;
    int groupIsolated;
    std::vector<std::pair<std::string, const char16_t *>> files;
    std::vector<std::string> placed;
    int foldersUsed;
};

class MiscellaneousRule : public WorkerRun, public ::testing::WithParamInterface<MiscCase> {};

TEST_P(MiscellaneousRule, LoneFiles)
{
    const MiscCase &c = GetParam();
    session.criterionCode = c.criterion;
    options.groupIsolated = c.groupIsolated;
    files(c.files);
    run();
    EXPECT_EQ(placedNames(), c.placed);
    EXPECT_EQ(session.foldersUsed, c.foldersUsed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MiscellaneousRule,
    ::testing::Values(
        // One file in the whole run never goes to Miscellaneous.
        MiscCase{"single_file", catalog::criterion::kArtist, 1, {{"a.mp3", u"Alpha"}}, {"Alpha/a.mp3"}, 1},
        // Two groups of one file each: both in Miscellaneous, counted once.
        MiscCase{"two_lone_groups", catalog::criterion::kArtist, 1, {{"a.mp3", u"Alpha"}, {"b.mp3", u"Beta"}},
                 {"Miscellaneous/a.mp3", "Miscellaneous/b.mp3"}, 1},
        // A lone file beside a real group.
        MiscCase{"lone_beside_group", catalog::criterion::kAlbum, 1,
                 {{"a.mp3", u"Alpha"}, {"b.mp3", u"Beta"}, {"c.mp3", u"Alpha"}},
                 {"Alpha/a.mp3", "Alpha/c.mp3", "Miscellaneous/b.mp3"}, 2},
        // Year: lone files keep their own year folders.
        MiscCase{"year_code_5", catalog::criterion::kYear, 1, {{"a.mp3", u"Y1999"}, {"b.mp3", u"Y2001"}},
                 {"Y1999/a.mp3", "Y2001/b.mp3"}, 2},
        // Decade follows the rule like Artist.
        MiscCase{"decade_code_1007", catalog::criterion::kDecade, 1, {{"a.mp3", u"Eighties"}, {"b.mp3", u"Nineties"}},
                 {"Miscellaneous/a.mp3", "Miscellaneous/b.mp3"}, 1},
        // Option off: every group in its own folder.
        MiscCase{"isolated_off", catalog::criterion::kArtist, 0, {{"a.mp3", u"Alpha"}, {"b.mp3", u"Beta"}},
                 {"Alpha/a.mp3", "Beta/b.mp3"}, 2},
        // A second file that fails to load still counts for nothing: L = 1.
        MiscCase{"one_loaded_of_two", catalog::criterion::kArtist, 1, {{"a.mp3", u"Alpha"}, {"bad.mp3", nullptr}},
                 {"Alpha/a.mp3"}, 1}),
    [](const ::testing::TestParamInfo<MiscCase> &param) { return std::string(param.param.name); });

TEST_F(WorkerRun, GroupWithOnlyEmptyNewNamesPlacesNothingButCountsItsFolder)
{
    options.newFileNames = 1;
    hooks.trackFileName = [](const catalog::CMetaDat &, int, const output::PlacementOptions &) { return std::u16string(); };
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}});
    const RunSummary summary = run();
    EXPECT_TRUE(placement.calls.empty());
    EXPECT_TRUE(fs::is_directory(destination / "Alpha"));
    EXPECT_EQ(session.foldersUsed, 1);
    EXPECT_EQ(utf8(summary.line), "Done: on 2 files, 0 is copied in 1 folder");
    EXPECT_EQ(summary.countColour, output::colour::kLightRed);
}

TEST_F(WorkerRun, NewNamesKeepGroupOrderAndTakeLowerCaseExtension)
{
    options.newFileNames = 1;
    hooks.trackFileName = [](const catalog::CMetaDat &entry, int index, const output::PlacementOptions &) {
        return u"0" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u" - " + entry.Title;
    };
    files({{"zz.MP3", u"Alpha"}, {"aa.mp3", u"Alpha"}, {" -lost song.Mp3", u"Undefined"}, {"x.mp3", u"Undefined"}});
    run();
    EXPECT_EQ(placedNames(), (std::vector<std::string>{"Alpha/01 - zz.MP3.mp3", "Alpha/02 - aa.mp3.mp3",
                                                       "Undefined/Lost song.Mp3", "Undefined/X.mp3"}));
}

TEST(UndefinedFileName, TrimsSpacesAndHyphensAndCapitalises)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/s/ - track one.mp3", "Track one.mp3"},
        {"/s/-x-.wav", "X-.wav"},   // trailing: the name ends with the extension, not a hyphen
        {"/s/--", ""},
        {"/s/\xC3\xA9t\xC3\xA9.flac", "\xC3\x89t\xC3\xA9.flac"},
        {"/s/- \xD0\xBA\xD0\xB8\xD0\xBD\xD0\xBE.mp3", "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE.mp3"},   // кино: Кино
        {"/s/\xCE\xB1\xCE\xB2.mp3", "\xCE\x91\xCE\xB2.mp3"},   // αβ: Αβ
        {"/s/\xE5\x9D\x82\xE6\x9C\xAC.mp3", "\xE5\x9D\x82\xE6\x9C\xAC.mp3"},   // no case: kept
    };
    for (const auto &[path, expected] : cases) {
        const std::u16string name = undefinedFileName(fs::path(path));
        EXPECT_EQ(text::utf16ToUtf8(name), expected) << path;
    }
}

TEST(FileNameSortedPaths, SortsByUpperCaseInEveryScriptAndKeepsEqualNamesInOrder)
{
    FileNameSortedPaths paths;
    // b, Б (Cyrillic capital), "a", а (Cyrillic small), "B" in another folder, "A" (equal to "a").
    for (const char *path : {"/x/b.mp3", "/x/\xD0\x91.mp3", "/x/a.mp3", "/x/\xD0\xB0.mp3", "/y/B.mp3", "/y/A.mp3"})
        paths.add(path);
    paths.sortByFileName();
    std::vector<std::string> sorted;
    for (const fs::path &path : paths.items())
        sorted.push_back(path.string());
    EXPECT_EQ(sorted, (std::vector<std::string>{"/x/a.mp3", "/y/A.mp3", "/x/b.mp3", "/y/B.mp3",
                                                "/x/\xD0\xB0.mp3", "/x/\xD0\x91.mp3"}));
    EXPECT_EQ(compareFileNamesIgnoringCase("/x/\xD0\xB0.mp3", "/z/\xD0\x90.MP3"), 0);   // а and А
}

TEST_F(WorkerRun, FailureOnSecondFileLeavesTheRestOfItsGroupAndGoesOn)
{
    files({{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}, {"a3.mp3", u"Alpha"}, {"b1.mp3", u"Beta"},
           {"b2.mp3", u"Beta"}});
    placement.results["a2.mp3"] = 5;
    const RunSummary summary = run();
    EXPECT_EQ(placedNames(), (std::vector<std::string>{"Alpha/a1.mp3", "Alpha/a2.mp3", "Beta/b1.mp3", "Beta/b2.mp3"}));
    const auto messages = sink.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(text::utf16ToUtf8(messages[0]), "Access Denied for copying file \"" + (dir / "src" / "a2.mp3").string()
                                                  + "\" to \"" + (destination / "Alpha" / "a2.mp3").string() + "\"");
    // "Error" in red is posted before the message is shown.
    const auto all = sink.notices();
    const auto message = std::find_if(all.begin(), all.end(), [](const Notice &n) { return n.kind == Notice::Message; });
    ASSERT_NE(message, all.begin());
    EXPECT_EQ(std::prev(message)->kind, Notice::Status);
    EXPECT_EQ(std::prev(message)->colour, output::colour::kRed);
    EXPECT_EQ(utf8(std::prev(message)->text), "Error");
    EXPECT_EQ(session.flags.error, 1);
    EXPECT_EQ(session.filesCopied, 3);
    EXPECT_EQ(utf8(summary.line), "Error: on 5 files, 3 are copied in 2 folders");
    EXPECT_EQ(summary.finalColour, output::colour::kRed);
    EXPECT_EQ(session.filesCreatedInSession.size(), 3u);
}

TEST(PlaceFailureMessage, OneTextPerCode)
{
    const fs::path src = "/in/a.mp3";
    const fs::path dst = "/out/A/a.mp3";
    const std::vector<std::pair<int, std::string>> cases = {
        {2, "The file \"/in/a.mp3\" cannot be found"},
        {3, "The file \"/out/A/a.mp3\" path cannot be used"},
        {5, "Access Denied for copying file \"/in/a.mp3\" to \"/out/A/a.mp3\""},
        {82, "Sorry. Could not copy file \"/in/a.mp3\" to \"/out/A/a.mp3\": Error 82"},
        {-3, "Sorry. Could not copy file \"/in/a.mp3\" to \"/out/A/a.mp3\": Error -3"},
    };
    for (const auto &[code, text] : cases)
        EXPECT_EQ(text::utf16ToUtf8(placeFailureMessage(code, src, dst)), text) << code;
    EXPECT_EQ(text::utf16ToUtf8(folderFailureMessage("/out/X")), "Could not create directory \"/out/X\".");
}

// Told what became of the file, the message names the system's reason and says whether the
// file is there.
TEST(PlaceFailureMessage, SaysWhatBecameOfTheFileAndWhy)
{
    const fs::path src = "/in/a.wav";
    const fs::path dst = "/out/A/a.mp3";
    struct Case {
        int code;
        output::PlacementFailure failure;
        std::string text;
    };
    const std::vector<Case> cases = {
        {112, {false, false, 0},
         "Sorry. Could not copy file \"/in/a.wav\" to \"/out/A/a.mp3\": Error 112 (No space left on device). "
         "The file was not copied."},
        {112, {true, false, 0},
         "Sorry. Could not copy file \"/in/a.wav\" to \"/out/A/a.mp3\": Error 112 (No space left on device). "
         "The file was not converted."},
        {82, {true, false, 0},
         "Sorry. Could not copy file \"/in/a.wav\" to \"/out/A/a.mp3\": Error 82. The file was not converted."},
        {31, {false, false, 0},
         "Sorry. Could not copy file \"/in/a.wav\" to \"/out/A/a.mp3\": Error 31. The file was not copied."},
        {82, {false, true, 112},
         "Sorry. The file \"/in/a.wav\" was copied to \"/out/A/a.mp3\", but its tags could not be written: No "
         "space left on device."},
        {82, {true, true, 1117},
         "Sorry. The file \"/in/a.wav\" was converted to \"/out/A/a.mp3\", but its tags could not be written: "
         "Input/output error."},
        {82, {false, true, 0},
         "Sorry. The file \"/in/a.wav\" was copied to \"/out/A/a.mp3\", but its tags could not be written."},
        // The codes with texts of their own keep them.
        {2, {false, false, 0}, "The file \"/in/a.wav\" cannot be found"},
        {5, {false, false, 0}, "Access Denied for copying file \"/in/a.wav\" to \"/out/A/a.mp3\""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(text::utf16ToUtf8(placeFailureMessage(c.code, src, dst, &c.failure)), c.text) << c.code;
}

// A copy whose tags could not be written is the run's own file: it is recorded for undo, yet
// not counted as copied, and the message says it is there and why its tags failed.
TEST_F(WorkerRun, CopyWithoutItsTagsIsRecordedAndExplained)
{
    files({{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}, {"b1.mp3", u"Beta"}, {"b2.mp3", u"Beta"}});
    const PlaceFileFn recording = placement.hook();
    hooks.placeFile = [&](int index, int count, output::PlacementContext &context) {
        const int result = recording(index, count, context);
        if (context.sourcePath.filename() != "a1.mp3")
            return result;
        context.failure.writtenWithoutTags = true;
        context.failure.systemError = 112;
        return 82;
    };
    const RunSummary summary = run();
    const auto messages = sink.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(text::utf16ToUtf8(messages[0]),
              "Sorry. The file \"" + (dir / "src" / "a1.mp3").string() + "\" was copied to \""
                  + (destination / "Alpha" / "a1.mp3").string()
                  + "\", but its tags could not be written: No space left on device.");
    // The rest of its group is left, as after any failure.
    EXPECT_EQ(session.filesCreatedInSession,
              (std::vector<fs::path>{destination / "Alpha" / "a1.mp3", destination / "Beta" / "b1.mp3",
                                     destination / "Beta" / "b2.mp3"}));
    EXPECT_EQ(session.filesCopied, 2);
    EXPECT_EQ(utf8(summary.line), "Error: on 4 files, 2 are copied in 2 folders");
}

TEST_F(WorkerRun, FolderThatCannotBeCreatedEndsTheRun)
{
    files({{"a1.mp3", u"Alpha"}, {"a2.mp3", u"Alpha"}, {"b1.mp3", u"Beta"}, {"b2.mp3", u"Beta"}});
    // The destination vanished after the checks: its group folders cannot be created.
    session.destinationFolder = destination / "missing-parent";
    const RunSummary summary = run();
    EXPECT_TRUE(placement.calls.empty());
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(text::utf16ToUtf8(sink.messages()[0]),
              "Could not create directory \"" + (destination / "missing-parent" / "Alpha").string() + "\".");
    EXPECT_EQ(utf8(summary.line), "Error: on 4 files, 0 is copied in 1 folder");
}

TEST_F(WorkerRun, AbortBeforeALoadingFile)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}, {"c.mp3", u"Alpha"}});
    library.afterLoad["a.mp3"] = [this] { control.abort.set(); };
    const RunSummary summary = run();
    EXPECT_EQ(library.loadCalls.size(), 1u);
    EXPECT_TRUE(placement.calls.empty());
    EXPECT_EQ(session.flags.aborted, 1);
    // The loading phase was cut short before the counters were taken over.
    EXPECT_EQ(utf8(summary.line), "Aborting: Nothing done!");
    EXPECT_EQ(summary.finalColour, output::colour::kLightRed);
}

TEST_F(WorkerRun, AbortBeforeASeed)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}});
    library.afterLoad["b.mp3"] = [this] { control.abort.set(); };
    const RunSummary summary = run();
    EXPECT_EQ(library.loadCalls.size(), 2u);
    EXPECT_TRUE(placement.calls.empty());
    EXPECT_FALSE(fs::exists(destination / "Alpha"));
    EXPECT_EQ(utf8(summary.line), "Aborting: on 2 files, 0 is copied in 0 folder");
}

TEST_F(WorkerRun, AbortBeforeAFileOfAGroupTakesEffectAfterTheFileInProgress)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}, {"c.mp3", u"Beta"}, {"d.mp3", u"Gamma"}});
    placement.afterPlace["a.mp3"] = [this] { control.abort.set(); };
    const RunSummary summary = run();
    EXPECT_EQ(placedNames(), (std::vector<std::string>{"Alpha/a.mp3"}));
    EXPECT_EQ(utf8(summary.line), "Aborting: on 4 files, 1 is copied in 1 folder");
}

TEST_F(WorkerRun, AbortAfterMiscellaneousStillCountsThatFolder)
{
    // Beta and Gamma are lone files placed in Miscellaneous before Delta's group is aborted.
    files({{"b.mp3", u"Beta"}, {"c.mp3", u"Gamma"}, {"d1.mp3", u"Delta"}, {"d2.mp3", u"Delta"}});
    placement.afterPlace["d1.mp3"] = [this] { control.abort.set(); };
    const RunSummary summary = run();
    EXPECT_EQ(placedNames(), (std::vector<std::string>{"Miscellaneous/b.mp3", "Miscellaneous/c.mp3", "Delta/d1.mp3"}));
    EXPECT_EQ(utf8(summary.line), "Aborting: on 4 files, 3 are copied in 2 folders");
}

TEST_F(WorkerRun, ProgressIsRescaledAfterLoading)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", nullptr}, {"c.mp3", u"Alpha"}, {"d.mp3", nullptr}});
    run();
    const auto progress = sink.of(Notice::Progress);
    // Loading: positions 1..4 with no range; then the rescale: P = 5, R = 32, L = 2, T = 7:
    // range trunc(7 x 0.61) = 4, position trunc(7 / 32 x 5) = 1; then one step per placed file;
    // then the summary's full bar and empty bar.
    std::vector<std::pair<int, int>> seen;
    for (const Notice &n : progress)
        seen.emplace_back(n.position, n.range);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {1, 4}, {1, 0}, {2, 0}, {4, 0}, {0, 0}}));
}

// Beside the position notices, the worker tells each file as "n of N" of its phase and the
// run's share done, weighted by cost: loading 4 files (3 each) against placing them (1 each
// expected), then the 2 loaded files share the last quarter; a file's own progress (a long
// conversion) moves the share between two files.
TEST_F(WorkerRun, WorkReportsCountFilesAndWeighPhases)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", nullptr}, {"c.mp3", u"Alpha"}, {"d.mp3", nullptr}});
    PlaceFileFn fake = placement.hook();
    hooks.placeFile = [&](int index, int count, output::PlacementContext &context) {
        context.status->showFileProgress(0.5);
        context.status->showFileProgress(0.5);   // no change: not posted again
        return fake(index, count, context);
    };
    run();
    std::vector<std::tuple<RunPhase, int, int, int>> seen;
    for (const WorkProgress &w : sink.works())
        seen.emplace_back(w.phase, w.file, w.fileCount, w.permille);
    using T = std::tuple<RunPhase, int, int, int>;
    const std::vector<T> expected = {
        {RunPhase::Loading, 1, 4, 0},   {RunPhase::Loading, 2, 4, 187},  {RunPhase::Loading, 3, 4, 375},
        {RunPhase::Loading, 4, 4, 562}, {RunPhase::Placing, 0, 2, 750},  {RunPhase::Placing, 1, 2, 750},
        {RunPhase::Placing, 1, 2, 812}, {RunPhase::Placing, 2, 2, 875},  {RunPhase::Placing, 2, 2, 937},
    };
    EXPECT_EQ(seen, expected);
    // The position notices are those of the protocol, unchanged.
    EXPECT_EQ(sink.of(Notice::Progress).size(), 9u);
}

TEST_F(WorkerRun, StatusSequenceOfALoadingAndPlacement)
{
    files({{"a.mp3", u"Alpha"}});
    run();
    std::vector<std::pair<std::uint32_t, std::string>> statuses;
    for (const Notice &n : sink.of(Notice::Status))
        statuses.emplace_back(n.colour, utf8(n.text));
    const std::vector<std::pair<std::uint32_t, std::string>> expected = {
        {output::colour::kLightGreen, "Loading: a.mp3"},
        {output::colour::kLightBlue, ""},             // placement phase starts
        {output::colour::kLightBlue, ""},             // summary word colour: Done
        {output::colour::kLightGreen, ""},            // every loaded file copied
        {output::colour::kLightBlue, "Done: on 1 file, 1 is copied in 1 folder"},
    };
    EXPECT_EQ(statuses, expected);
}

// Tells a journal everything created, as it happens.
struct RecordingObserver : RunObserver {
    std::vector<std::string> events;
    void folderCreated(const fs::path &folder) override { events.push_back("folder " + folder.filename().string()); }
    void fileCreated(const fs::path &file) override { events.push_back("file " + file.filename().string()); }
};

TEST_F(WorkerRun, ObserverSeesEveryCreatedFolderAndFile)
{
    RecordingObserver observer;
    hooks.observer = &observer;
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}, {"c.mp3", u"Beta"}});
    placement.results["b.mp3"] = 2;
    run();
    EXPECT_EQ(observer.events, (std::vector<std::string>{"folder Alpha", "file a.mp3", "folder Miscellaneous", "file c.mp3"}));
}

TEST_F(WorkerRun, PlacementContextCarriesRunState)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}});
    options.fileReplace = 1;
    options.trackStep = 10;
    bool checked = false;
    hooks.placeFile = [&](int, int, output::PlacementContext &context) {
        EXPECT_TRUE(context.options.fileReplace);
        EXPECT_EQ(context.options.trackStep, 10);
        // The Miscellaneous counter and the status line reach the session and the sink (through
        // the worker's copy and gate, which drop them once a run is given up).
        EXPECT_NE(context.miscellaneousFiles, nullptr);
        if (context.miscellaneousFiles)
            ++*context.miscellaneousFiles;
        // The run's own catalog, which holds the file's entry.
        EXPECT_NE(context.catalog, nullptr);
        if (context.catalog) {
            EXPECT_NE(context.catalog->findByPath(context.sourcePath), nullptr);
        }
        EXPECT_NE(context.status, nullptr);
        if (context.status)
            context.status->showStatus(u"Copying: " + context.sourcePath.filename().u16string(), 0xC8FFC8);
        EXPECT_EQ(context.cancel, &control.giveUp);
        // Placement may change the destination (another iteration); the session keeps the change.
        context.destinationPath.replace_filename(context.sourcePath.stem().string() + " (1).mp3");
        checked = true;
        return 0;
    };
    run();
    EXPECT_TRUE(checked);
    EXPECT_EQ(session.filesCreatedInSession,
              (std::vector<fs::path>{destination / "Alpha" / "a (1).mp3", destination / "Alpha" / "b (1).mp3"}));
    EXPECT_EQ(session.miscellaneousFiles, 2);
    std::vector<std::u16string> shown;
    for (const Notice &n : sink.of(Notice::ShowStatus))
        shown.push_back(n.text);
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"Copying: a.mp3", u"Copying: b.mp3"}));
}

TEST_F(WorkerRun, LoaderClaimingSuccessWithoutAnEntryDoesNotOverrunTheCatalog)
{
    files({{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}, {"ghost.mp3", nullptr}});
    hooks.addLoader(
        u".mp3", testing::format("mp3"), [](const fs::path &p, int, const catalog::LoadOptions &, catalog::Catalog &) {
            // A faulty loader: success, no entry.
            return p.filename() == "ghost.mp3" ? formats::ReadResult::success()
                                               : formats::ReadResult::failure(formats::ReadStatus::NotThisFormat);
        });
    // The library's loader and the faulty one both see every file: 3 successes, 2 entries.
    const RunSummary summary = run();
    EXPECT_EQ(session.filesLoaded, 3);
    EXPECT_EQ(placement.calls.size(), 2u);
    EXPECT_EQ(utf8(summary.line), "Done: on 3 files, 2 are copied in 1 folder");
}

} // namespace
} // namespace tunvale::engine
