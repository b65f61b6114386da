// The ID3v2.3 tag of converted files, checked in the rendered bytes (frame order, text
// encodings) and read back with mutagen (an independent ID3 reader).

#include "output/conversion_tag.h"
#include "output/mp3_file_writer.h"

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "output/conversion_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using namespace tunvale;
using namespace tunvale::testing;

namespace {

// Frame IDs and first body byte (the text encoding of text frames) of an ID3v2.3 tag.
struct TagFrame {
    std::string id;
    int firstByte = -1;
};

std::vector<TagFrame> walkId3v23(const std::string &bytes)
{
    std::vector<TagFrame> frames;
    const std::size_t end = id3v2Size(bytes);
    std::size_t pos = 10;
    while (pos + 10 <= end && bytes[pos] != '\0') {
        const auto b = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[pos + i])); };
        // ID3v2.3 frame sizes are plain 32-bit numbers.
        const std::size_t size = (b(4) << 24) | (b(5) << 16) | (b(6) << 8) | b(7);
        TagFrame frame{bytes.substr(pos, 4), size > 0 && pos + 10 < end ? static_cast<int>(b(10)) : -1};
        frames.push_back(frame);
        pos += 10 + size;
    }
    return frames;
}

// What mutagen reads from the file: "version" and one entry per frame, keyed by frame kind.
std::multimap<std::string, std::string> readWithMutagen(const fs::path &file)
{
    const std::string script =
        "import sys, hashlib\n"
        "from mutagen.id3 import ID3\n"
        "t = ID3(sys.argv[1])\n"
        "print('version|%d.%d' % t.version[:2])\n"
        "for f in t.values():\n"
        "    k = f.FrameID\n"
        "    if k == 'COMM':\n"
        "        print('COMM|%d|%s|%s' % (f.encoding, f.desc, f.text[0]))\n"
        "    elif k == 'TXXX':\n"
        "        print('TXXX|%d|%s|%s' % (f.encoding, f.desc, f.text[0]))\n"
        "    elif k == 'POPM':\n"
        "        print('POPM|%s|%d|%s' % (f.email, f.rating, getattr(f, 'count', 'none')))\n"
        "    elif k == 'APIC':\n"
        "        print('APIC|%s|%d|%s|%s' % (f.mime, f.type, f.desc, hashlib.sha1(f.data).hexdigest()))\n"
        "    elif k.startswith('T'):\n"
        "        print('%s|%d|%s' % (k, f.encoding, f.text[0]))\n";
    std::string output;
    runPython(script, {file.string()}, &output);
    std::multimap<std::string, std::string> frames;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(start, end - start);
        const std::size_t bar = line.find('|');
        frames.emplace(line.substr(0, bar), bar == std::string::npos ? line : line.substr(bar + 1));
        start = end + 1;
    }
    return frames;
}

std::string sha1Of(const std::vector<std::uint8_t> &data, const fs::path &dir)
{
    writeFile(dir / "picture.bin", std::string(data.begin(), data.end()));
    std::string output;
    runCommand("sha1sum " + shellQuote(dir / "picture.bin"), &output);
    return output.substr(0, 40);
}

std::vector<std::string> valuesOf(const std::multimap<std::string, std::string> &frames, const std::string &key)
{
    std::vector<std::string> values;
    for (auto [it, end] = frames.equal_range(key); it != end; ++it)
        values.push_back(it->second);
    std::sort(values.begin(), values.end());
    return values;
}

class ConversionTagTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        catalog::CurrentTags &tags = m_tags;
        tags.Title.set("Caf\xE9 \x80 5");          // e acute and the euro sign (Windows-1252)
        tags.Subtitle.set("Live");
        tags.Album.set("Blue Train");
        tags.Artist.set("John Coltrane");
        tags.AlbumArtist.set("Various");
        tags.Composer.set("Coltrane");
        tags.Comment.set("Tr\xE8s bien");          // e grave
        tags.Performer.set("Quintet");
        tags.Publisher.set("Blue Note");
        tags.Encoder.set("Tunvale");
        tags.Genre.set("Jazz");
        tags.Year = 1957;
        tags.Track = 5;
        tags.TrackTotal = 12;
        tags.Disc = 1;
        tags.DiscTotal = 2;
        tags.Rating = 3;
        tags.FillScore = 16;
        for (int i = 0; i < 2; ++i) {
            catalog::Picture picture;
            picture.type = i == 0 ? 3 : 4;
            picture.mimeType = "image/png";
            picture.description = i == 0 ? "front" : "back";
            const std::string png = tinyPng(i == 1);
            picture.data.assign(png.begin(), png.end());
            m_pictures.push_back(picture);
            m_pictureTable.add(picture);
        }
    }

    fs::path convert(const std::string &name, bool removePictures)
    {
        return convertWith(m_tags, m_pictureTable, name, removePictures);
    }
    fs::path convertWith(const catalog::CurrentTags &tags, const catalog::PictureTable &pictures,
                         const std::string &name, bool removePictures)
    {
        ToneSource source(2, 44100, 30000, 440.0, 880.0);
        output::PlacementContext context;
        context.options.removePictures = removePictures;
        context.options.mp3Quality = 0;
        context.destinationPath = m_dir / name;
        EXPECT_EQ(output::writeMp3File(source, tags, pictures, context, true), 0);
        return context.destinationPath;
    }

    TempDir m_dir;
    std::vector<catalog::Picture> m_pictures;
    catalog::CurrentTags m_tags;
    catalog::PictureTable m_pictureTable;
};

TEST(ConversionRating, StarsToPopmBytes)
{
    const std::pair<int, int> cases[] = {{1, 1}, {2, 64}, {3, 128}, {4, 196}, {5, 255}, {6, 0}, {100, 0}, {0, 0}, {-1, 0}};
    for (const auto &[rating, expected] : cases)
        EXPECT_EQ(output::popmRatingByte(rating), expected) << rating;
}

// Frames in their fixed order; ASCII texts in ISO-8859-1 (0), others in UTF-16 (1).
TEST_F(ConversionTagTest, FramesInOrderWithTheirEncodings)
{
    const std::string bytes = readFile(convert("order.mp3", false));
    ASSERT_EQ(bytes.compare(0, 4, "ID3\x03"), 0) << "no ID3v2.3 tag at the start";
    const std::vector<TagFrame> frames = walkId3v23(bytes);
    std::vector<std::string> ids;
    for (const TagFrame &frame : frames)
        ids.push_back(frame.id == "TDRC" ? "TYER" : frame.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"TIT2", "TIT3", "TALB", "TPE1", "TPE2", "TCOM", "COMM", "TXXX", "TPUB",
                                             "TENC", "TCON", "TYER", "TRCK", "TXXX", "TPOS", "TXXX", "POPM", "APIC",
                                             "APIC"}));
    ASSERT_EQ(frames.size(), 19u);
    EXPECT_EQ(frames[0].firstByte, 1);   // "Café € 5"
    EXPECT_EQ(frames[2].firstByte, 0);   // "Blue Train"
    EXPECT_EQ(frames[6].firstByte, 1);   // "Très bien"
    EXPECT_EQ(frames[12].firstByte, 0);  // "5"

    // The stream follows the tag directly, starting with the info frame.
    const std::vector<Mp3Frame> audio = walkFrames(bytes, id3v2Size(bytes));
    ASSERT_FALSE(audio.empty());
    EXPECT_FALSE(infoMarker(bytes, audio[0]).empty());
}

