// A copy retagged as it is written must be the file that a copy retagged afterwards by the
// format's writer is: every MP3 tag layout, every kind of change, byte for byte.
#include "formats/format_table.h"
#include "formats/mp3/mp3_tags.h"
#include "formats/audio/binary_file.h"
#include "output/place_file.h"

#include "support/mp3_fixtures.h"
#include "support/tone_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>

namespace tunvale::output {
namespace {

namespace fs = std::filesystem;
namespace mp3 = tunvale::testing::mp3;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

struct Layout {
    const char *name;
    std::string bytes;
};

std::vector<Layout> layouts()
{
    const std::string audio = mp3::mpegFrames(6);
    const std::vector<mp3::Frame> frames = {{"TIT2", mp3::latin1Text("Old title")}, {"TPE1", mp3::latin1Text("Old artist")},
                                            {"TRCK", mp3::latin1Text("7")}};
    std::vector<mp3::Frame> withPicture = frames;
    withPicture.push_back({"APIC", mp3::picture(3, "cover", std::string(600, '\x89'))});
    const std::string v1 = mp3::id3v1Tag("V1 title", "V1 artist", "Album", "1999", "", 3, 17);
    return {
        {"no tag", audio},
        {"ID3v1 only", audio + v1},
        {"ID3v2.3 with room", mp3::id3v2Tag(3, frames, 512) + audio},
        {"ID3v2.3 without room", mp3::id3v2Tag(3, frames, 0) + audio},
        {"ID3v2.4 and ID3v1", mp3::id3v2Tag(4, frames, 16) + audio + v1},
        {"ID3v2.3 with a picture", mp3::id3v2Tag(3, withPicture, 0) + audio},
        {"not MPEG at all", "plain text named like an MP3"},
    };
}

struct Options {
    const char *name;
    PlacementOptions options;
};

std::vector<Options> optionSets()
{
    PlacementOptions off;
    off.tagsFromName = false;
    off.addArtist = false;
    off.addComposer = false;
    off.alphaTrack = false;
    PlacementOptions pictures = off;
    pictures.removePictures = true;
    PlacementOptions numbers = off;
    numbers.alphaTrack = true;
    numbers.trackStep = 10;
    PlacementOptions every;
    every.removePictures = true;
    return {{"defaults", PlacementOptions{}}, {"rewrites off", off}, {"pictures removed", pictures},
            {"numbers by ten", numbers}, {"every change", every}};
}

class WriteOnceTest : public ::testing::Test {
protected:
    // Places source at name under root, with the format's writer run on the copy when
    // afterwards is set; the bytes of the placed file and its permissions.
    std::pair<std::string, unsigned> place(const fs::path &source, const fs::path &root, const PlacementOptions &options,
                                           bool afterwards, int &result)
    {
        fs::create_directories(root / "Artist");
        PlacementContext context;
        context.options = options;
        context.sourcePath = source;
        context.destinationPath = root / "Artist" / ("song" + source.extension().string());
        context.destinationRoot = root;
        context.catalog = &entries;
        const TagWriterOverride formatsOwnWriter = [&context](const formats::FormatRow &format, const fs::path &path,
                                                              const formats::TagChanges &changes) {
            return format.writeTags(path, changes, context.names());
        };
        if (afterwards)
            context.tagWriter = &formatsOwnWriter;
        result = PlaceFile(2, 9, context);
        struct stat info {};
        ::stat(context.destinationPath.c_str(), &info);
        return {readFile(context.destinationPath), static_cast<unsigned>(info.st_mode & 07777)};
    }

