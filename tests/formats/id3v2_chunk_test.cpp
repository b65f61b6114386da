// The ID3v2 chunk codec: frames read into the current tags, tags rebuilt with a new title,
// artist and track, and malformed tags handled without reading past the bytes.

#include "formats/id3v2/id3v2_chunk.h"

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/riff_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tunvale::formats {
namespace {

using namespace tunvale::testing::riff;
using catalog::CurrentTags;

ByteSpan span(const std::string &bytes)
{
    return asBytes(bytes);
}

std::string toString(const std::vector<std::uint8_t> &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The records a tag is read into, and the file size and sizes of a build.
class Id3v2ChunkTest : public ::testing::Test {
protected:
    int parse(const std::string &tag, bool pictures = false)
    {
        return ParseId3v2Tag(span(tag), static_cast<std::uint32_t>(tag.size()), m_tags,
                             pictures ? &m_pictures : nullptr);
    }
    std::optional<std::vector<std::uint8_t>> build(std::optional<ByteSpan> oldTag, std::u16string_view title,
                                                   std::u16string_view artist, int track, int totalTracks,
                                                   bool removePictures)
    {
        return BuildId3v2Tag(oldTag, m_fileSize, title, artist, track, totalTracks, removePictures, &m_sizes);
    }
    CurrentTags &currentTags() { return m_tags; }
    void resetRecords()
    {
        m_tags.clear();
        m_pictures.clear();
    }

    CurrentTags m_tags;
    catalog::PictureTable m_pictures;
    std::uint64_t m_fileSize = 1u << 30;
    Id3v2TagSizes m_sizes;
};

struct ParseCase {
    const char *name;
    std::string frames;
    std::function<void(CurrentTags &)> before;   // tags already set by an earlier source
    std::function<void(const CurrentTags &)> check;
};

TEST_F(Id3v2ChunkTest, FramesFillTheirFields)
{
    const std::string popm = std::string("Windows media PLAYER 9 Series\0", 30) + "\xC4" + be32(3);
    const ParseCase cases[] = {
        {"latin-1 text is trimmed", id3Frame("TIT2", latin1("  Word  ")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Title.view(), "Word"); }},
        {"utf-16 text with byte-order mark", id3Frame("TPE1", utf16("Artist")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Artist.view(), "Artist"); }},
        {"utf-16BE without mark", id3Frame("TALB", std::string("\x02\0A\0b", 5)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Album.view(), "Ab"); }},
        {"utf-8 text", id3Frame("TCON", "\x03" "Caf\xC3\xA9"), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Genre.view(), "Caf\xE9"); }},
        {"identifiers ignore case", id3Frame("tit2", latin1("Lower")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Title.view(), "Lower"); }},
        {"blank text does not replace", id3Frame("TIT2", latin1("   ")), [](CurrentTags &t) { t.Title.set("Kept"); },
         [](const CurrentTags &t) { EXPECT_EQ(t.Title.view(), "Kept"); }},
        {"comment with description", id3Frame("COMM", std::string("\0eng", 4) + std::string("Info\0Live", 9)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Comment.view(), "Info-Live"); }},
        {"comment without description", id3Frame("COMM", std::string("\0eng\0Live", 9)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Comment.view(), "Live"); }},
        {"utf-16 comment", id3Frame("COMM", std::string("\x01" "eng", 4) + std::string("\xFF\xFE" "D\0\0\0\xFF\xFE" "T\0", 10)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Comment.view(), "D-T"); }},
        {"track while unset", id3Frame("TRCK", latin1("5/12")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Track, 5); EXPECT_EQ(t.TrackTotal, 12); }},
        {"track already set keeps it, total filled", id3Frame("TRCK", latin1("5/12")), [](CurrentTags &t) { t.Track = 7; },
         [](const CurrentTags &t) { EXPECT_EQ(t.Track, 7); EXPECT_EQ(t.TrackTotal, 12); }},
        {"utf-16 track number", id3Frame("TRCK", utf16("9")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Track, 9); }},
        {"disc pair", id3Frame("TPOS", latin1("2/3")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Disc, 2); EXPECT_EQ(t.DiscTotal, 3); }},
        {"year from a date", id3Frame("TDRC", "\x03" "2004-05-06"), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Year, 2004); }},
        {"year 0 does not replace", id3Frame("TYER", latin1("0")), [](CurrentTags &t) { t.Year = 1999; },
         [](const CurrentTags &t) { EXPECT_EQ(t.Year, 1999); }},
        {"media player rating", id3Frame("POPM", popm), nullptr, [](const CurrentTags &t) { EXPECT_EQ(t.Rating, 4); }},
        {"other player's rating ignored", id3Frame("POPM", std::string("a@b.c\0\xC4", 7)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Rating, 0); }},
        {"popm without rating byte", id3Frame("POPM", std::string("Media Player\0", 13)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Rating, 0); }},
        {"txxx performer only while blank", id3Frame("TXXX", std::string("\0performer\0P", 12)),
         [](CurrentTags &t) { t.Performer.set("First"); }, [](const CurrentTags &t) { EXPECT_EQ(t.Performer.view(), "First"); }},
        {"txxx composer", id3Frame("TXXX", std::string("\0Composer\0C", 11)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Composer.view(), "C"); }},
        {"txxx total tracks after non-digits", id3Frame("TXXX", std::string("\0TOTALTRACKS\0 #12", 17)),
         [](CurrentTags &t) { t.TrackTotal = 3; }, [](const CurrentTags &t) { EXPECT_EQ(t.TrackTotal, 12); }},
        {"txxx rating only while 0", id3Frame("TXXX", std::string("\0RATING\0""80", 10)), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Rating, 80); }},
        {"tcop only while publisher blank, tpub replaces",
         id3Frame("TPUB", latin1("Label")) + id3Frame("TCOP", latin1("Copy")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Publisher.view(), "Label"); }},
        {"tsse only while encoder blank", id3Frame("TENC", latin1("Enc")) + id3Frame("TSSE", latin1("Lame")), nullptr,
         [](const CurrentTags &t) { EXPECT_EQ(t.Encoder.view(), "Enc"); }},
        {"unknown and empty frames skipped", id3Frame("XXXX", "junk") + id3Frame("TIT2", "") + id3Frame("TIT3", latin1("Sub")),
         nullptr, [](const CurrentTags &t) { EXPECT_EQ(t.Subtitle.view(), "Sub"); EXPECT_TRUE(t.Title.empty()); }},
        {"compressed frame not read as text", id3Frame("TIT2", latin1("Zipped"), 3, 0x0080), nullptr,
         [](const CurrentTags &t) { EXPECT_TRUE(t.Title.empty()); }},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        resetRecords();
        if (c.before)
            c.before(currentTags());
        EXPECT_EQ(parse(id3Tag(c.frames)), 1);
        c.check(currentTags());
    }
}

