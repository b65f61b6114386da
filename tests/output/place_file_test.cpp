#include "fake_tag_writers.h"
#include "output/name_text.h"
#include "output/place_file.h"
#include "output/placement_plan.h"
#include "output/run_sources.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace tunvale::output {
namespace {

namespace fs = std::filesystem;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;
using testing::fakeWriterResult;
using testing::RecordingWriters;
using testing::writerCalls;

// Records every status text with its colour.
class RecordingStatus : public StatusReporter {
public:
    void showStatus(const std::u16string &text, std::uint32_t colourValue) override { shown.emplace_back(pathFromText(text).string(), colourValue); }
    std::vector<std::pair<std::string, std::uint32_t>> shown;
};

using Shown = std::vector<std::pair<std::string, std::uint32_t>>;

PlacementOptions noRewrite()
{
    PlacementOptions options;
    options.tagsFromName = false;
    options.addArtist = false;
    options.addComposer = false;
    options.alphaTrack = false;
    options.removePictures = false;
    return options;
}

class PlaceFileTest : public ::testing::Test {
protected:
    // A source file with its catalog entry.
    fs::path source(const std::string &name, std::u16string_view artist = u"Artist", std::u16string_view composer = u"",
                    std::u16string_view title = u"Title")
    {
        const fs::path path = dir / "src" / name;
        writeFile(path, "audio of " + name);
        auto entry = std::make_unique<catalog::CMetaDat>(path, artist);
        entry->setArtist(artist);
        entry->setComposer(composer);
        entry->setTitle(title);
        entries.append(std::move(entry));
        return path;
    }

    PlacementContext context(const fs::path &sourcePath, const fs::path &destination, const PlacementOptions &options)
    {
        fs::create_directories(destination.parent_path());
        PlacementContext result;
        result.options = options;
        result.sourcePath = sourcePath;
        result.destinationPath = destination;
        result.destinationRoot = dir / "dst";
        result.miscellaneousFiles = &miscellaneous;
        result.catalog = &entries;
        result.status = &status;
        result.tagWriter = writers.writer();
        return result;
    }

    TempDir dir;
    catalog::Catalog entries;
    RecordingStatus status;
    std::int32_t miscellaneous = 0;
    RecordingWriters writers;
};

TEST_F(PlaceFileTest, CopiesAndReportsIt)
{
    const fs::path song = source("Song.mp3");
    PlacementContext c = context(song, dir / "dst" / "Artist" / "Song.mp3", noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, c), 0);
    EXPECT_EQ(c.destinationPath, dir / "dst" / "Artist" / "Song.mp3");
    EXPECT_EQ(readFile(c.destinationPath), "audio of Song.mp3");
    EXPECT_EQ(status.shown, (Shown{{"Copying: Song.mp3", 0xC8FFC8}}));
    EXPECT_TRUE(writerCalls().empty());
}

TEST_F(PlaceFileTest, TakenNamesGetNumberedIterations)
{
    const fs::path song = source("Song.mp3");
    const fs::path track = source("Track.MP3");
    writeFile(dir / "dst" / "G" / "Song.mp3", "already there");
    writeFile(dir / "dst" / "G" / "Track.MP3", "already there");

    PlacementContext first = context(song, dir / "dst" / "G" / "Song.mp3", noRewrite());
    ASSERT_EQ(PlaceFile(1, 2, first), 0);
    EXPECT_EQ(first.destinationPath, dir / "dst" / "G" / "Song(1).mp3");
    PlacementContext second = context(song, dir / "dst" / "G" / "Song.mp3", noRewrite());
    ASSERT_EQ(PlaceFile(2, 2, second), 0);
    EXPECT_EQ(second.destinationPath, dir / "dst" / "G" / "Song(2).mp3");
    // The extension of an iteration is always lower case.
    PlacementContext upper = context(track, dir / "dst" / "G" / "Track.MP3", noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, upper), 0);
    EXPECT_EQ(upper.destinationPath, dir / "dst" / "G" / "Track(1).mp3");

    EXPECT_EQ(readFile(dir / "dst" / "G" / "Song.mp3"), "already there");
    EXPECT_EQ(readFile(dir / "dst" / "G" / "Song(2).mp3"), "audio of Song.mp3");
    EXPECT_EQ(readFile(dir / "dst" / "G" / "Track(1).mp3"), "audio of Track.MP3");
}