// mutagen reads every value back, the euro sign included, and nothing of one conversion
// reaches the next: one made from empty records gets no tag at all.
TEST_F(ConversionTagTest, MutagenReadsTheTagBack)
{
    if (!haveMutagen())
        GTEST_SKIP() << "mutagen not installed";
    const fs::path file = convert("tags.mp3", false);
    const std::string next = readFile(convertWith(catalog::CurrentTags{}, catalog::PictureTable{}, "next.mp3", false));
    EXPECT_EQ(id3v2Size(next), 0u);
    EXPECT_EQ(next.find("TIT2"), std::string::npos);
    EXPECT_EQ(next.find("APIC"), std::string::npos);

    const auto frames = readWithMutagen(file);
    EXPECT_EQ(valuesOf(frames, "version"), std::vector<std::string>{"2.3"});
    EXPECT_EQ(valuesOf(frames, "TIT2"), std::vector<std::string>{"1|Caf\u00e9 \u20ac 5"});
    EXPECT_EQ(valuesOf(frames, "TPE1"), std::vector<std::string>{"0|John Coltrane"});
    EXPECT_EQ(valuesOf(frames, "TALB"), std::vector<std::string>{"0|Blue Train"});
    EXPECT_EQ(valuesOf(frames, "TDRC"), std::vector<std::string>{"0|1957"});
    EXPECT_EQ(valuesOf(frames, "TRCK"), std::vector<std::string>{"0|5"});
    EXPECT_EQ(valuesOf(frames, "TPOS"), std::vector<std::string>{"0|1"});
    EXPECT_EQ(valuesOf(frames, "TCON"), std::vector<std::string>{"0|Jazz"});
    EXPECT_EQ(valuesOf(frames, "COMM"), std::vector<std::string>{"1||Tr\u00e8s bien"});
    EXPECT_EQ(valuesOf(frames, "TXXX"),
              (std::vector<std::string>{"0|Performer|Quintet", "0|TOTALDISCS|2", "0|TOTALTRACKS|12"}));
    EXPECT_EQ(valuesOf(frames, "POPM"), std::vector<std::string>{"Windows Media Player 9 Series|128|none"});
    EXPECT_EQ(valuesOf(frames, "APIC"),
              (std::vector<std::string>{"image/png|3|front|" + sha1Of(m_pictures[0].data, m_dir.path()),
                                        "image/png|4|back|" + sha1Of(m_pictures[1].data, m_dir.path())}));
    if (haveTool("ffmpeg")) {
        std::string errors;
        EXPECT_TRUE(ffmpegDecodesCleanly(file, &errors)) << errors;
    }
    if (haveTool("mp3val")) {
        EXPECT_EQ(mp3valProblems(file), "");
    }
}

TEST_F(ConversionTagTest, RemovePicturesLeavesOutTheApicFrames)
{
    const fs::path file = convert("nopics.mp3", true);
    std::vector<std::string> ids;
    for (const TagFrame &frame : walkId3v23(readFile(file)))
        ids.push_back(frame.id);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "APIC"), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "TIT2"), 1);
    // A following conversion of a source without pictures gets none of these.
    std::vector<std::string> nextIds;
    for (const TagFrame &frame : walkId3v23(readFile(convertWith(m_tags, catalog::PictureTable{}, "next.mp3", false))))
        nextIds.push_back(frame.id);
    EXPECT_EQ(std::count(nextIds.begin(), nextIds.end(), "APIC"), 0);
}

// Empty texts and numbers of 0 give no frame; a FillScore of 0 gives no tag at all, the file
// then starts with the info frame.
TEST_F(ConversionTagTest, OnlyFilledFieldsAndNoTagWithoutFillScore)
{
    m_tags.clear();
    m_pictureTable.clear();
    m_tags.Artist.set("Solo");
    m_tags.Rating = 9;
    m_tags.FillScore = 2;
    std::vector<std::string> ids;
    const std::string bytes = readFile(convert("few.mp3", false));
    for (const TagFrame &frame : walkId3v23(bytes))
        ids.push_back(frame.id + ":" + std::to_string(frame.firstByte));
    // POPM's first byte is the first letter of its e-mail field.
    EXPECT_EQ(ids, (std::vector<std::string>{"TPE1:0", "POPM:87"}));
    const std::size_t popm = bytes.find("POPM");
    const std::string email = "Windows Media Player 9 Series";
    ASSERT_NE(popm, std::string::npos);
    EXPECT_EQ(bytes.substr(popm + 10, email.size() + 2), email + std::string("\0\0", 2)) << "rating 9 gives byte 0";

    m_tags.clear();
    m_tags.Title.set("Not counted");
    const std::string untagged = readFile(convert("untagged.mp3", false));
    EXPECT_EQ(id3v2Size(untagged), 0u);
    const std::vector<Mp3Frame> frames = walkFrames(untagged, 0);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(infoMarker(untagged, frames[0]), "Info");
}

} // namespace