TEST_F(Id3v2ChunkTest, Version4FrameSizesAreSyncsafe)
{
    const std::string longTitle(200, 'x');
    const std::string tag = id3Tag(id3Frame("TIT2", latin1(longTitle), 4) + id3Frame("TPE1", latin1("After"), 4), 4);
    EXPECT_EQ(parse(tag), 1);
    EXPECT_EQ(currentTags().Title.view(), longTitle);
    EXPECT_EQ(currentTags().Artist.view(), "After");
}

TEST_F(Id3v2ChunkTest, ShortLastFrameIsRead)
{
    // A 6-byte TRCK frame ends the tag: the walk goes to the real end of the tag.
    EXPECT_EQ(parse(id3Tag(id3Frame("TIT2", latin1("T")) + id3Frame("TRCK", latin1("3")))), 1);
    EXPECT_EQ(currentTags().Track, 3);
}

TEST_F(Id3v2ChunkTest, SizesBeyondTheChunkAreRejected)
{
    // The tag size exceeds the chunk.
    const std::string tag = id3Tag(id3Frame("TIT2", latin1("Title")));
    EXPECT_EQ(ParseId3v2Tag(span(tag), 5, m_tags, nullptr), 0);
    // A frame size beyond the chunk: what came before stays.
    std::string bad = id3Tag(id3Frame("TPE1", latin1("Before")) + "TIT2" + be32(0x7FFFFFFF) + be16(0) + latin1("x"));
    EXPECT_EQ(parse(bad), 0);
    EXPECT_EQ(currentTags().Artist.view(), "Before");
    EXPECT_TRUE(currentTags().Title.empty());
    // Not a tag at all.
    EXPECT_EQ(parse("IDX"), 0);
    EXPECT_EQ(parse(""), 0);
}

TEST_F(Id3v2ChunkTest, EveryTruncationIsSafe)
{
    const std::string tag = id3Tag(id3Frame("TIT2", utf16("Title")) + id3Frame("COMM", std::string("\x01" "eng\xFF\xFE\0\0\xFF\xFE" "x\0", 12))
                                   + id3Frame("APIC", std::string("\0image/png\0\x03" "d\0", 14) + "PNGDATA")
                                   + id3Frame("POPM", std::string("Media Player\0\xFF", 14)) + id3Frame("TRCK", latin1("1/2")));
    for (std::size_t n = 0; n <= tag.size(); ++n) {
        resetRecords();
        // Heap copies of exactly n bytes, so a read past them is caught by the sanitizer.
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[n + 1]);
        std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(n), copy.get());
        ParseId3v2Tag(ByteSpan(copy.get(), n), static_cast<std::uint32_t>(tag.size()), m_tags, &m_pictures);
        build(ByteSpan(copy.get(), n), u"New", u"", 4, 0, true);
    }
}

TEST_F(Id3v2ChunkTest, PicturesAreCapturedOnRequest)
{
    const std::string apic = id3Frame("APIC", std::string("\0image/jpeg\0\x03" "Cover\0", 19) + std::string("\xFF\xD8\0\x01", 4));
    EXPECT_EQ(parse(id3Tag(apic)), 1);
    EXPECT_TRUE(m_pictures.empty());

    std::string frames;
    for (int i = 0; i < 21; ++i)
        frames += apic;
    EXPECT_EQ(parse(id3Tag(frames), true), 1);
    ASSERT_EQ(m_pictures.count(), 20);
    const catalog::Picture &p = m_pictures.at(0);
    EXPECT_EQ(p.mimeType, "image/jpeg");
    EXPECT_EQ(p.type, 3);
    EXPECT_EQ(p.description, "Cover");
    EXPECT_EQ(std::string(p.data.begin(), p.data.end()), std::string("\xFF\xD8\0\x01", 4));
}