TEST_F(PlaceFileTest, ReplacingReplacesButNotAReadOnlyFile)
{
    const fs::path song = source("Name.flac");
    PlacementOptions replace = noRewrite();
    replace.fileReplace = true;

    writeFile(dir / "dst" / "G" / "Name.flac", "old");
    PlacementContext plain = context(song, dir / "dst" / "G" / "Name.flac", replace);
    ASSERT_EQ(PlaceFile(1, 1, plain), 0);
    EXPECT_EQ(plain.destinationPath, dir / "dst" / "G" / "Name.flac");
    EXPECT_EQ(readFile(plain.destinationPath), "audio of Name.flac");

    // A read-only destination refuses the copy (access denied): the first iteration is used.
    fs::permissions(dir / "dst" / "G" / "Name.flac", fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    PlacementContext locked = context(song, dir / "dst" / "G" / "Name.flac", replace);
    ASSERT_EQ(PlaceFile(1, 1, locked), 0);
    EXPECT_EQ(locked.destinationPath, dir / "dst" / "G" / "Name(1).flac");
}

TEST_F(PlaceFileTest, SixtyThreeIterationsExhausted)
{
    const fs::path song = source("Song.mp3");
    writeFile(dir / "dst" / "G" / "Song.mp3", "x");
    for (int n = 1; n <= 63; ++n)
        writeFile(dir / "dst" / "G" / ("Song(" + std::to_string(n) + ").mp3"), "x");
    PlacementContext c = context(song, dir / "dst" / "G" / "Song.mp3", noRewrite());
    EXPECT_EQ(PlaceFile(1, 1, c), 80);
    EXPECT_EQ(status.shown, (Shown{{"Copying: Song.mp3", 0xC8FFC8}, {"Could not Copy: Song.mp3", 0x1414FF}}));
    EXPECT_EQ(listTree(dir / "dst" / "G").size(), 64u);
}

TEST_F(PlaceFileTest, CopyFailuresGiveTheSystemCode)
{
    PlacementContext missing = context(dir / "src" / "Gone.mp3", dir / "dst" / "G" / "Gone.mp3", noRewrite());
    EXPECT_EQ(PlaceFile(1, 1, missing), 2);
    EXPECT_EQ(status.shown.back(), (std::pair<std::string, std::uint32_t>{"Could not Copy: Gone.mp3", 0x1414FF}));

    const fs::path song = source("Song.mp3");
    PlacementContext noFolder = context(song, dir / "dst" / "G" / "Song.mp3", noRewrite());
    noFolder.destinationPath = dir / "dst" / "Missing" / "Song.mp3";
    EXPECT_EQ(PlaceFile(1, 1, noFolder), 3);
}

TEST_F(PlaceFileTest, IterationOfALongNameStaysWithinTheFileSystemLimit)
{
    const std::string longName = std::string(251, 'n') + ".mp3";   // 255 bytes
    const fs::path song = source(longName);
    writeFile(dir / "dst" / "G" / longName, "x");
    PlacementContext c = context(song, dir / "dst" / "G" / longName, noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, c), 0);
    const std::string written = c.destinationPath.filename().string();
    EXPECT_EQ(written, std::string(248, 'n') + "(1).mp3");   // 255 bytes again
    EXPECT_EQ(readFile(c.destinationPath), "audio of " + longName);
}

TEST_F(PlaceFileTest, IterationKeepsTheBytesOfANameThatIsNotUtf8)
{
    const std::string name = "caf\xe9 \xc3\xa9t\xc3\xa9.MP3";   // Latin-1 byte, then UTF-8
    const fs::path song = source(name);
    writeFile(dir / "dst" / "G" / name, "x");
    PlacementContext c = context(song, dir / "dst" / "G" / name, noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, c), 0);
    EXPECT_EQ(c.destinationPath.filename().native(), "caf\xe9 \xc3\xa9t\xc3\xa9(1).mp3");

    // Cut for length at a character: 249 bytes of three-byte characters; 248 bytes would end
    // inside one.
    std::string accented;
    for (int i = 0; i < 83; ++i)
        accented += "\xe2\x82\xac";
    const fs::path wide = source(accented + ".mp3");
    writeFile(dir / "dst" / "G" / (accented + ".mp3"), "x");
    PlacementContext w = context(wide, dir / "dst" / "G" / (accented + ".mp3"), noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, w), 0);
    EXPECT_EQ(w.destinationPath.filename().native(), accented.substr(0, 246) + "(1).mp3");
}