    TempDir dir;
    catalog::Catalog entries;
};

TEST_F(WriteOnceTest, RetaggedOnTheWayEqualsRetaggedAfterwards)
{
    int cases = 0;
    for (const Layout &layout : layouts()) {
        for (const Options &set : optionSets()) {
            SCOPED_TRACE(std::string(layout.name) + ", " + set.name);
            const fs::path source = dir / "src" / (std::to_string(cases) + ".mp3");
            writeFile(source, layout.bytes);
            ::chmod(source.c_str(), 0444);
            auto entry = std::make_unique<catalog::CMetaDat>(source, u"Artist");
            entry->setArtist(u"Ärtist");
            entry->setComposer(u"Composer");
            entry->setTitle(u"Title");
            entries.append(std::move(entry));

            int before = -1;
            int once = -1;
            const fs::path folder = dir / std::to_string(cases);
            const auto [afterBytes, afterMode] = place(source, folder / "afterwards", set.options, true, before);
            // The catalog entry's title is rewritten by placement; both runs start from the same.
            entries.at(entries.size() - 1).Title = u"Title";
            const auto [onceBytes, onceMode] = place(source, folder / "once", set.options, false, once);
            EXPECT_EQ(once, before);
            EXPECT_EQ(onceMode, afterMode);
            EXPECT_EQ(onceBytes.size(), afterBytes.size());
            EXPECT_TRUE(onceBytes == afterBytes);
            ++cases;
        }
    }
}

// WAV and AIFF: a tag chunk appended to a file without one, then (the result placed again) a
// tag chunk that is the last chunk, rewritten at its new size.
TEST_F(WriteOnceTest, ChunkFilesRetaggedOnTheWayEqualRetaggedAfterwards)
{
    const fs::path wav = dir / "src" / "tone.wav";
    ASSERT_TRUE(tunvale::testing::makeTaggedWav(wav, "Wav Artist", "Wav Title", 0.3));
    const fs::path aiff = dir / "src" / "tone.aiff";
    ASSERT_EQ(std::system(("sox -q '" + wav.string() + "' '" + aiff.string() + "'").c_str()), 0);
    int round = 0;
    for (fs::path source : {wav, aiff}) {
        for (int pass = 0; pass < 2; ++pass) {
            SCOPED_TRACE(source.filename().string() + ", pass " + std::to_string(pass));
            auto entry = std::make_unique<catalog::CMetaDat>(source, u"Artist");
            entry->setArtist(u"Ärtist");
            entry->setTitle(pass == 0 ? u"Title" : u"A much longer title than the first one had");
            entries.append(std::move(entry));
            int before = -1;
            int once = -1;
            const fs::path folder = dir / ("chunks" + std::to_string(round++));
            const std::u16string title = entries.at(entries.size() - 1).Title;
            const auto [afterBytes, afterMode] = place(source, folder / "afterwards", PlacementOptions{}, true, before);
            entries.at(entries.size() - 1).Title = title;
            const auto [onceBytes, onceMode] = place(source, folder / "once", PlacementOptions{}, false, once);
            EXPECT_EQ(before, 0);
            EXPECT_EQ(once, before);
            EXPECT_EQ(onceMode, afterMode);
            EXPECT_EQ(onceBytes.size(), afterBytes.size());
            EXPECT_TRUE(onceBytes == afterBytes);
            EXPECT_NE(onceBytes, readFile(source));
            // The retagged copy becomes the next pass's source: its tag chunk is there now.
            source = folder / "once" / "Artist" / ("song" + source.extension().string());
        }
    }
}

TEST_F(WriteOnceTest, PlanKeepsTheAudioAndTellsAnUnchangedFile)
{
    const std::string audio = mp3::mpegFrames(4);
    const fs::path path = dir / "a.mp3";
    writeFile(path, mp3::id3v2Tag(3, {{"TIT2", mp3::latin1Text("Old")}}, 0) + audio);
    formats::BinaryFile source;
    ASSERT_TRUE(source.open(path, formats::BinaryFile::Mode::Read));

    const formats::RetagPlan nothing = formats::PlanMp3Tags(path, source, formats::TagChanges{});
    EXPECT_EQ(nothing.outcome, formats::RetagPlan::Outcome::Unchanged);

    formats::TagChanges changes;
    changes.title = u"A much longer title than the old one";
    const formats::RetagPlan grown = formats::PlanMp3Tags(path, source, changes);
    ASSERT_EQ(grown.outcome, formats::RetagPlan::Outcome::Rewritten);
    ASSERT_EQ(grown.pieces.size(), 2u);
    // The audio is not read into memory: it is a run of the source, to its end.
    EXPECT_TRUE(grown.pieces[0].sourceLength == 0 && !grown.pieces[0].bytes.empty());
    EXPECT_EQ(grown.pieces[1].sourceLength, audio.size());
    EXPECT_EQ(grown.pieces[1].sourceOffset + grown.pieces[1].sourceLength, source.size());
}

} // namespace
} // namespace tunvale::output