TEST_F(Id3v2ChunkTest, BuildFromNothingGivesTheDocumentedBytes)
{
    const auto tag = build(std::nullopt, u"Ab", u"", 3, 10, false);
    ASSERT_TRUE(tag);
    const std::string expected = std::string("ID3\x03\0\0", 6) + syncsafe(36)
        + "TIT2" + be32(9) + be16(0) + std::string("\x01\xFF\xFE" "A\0b\0\0\0", 9)
        + "TRCK" + be32(6) + be16(0) + std::string("\0" "3/10\0", 6) + std::string(1, '\0');
    EXPECT_EQ(toString(*tag), expected);
    EXPECT_EQ(tag->size(), 46u);
    EXPECT_EQ(m_sizes.newTagSize, 36u);
    // And it reads back, the TRCK frame at the very end included.
    EXPECT_EQ(parse(toString(*tag)), 1);
    EXPECT_EQ(currentTags().Title.view(), "Ab");
    EXPECT_EQ(currentTags().Track, 3);
    EXPECT_EQ(currentTags().TrackTotal, 10);
}

TEST_F(Id3v2ChunkTest, BuildReplacesFramesInPlaceAndKeepsTheRest)
{
    const std::string album = id3Frame("TALB", latin1("Album"));
    const std::string apic1 = id3Frame("APIC", std::string("\0image/png\0\x03\0", 13) + "one");
    const std::string apic2 = id3Frame("APIC", std::string("\0image/png\0\x04\0", 13) + "two");
    const std::string total = id3Frame("TXXX", std::string("\0TotalTracks\0""9", 14));
    const std::string other = id3Frame("TXXX", std::string("\0MOOD\0calm", 10));
    const std::string old = id3Tag(id3Frame("TIT2", latin1("Old"), 3, 0x4020) + album + apic1 + total + other
                                   + id3Frame("TRCK", latin1("1")) + apic2, 3, 20);
    m_sizes = {};
    const auto tag = build(span(old), u"New", u"Artist", 7, 0, true);
    ASSERT_TRUE(tag);
    std::string expectedFrames = "TIT2" + be32(11) + std::string("\x40\x00", 2) + utf16("New").substr(0) // flags: status kept, format cleared
        + album + other + "TRCK" + be32(3) + be16(0) + std::string("\0" "7\0", 3)
        + "TPE1" + be32(17) + be16(0) + utf16("Artist");
    if (expectedFrames.size() % 2)
        expectedFrames += '\0';
    EXPECT_EQ(toString(*tag).substr(10), expectedFrames);
    EXPECT_EQ(m_sizes.oldTagSize, old.size() - 10);
    EXPECT_EQ(tag->size() % 2, 0u);
}

TEST_F(Id3v2ChunkTest, BuildFromVersion4KeepsSyncsafeSizes)
{
    const std::string old = id3Tag(id3Frame("TALB", latin1(std::string(150, 'a')), 4), 4);
    const std::u16string title(100, u'T');
    const auto tag = build(span(old), title, u"", 0, 0, false);
    ASSERT_TRUE(tag);
    EXPECT_EQ((*tag)[3], 4);
    EXPECT_EQ(parse(toString(*tag)), 1);
    EXPECT_EQ(currentTags().Title.view(), std::string(100, 'T'));
    EXPECT_EQ(currentTags().Album.view(), std::string(150, 'a'));
}

TEST_F(Id3v2ChunkTest, BuildFailsOrStartsOverOnMalformedTags)
{
    const std::string good = id3Tag(id3Frame("TALB", latin1("Album")));
    m_fileSize = 5; // the size field exceeds the file
    EXPECT_FALSE(build(span(good), u"T", u"", 0, 0, false));
    m_fileSize = 1u << 30;

    // A frame larger than the whole tag: the old frames are dropped, only the new ones remain.
    const std::string oversize = id3Tag(id3Frame("TALB", latin1("Album")) + "TPE2" + be32(5000) + be16(0) + latin1("x"));
    const auto fresh = build(span(oversize), u"T", u"", 0, 0, false);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(toString(*fresh).substr(10), "TIT2" + be32(7) + be16(0) + utf16("T") + std::string(1, '\0'));

    // Version 2.2 frames and unsynchronised tags cannot be rebuilt faithfully: refused.
    std::string v22 = good;
    v22[3] = 2;
    EXPECT_FALSE(build(span(v22), u"T", u"", 0, 0, false));
    std::string unsynchronised = good;
    unsynchronised[5] = static_cast<char>(0x80);
    EXPECT_FALSE(build(span(unsynchronised), u"T", u"", 0, 0, false));
}

} // namespace
} // namespace tunvale::formats