TEST_F(PlaceFileTest, MiscellaneousFilesAreNumberedAcrossTheRun)
{
    PlacementOptions options = noRewrite();
    options.alphaTrack = true;
    struct Case {
        int step;
        bool newFileNames;
        const char *name;
        const char *expected;
        int track;   // tag number written: m times the step
    };
    const Case cases[] = {
        {1, true, "07 - Artist - Title.mp3", "03 - Artist - Title.mp3", 3},
        {10, true, "07 - Artist - Title.mp3", "040 - Artist - Title.mp3", 40},
        {1, true, "Song.mp3", "Song.mp3", 5},                 // no leading digit
        {1, false, "07 - Other.mp3", "07 - Other.mp3", 6},    // names kept: no renumbering
    };
    miscellaneous = 2;
    for (const Case &c : cases) {
        writerCalls().clear();
        options.trackStep = c.step;
        options.newFileNames = c.newFileNames;
        const fs::path song = source(std::string("src-") + c.name);
        PlacementContext pc = context(song, dir / "dst" / "Miscellaneous" / c.name, options);
        ASSERT_EQ(PlaceFile(1, 1, pc), 0) << c.name;
        EXPECT_EQ(pc.destinationPath, dir / "dst" / "Miscellaneous" / c.expected);
        EXPECT_TRUE(fs::exists(pc.destinationPath));
        ASSERT_EQ(writerCalls().size(), 1u);
        EXPECT_EQ(writerCalls()[0].track, c.track) << c.name;
        EXPECT_EQ(writerCalls()[0].total, 0) << c.name;
    }
    EXPECT_EQ(miscellaneous, 6);
}

TEST_F(PlaceFileTest, RenumberedTagsInAnOrdinaryFolder)
{
    PlacementOptions options = noRewrite();
    options.alphaTrack = true;
    options.trackStep = 10;
    const fs::path song = source("b.wav", u"Band", u"", u"Tune");
    PlacementContext c = context(song, dir / "dst" / "Band" / "b.wav", options);
    ASSERT_EQ(PlaceFile(2, 3, c), 0);
    ASSERT_EQ(writerCalls().size(), 1u);
    EXPECT_EQ(writerCalls()[0].writer, "wav");
    // The writer retags the copy before it takes its name: the file it was handed, beside the
    // destination, is the one standing there now.
    EXPECT_EQ(writerCalls()[0].path.parent_path(), c.destinationPath.parent_path());
    EXPECT_TRUE(writerCalls()[0].identity.valid);
    EXPECT_EQ(writerCalls()[0].identity, formats::io::identityOf(c.destinationPath));
    EXPECT_EQ(writerCalls()[0].title, u"Tune");
    EXPECT_EQ(writerCalls()[0].artist, u"Band");
    EXPECT_EQ(writerCalls()[0].track, 20);
    EXPECT_EQ(writerCalls()[0].total, 30);
    EXPECT_FALSE(writerCalls()[0].removePictures);
    EXPECT_EQ(miscellaneous, 0);
}

TEST_F(PlaceFileTest, ArtistThenComposerTitle)
{
    PlacementOptions options;   // the defaults: every title and number option on
    const fs::path song = source("s.flac", u"Miles Davis", u"Bill Evans", u"Blue");
    PlacementContext c = context(song, dir / "dst" / "Miles Davis" / "s.flac", options);
    ASSERT_EQ(PlaceFile(1, 4, c), 0);
    ASSERT_EQ(writerCalls().size(), 1u);
    // The composer rule runs on the artist rule's result: the composer ends up first.
    EXPECT_EQ(writerCalls()[0].title, u"Bill Evans, Miles Davis, Blue");
    EXPECT_EQ(writerCalls()[0].track, 1);
    EXPECT_EQ(writerCalls()[0].total, 4);
    // The new title stays in the catalog for the rest of the run.
    EXPECT_EQ(entries.at(0).Title, u"Bill Evans, Miles Davis, Blue");
}

TEST_F(PlaceFileTest, UndefinedFolderOnlyLosesItsPictures)
{
    PlacementOptions options;   // every title and number option on
    const fs::path song = source("u.mp3", u"Undefined", u"Someone", u"Tune");
    PlacementContext c = context(song, dir / "dst" / "Undefined" / "U.mp3", options);
    ASSERT_EQ(PlaceFile(2, 5, c), 0);
    EXPECT_TRUE(writerCalls().empty());
    EXPECT_EQ(entries.at(0).Title, u"Tune");

    options.removePictures = true;
    PlacementContext pictures = context(song, dir / "dst" / "undefined" / "U.mp3", options);
    ASSERT_EQ(PlaceFile(2, 5, pictures), 0);
    ASSERT_EQ(writerCalls().size(), 1u);
    EXPECT_TRUE(writerCalls()[0].removePictures);
    EXPECT_EQ(writerCalls()[0].track, 0);
    EXPECT_EQ(writerCalls()[0].total, 0);
    EXPECT_EQ(writerCalls()[0].title, u"Tune");
}

TEST_F(PlaceFileTest, FolderNamesOnlyResemblingTheSpecialOnesAreOrdinary)
{
    PlacementOptions options = noRewrite();
    options.alphaTrack = true;
    const fs::path song = source("07 - x.mp3");
    PlacementContext c = context(song, dir / "dst" / "NotMiscellaneous" / "07 - x.mp3", options);
    ASSERT_EQ(PlaceFile(2, 2, c), 0);
    EXPECT_EQ(c.destinationPath.filename(), "07 - x.mp3");
    EXPECT_EQ(miscellaneous, 0);
    ASSERT_EQ(writerCalls().size(), 1u);
    EXPECT_EQ(writerCalls()[0].track, 2);
}

TEST_F(PlaceFileTest, TagRewriteFailures)
{
    PlacementOptions options = noRewrite();
    options.removePictures = true;

    // A source without a catalog entry is copied, then reported.
    writeFile(dir / "src" / "stray.mp3", "stray");
    PlacementContext stray = context(dir / "src" / "stray.mp3", dir / "dst" / "G" / "stray.mp3", options);
    EXPECT_EQ(PlaceFile(1, 1, stray), 82);
    EXPECT_EQ(readFile(stray.destinationPath), "stray");
    EXPECT_TRUE(writerCalls().empty());
    const std::string full = (dir / "dst" / "G" / "stray.mp3").string();
    EXPECT_EQ(status.shown.back(), (std::pair<std::string, std::uint32_t>{"Could not Modify Tags for File " + full, 0xA0A0FF}));

    // A writer that fails.
    const fs::path song = source("w.mp3");
    fakeWriterResult() = 0;
    PlacementContext failing = context(song, dir / "dst" / "G" / "w.mp3", options);
    EXPECT_EQ(PlaceFile(1, 1, failing), 82);
    EXPECT_TRUE(fs::exists(failing.destinationPath));

    // An extension without a writer.
    fakeWriterResult() = 1;
    const fs::path odd = source("x.wma");
    PlacementContext noWriter = context(odd, dir / "dst" / "G" / "x.wma", options);
    EXPECT_EQ(PlaceFile(1, 1, noWriter), 82);
}

// What placement tells the worker about a tag failure: the file stands, and the system's reason
// when the writer noted one (a full disk here).
TEST_F(PlaceFileTest, TagFailureTellsThatTheFileStandsAndWhy)
{
    struct Case {
        const char *label;
        int notedError;     // what the writer notes before failing, 0 for nothing
        int systemError;    // what placement reports
    };
    const Case cases[] = {
        {"full disk", ENOSPC, 112},
        {"quota", EDQUOT, 112},
        {"failing device", EIO, 1117},
        {"no reason", 0, 0},
    };
    PlacementOptions options = noRewrite();
    options.removePictures = true;
    int noted = 0;
    const TagWriterOverride failing = [&noted](const formats::FormatRow &, const fs::path &,
                                               const formats::TagChanges &) {
        return formats::WriteResult::failure(noted);
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        noted = c.notedError;
        const fs::path song = source(std::string(c.label) + ".mp3");
        PlacementContext placed = context(song, dir / "dst" / "G" / song.filename(), options);
        placed.tagWriter = &failing;
        EXPECT_EQ(PlaceFile(1, 1, placed), 82);
        EXPECT_TRUE(placed.failure.writtenWithoutTags);
        EXPECT_FALSE(placed.failure.conversion);
        EXPECT_EQ(placed.failure.systemError, c.systemError);
        EXPECT_EQ(readFile(placed.destinationPath), "audio of " + song.filename().string());
    }
    // A failed copy leaves nothing, and says so.
    PlacementContext missing = context(dir / "src" / "gone.mp3", dir / "dst" / "G" / "gone.mp3", options);
    EXPECT_EQ(PlaceFile(1, 1, missing), 2);
    EXPECT_FALSE(missing.failure.writtenWithoutTags);
}

// With replace, a name that holds one of the run's sources (by any path) is taken: the file
// goes to the first iteration, and the source stays as it was. Other files are replaced.
TEST_F(PlaceFileTest, ReplaceLeavesTheRunsSourcesAlone)
{
    struct Case {
        const char *label;
        const char *link;   // how the destination name holds the source: "", "hard", "symbolic"
        bool isSource;
    };
    const Case cases[] = {
        {"the source's own name", "", true},
        {"a hard link to a source", "hard", true},
        {"a symbolic link to a source", "symbolic", true},
        {"a file of no source", "", false},
    };
    PlacementOptions replace = noRewrite();
    replace.fileReplace = true;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path folder = dir / "dst" / c.label;
        const fs::path song = source(std::string(c.label) + ".mp3");
        fs::create_directories(folder);
        // A second source of the run, still to be read, that sits where the copy would go.
        const fs::path target = folder / "Song.mp3";
        fs::path other = folder / "Song.mp3";
        if (std::string(c.link) == "hard" || std::string(c.link) == "symbolic")
            other = dir / "src" / (std::string(c.label) + " other.mp3");
        writeFile(other, "still to be read");
        if (std::string(c.link) == "hard")
            fs::create_hard_link(other, target);
        else if (std::string(c.link) == "symbolic")
            fs::create_symlink(other, target);
        const RunSources sources(c.isSource ? std::vector<fs::path>{song, other} : std::vector<fs::path>{song});

        PlacementContext placed = context(song, target, replace);
        placed.runSources = &sources;
        ASSERT_EQ(PlaceFile(1, 1, placed), 0);
        EXPECT_EQ(placed.destinationPath, c.isSource ? folder / "Song(1).mp3" : target);
        EXPECT_EQ(readFile(other), c.isSource ? "still to be read" : "audio of " + song.filename().string());
        EXPECT_EQ(readFile(placed.destinationPath), "audio of " + song.filename().string());
    }
}

TEST_F(PlaceFileTest, CopiesAreWritable)
{
    const fs::path song = source("ro.mp3");
    fs::permissions(song, fs::perms::owner_read, fs::perm_options::replace);
    PlacementContext c = context(song, dir / "dst" / "G" / "ro.mp3", noRewrite());
    ASSERT_EQ(PlaceFile(1, 1, c), 0);
    EXPECT_NE(fs::status(c.destinationPath).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(PlaceFileTest, DestinationsOutsideTheDestinationFolderAreRefused)
{
    const fs::path song = source("Song.mp3");
    const fs::path unsafe[] = {
        dir / "dst" / "G" / "..",
        dir / "dst" / "G" / ".",
        dir / "dst" / ".." / "Song.mp3",
        dir / "dst" / "G" / ".." / ".." / "escaped.mp3",
        dir / "elsewhere" / "Song.mp3",
        dir / "dst",
    };
    for (const fs::path &destination : unsafe) {
        PlacementContext c = context(song, dir / "dst" / "G" / "x.mp3", noRewrite());
        c.destinationPath = destination;
        EXPECT_EQ(PlaceFile(1, 1, c), 123) << destination;
        EXPECT_EQ(status.shown.back().second, 0x1414FF);
    }
    EXPECT_FALSE(fs::exists(dir / "escaped.mp3"));
    EXPECT_FALSE(fs::exists(dir / "Song.mp3"));
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"G/"}));
}

TEST_F(PlaceFileTest, ConversionOnlyForOtherFormats)
{
    PlacementOptions options = noRewrite();
    options.mp3Convert = true;
    // An MP3 in capitals is copied, not converted.
    const fs::path mp3 = source("Song.MP3");
    PlacementContext copy = context(mp3, dir / "dst" / "G" / "Song.MP3", options);
    ASSERT_EQ(PlaceFile(1, 1, copy), 0);
    EXPECT_EQ(status.shown.back().first, "Copying: Song.MP3");

    // Anything else goes to the encoder under the .mp3 name; a source that is not audio fails.
    const fs::path flac = source("Bad.flac");
    PlacementContext convert = context(flac, dir / "dst" / "G" / "Bad.flac", options);
    const int result = PlaceFile(1, 1, convert);
    EXPECT_NE(result, 0);
    EXPECT_EQ(convert.destinationPath, dir / "dst" / "G" / "Bad.mp3");
    ASSERT_GE(status.shown.size(), 2u);
    EXPECT_EQ(status.shown[status.shown.size() - 2],
              (std::pair<std::string, std::uint32_t>{"BE PATIENT! Converting to mp3: Bad.flac", 0xC8FFC8}));
    EXPECT_EQ(status.shown.back(), (std::pair<std::string, std::uint32_t>{"Could not convert " + flac.string() + " to mp3", 0x1414FF}));
}

// Plain destinations are judged from their spelling, all others by normalizing both paths:
// every spelling must get the answer the rule gives (one ordinary name in a folder strictly
// below the root, never among the program's own files).
TEST(SafeDestination, EverySpellingGetsTheRulesAnswer)
{
    struct Case {
        const char *root;
        const char *destination;
        bool safe;
    };
    const Case cases[] = {
        {"/d", "/d/Folder/name.mp3", true},
        {"/d", "/d/A/B/name.mp3", true},
        {"/d/", "/d/Folder/name.mp3", true},
        {"/d", "/d//Folder/name.mp3", true},
        {"/d", "/d/./Folder/name.mp3", true},
        {"/a/../d", "/a/../d/Folder/name.mp3", true},
        {"d", "d/Folder/name.mp3", true},
        {"/d", "/d/name.mp3", true},
        {"/d", "/dx/Folder/name.mp3", false},
        {"/d", "/d/../x/name.mp3", false},
        {"/d", "/d/Folder/../../name.mp3", false},
        {"/d", "/d/Folder/..", false},
        {"/d", "/d/Folder/.", false},
        {"/d", "/d/Folder/", false},
        {"/d", "/d/../name.mp3", false},
        {"/d", "/d/.tunvale-kept/run/name.mp3", false},
        {"/d", "/d/Folder/.tunvale-1a2b-1.part", false},
        {"/d", "/elsewhere/Folder/name.mp3", false},
        {"", "Folder/name.mp3", true},
        {"", "Folder/..", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isSafeDestination(c.root, c.destination), c.safe) << c.root << " " << c.destination;
}

// The special folders are known by name whatever the case, from any spelling of the path; a
// name that only folds to them outside ASCII is ordinary.
TEST(SpecialFolders, KnownByNameIgnoringCase)
{
    PlacementOptions options;
    options.alphaTrack = true;
    options.newFileNames = false;
    const fs::path source = "/s/a.mp3";
    struct Case {
        const char *destination;
        bool undefined;
        bool miscellaneous;
    };
    const Case cases[] = {
        {"/d/Undefined/a.mp3", true, false},
        {"/d/UNDEFINED/a.mp3", true, false},
        {"Undefined/a.mp3", true, false},
        {"/d/./undefined/a.mp3", true, false},
        {"/d/Miscellaneous/a.mp3", false, true},
        {"/d/miscellaneous/a.mp3", false, true},
        {"/d/Misc/a.mp3", false, false},
        {"/d/Undefined2/a.mp3", false, false},
        {"/d/Undef\xc3\xadned/a.mp3", false, false},
    };
    for (const Case &c : cases) {
        std::int32_t miscellaneous = 0;
        const PlacementDecision decision = decidePlacement(3, 5, options, source, c.destination, &miscellaneous);
        EXPECT_EQ(!decision.tags.renumber, c.undefined) << c.destination;
        EXPECT_EQ(miscellaneous, c.miscellaneous ? 1 : 0) << c.destination;
    }
}

} // namespace
} // namespace tunvale::output
