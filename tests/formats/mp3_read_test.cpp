// The MP3 reader: frame rules on tags built in code, whole files through the reader (tags
// found and cleaned by the program, parsed by the library), damaged input, and files tagged
// by mutagen.
#include "support/audio_tools.h"
#include "support/mp3_fixtures.h"
#include "support/temp_dir.h"

#include "catalog/genre/genre_table.h"
#include "catalog/records/current_tags.h"
#include "formats/mp3/id3_frame_reader.h"
#include "formats/mp3/mp3_tags.h"
#include "formats/reader_records.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>
#include <id3tag.h>

#include <functional>
#include <memory>
#include <random>

namespace tunvale::formats {
namespace {

using tunvale::testing::callWriter;

using testing::TempDir;
using testing::writeFile;
using testing::haveMutagen;
using testing::runPython;
namespace fx = testing::mp3;
using Frames = std::vector<fx::Frame>;

struct TagDeleter {
    void operator()(id3_tag *tag) const { id3_tag_delete(tag); }
};

// The frames as the library presents them, copied into a CurrentTags record.
catalog::CurrentTags readFrames(const std::string &tagBytes, bool acceptSimilitudes = false)
{
    std::unique_ptr<id3_tag, TagDeleter> tag(
        id3_tag_parse(reinterpret_cast<const id3_byte_t *>(tagBytes.data()), tagBytes.size()));
    catalog::CurrentTags tags;
    EXPECT_TRUE(tag) << "fixture tag did not parse";
    if (!tag)
        return tags;
    catalog::TagStrings slots;
    readId3Frames(*tag, acceptSimilitudes, slots);
    copySlotsToTags(slots, tags);
    return tags;
}

catalog::CurrentTags readV24(const Frames &frames, bool acceptSimilitudes = false)
{
    return readFrames(fx::id3v2Tag(4, frames), acceptSimilitudes);
}

fx::Frame text(const std::string &id, const std::string &value) { return {id, fx::latin1Text(value)}; }
fx::Frame txxx(const std::string &description, const std::string &value)
{
    return {"TXXX", fx::userText(description, value)};
}
fx::Frame popm(int rating) { return {"POPM", fx::popularimeter("someone@example.com", rating)}; }

struct NumberCase {
    const char *name;
    Frames frames;
    std::int32_t catalog::CurrentTags::*field;
    std::int32_t expected;
};

TEST(Mp3FrameRules, NumberFields)
{
    using T = catalog::CurrentTags;
    const std::vector<NumberCase> cases = {
        {"POPM 1", {popm(1)}, &T::Rating, 1},
        {"POPM 31", {popm(31)}, &T::Rating, 1},
        {"POPM 32", {popm(32)}, &T::Rating, 2},
        {"POPM 128", {popm(128)}, &T::Rating, 3},
        {"POPM 196", {popm(196)}, &T::Rating, 4},
        {"POPM 255", {popm(255)}, &T::Rating, 5},
        {"POPM 0", {popm(0)}, &T::Rating, 0},
        {"POPM 0 leaves TXXX rating", {txxx("RATING", "7"), popm(0)}, &T::Rating, 7},
        {"TXXX rating is not scaled", {txxx("rating", "200")}, &T::Rating, 200},
        {"POPM wins over a later TXXX rating", {popm(255), txxx("RATING", "2")}, &T::Rating, 5},
        {"POPM replaces an earlier TXXX rating", {txxx("RATING", "2"), popm(64)}, &T::Rating, 2},
        {"TRCK 7/10", {text("TRCK", "7/10")}, &T::Track, 7},
        {"TRCK total", {text("TRCK", "7/10")}, &T::TrackTotal, 10},
        {"TRCK total beats later TOTALTRACKS", {text("TRCK", "7/10"), txxx("TOTALTRACKS", "12")}, &T::TrackTotal, 10},
        {"TOTALTRACKS when TRCK has none", {text("TRCK", "7"), txxx("TOTALTRACKS", "12")}, &T::TrackTotal, 12},
        {"TRCK total replaces earlier TOTALTRACKS", {txxx("TOTALTRACKS", "12"), text("TRCK", "7/10")}, &T::TrackTotal, 10},
        {"TOTALTRACKS without integer", {txxx("TOTALTRACKS", "many")}, &T::TrackTotal, 0},
        {"TRCK 0/12 changes nothing", {text("TRCK", "0/12")}, &T::TrackTotal, 0},
        {"TRCK text", {text("TRCK", "abc")}, &T::Track, 0},
        {"TRCK later wins", {text("TRCK", "3"), text("TRCK", "4")}, &T::Track, 4},
        {"TPOS disc", {text("TPOS", "2/3")}, &T::Disc, 2},
        {"TPOS total", {text("TPOS", "2/3")}, &T::DiscTotal, 3},
        {"TDRC date", {text("TDRC", "2004-05-06")}, &T::Year, 2004},
        {"TDRC beats earlier TYER", {text("TYER", "1999"), text("TDRC", "2004")}, &T::Year, 2004},
        {"TDRC beats later TYER", {text("TDRC", "2004"), text("TYER", "1999")}, &T::Year, 2004},
        {"TYER alone", {text("TYER", "1999")}, &T::Year, 1999},
        {"TDRL then TORY", {text("TDRL", "2001"), text("TORY", "1990")}, &T::Year, 2001},
        {"TDRC without number", {text("TDRC", "unknown")}, &T::Year, 0},
    };
    for (const NumberCase &c : cases)
        EXPECT_EQ(readV24(c.frames).*c.field, c.expected) << c.name;
}

struct TextCase {
    const char *name;
    Frames frames;
    bool acceptSimilitudes;
    catalog::TagTextField catalog::CurrentTags::*field;
    std::string expected;
};

std::string genre(int index) { return std::string(catalog::genreName(index)); }

TEST(Mp3FrameRules, TextFields)
{
    using T = catalog::CurrentTags;
    ASSERT_EQ(catalog::genreParent(1), 17);
    ASSERT_EQ(genre(17), "Rock");
    const std::vector<TextCase> cases = {
        {"TIT2 capitalised", {text("TIT2", "hello world")}, false, &T::Title, "Hello world"},
        {"TIT2 accented capital", {{"TIT2", fx::utf8Text("\xC3\xA1rbol")}}, false, &T::Title, "\xC1rbol"},
        {"UTF-16 euro to 0x80", {{"TIT2", fx::utf16Text(u"\u20AC 5")}}, false, &T::Title, "\x80 5"},
        {"UTF-16BE text", {{"TPE1", fx::utf16BeText(u"band")}}, false, &T::Artist, "Band"},
        {"no Windows-1252 form", {{"TPE1", fx::utf16Text(u"\u0416uk")}}, false, &T::Artist, "?uk"},
        {"empty later value ignored", {text("TIT2", "A"), text("TIT2", "")}, false, &T::Title, "A"},
        {"TIT3", {text("TIT3", "live")}, false, &T::Subtitle, "Live"},
        {"TPE2", {text("TPE2", "various")}, false, &T::AlbumArtist, "Various"},
        {"TENC", {text("TENC", "lame")}, false, &T::Encoder, "Lame"},
        {"TCON in parentheses kept", {text("TCON", "(17)")}, false, &T::Genre, "(17)"},
        {"TCON bare 17", {text("TCON", "17")}, false, &T::Genre, genre(17)},
        {"TCON bare 1", {text("TCON", "1")}, false, &T::Genre, genre(1)},
        {"TCON bare 1 with similitudes", {text("TCON", "1")}, true, &T::Genre, genre(17)},
        {"TCON 170 kept", {text("TCON", "170")}, false, &T::Genre, "170"},
        {"TCON 159 is a genre", {text("TCON", "159")}, false, &T::Genre, genre(159)},
        {"TCON 160 is not", {text("TCON", "160")}, false, &T::Genre, "160"},
        {"TCON trailing blanks cut", {text("TCON", "rock \t ")}, false, &T::Genre, "Rock"},
        {"TALB beats earlier TOAL", {text("TOAL", "orig"), text("TALB", "album")}, false, &T::Album, "Album"},
        {"TALB beats later TSOA", {text("TALB", "album"), text("TSOA", "sort")}, false, &T::Album, "Album"},
        {"TOAL then TSOA", {text("TOAL", "orig"), text("TSOA", "sort")}, false, &T::Album, "Orig"},
        {"TPUB beats later TCOP", {text("TPUB", "label"), text("TCOP", "copy")}, false, &T::Publisher, "Label"},
        {"TCOP alone", {text("TCOP", "copy")}, false, &T::Publisher, "Copy"},
        {"TOPE beats earlier TXXX performer", {txxx("PERFORMER", "x"), text("TOPE", "orchestra")}, false,
         &T::Performer, "Orchestra"},
        {"TXXX performer only if empty", {text("TOPE", "orchestra"), txxx("performer", "x")}, false, &T::Performer,
         "Orchestra"},
        {"TXXX performer capitalised", {txxx("Performer", "joe")}, false, &T::Performer, "Joe"},
        {"TCOM beats earlier TXXX composer", {txxx("COMPOSER", "x"), text("TCOM", "bach")}, false, &T::Composer, "Bach"},
        {"TXXX other description ignored", {txxx("MOOD", "calm")}, false, &T::Comment, ""},
        {"COMM not capitalised", {{"COMM", fx::comment("", "lower case")}}, false, &T::Comment, "lower case"},
        {"last COMM wins", {{"COMM", fx::comment("", "first")}, {"COMM", fx::comment("x", "second")}}, false,
         &T::Comment, "second"},
        {"unlisted frame ignored", {text("TIT1", "grouping")}, false, &T::Title, ""},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ((readV24(c.frames, c.acceptSimilitudes).*c.field).str(), c.expected) << c.name;
}

TEST(Mp3FrameRules, OverlongValuesAreDroppedNotCut)
{
    const std::string kept(1021, 'a');
    EXPECT_EQ(readV24({text("TIT2", kept)}).Title.str(), "A" + kept.substr(1));
    EXPECT_TRUE(readV24({text("TIT2", std::string(1022, 'a'))}).Title.empty());
    EXPECT_TRUE(readV24({text("TIT2", std::string(1100, 'a'))}).Title.empty());
    // A character outside the basic plane takes two UTF-16 units.
    std::u16string wide(1019, u'a');
    wide += u"\U0001F600";
    EXPECT_EQ(readV24({{"TIT2", fx::utf16Text(wide)}}).Title.str(), "A" + std::string(1018, 'a') + "?");
    wide.push_back(u'a');
    EXPECT_TRUE(readV24({{"TIT2", fx::utf16Text(wide)}}).Title.empty());
    // A dropped value leaves what an earlier frame put in the slot.
    EXPECT_EQ(readV24({text("TALB", "short"), text("TALB", std::string(1100, 'b'))}).Album.str(), "Short");
}

TEST(Mp3FrameRules, LibraryTranslationsOfOlderTags)
{
    // ID3v2.3: the library reads "(17)" as the genre reference 17 and makes TDRC of TYER.
    const catalog::CurrentTags v23 = readFrames(fx::id3v2Tag(
        3, {text("TCON", "(17)"), text("TYER", "1987"), text("TDAT", "0305"), text("TRCK", "2/9")}));
    EXPECT_EQ(v23.Genre.str(), genre(17));
    EXPECT_EQ(v23.Year, 1987);
    EXPECT_EQ(v23.Track, 2);
    EXPECT_EQ(v23.TrackTotal, 9);
    // ID3v2.2 three-character identifiers.
    const catalog::CurrentTags v22 = readFrames(fx::id3v2Tag(2, {text("TT2", "old title"), text("TP1", "old band"),
                                                                 text("TAL", "old album")}));
    EXPECT_EQ(v22.Title.str(), "Old title");
    EXPECT_EQ(v22.Artist.str(), "Old band");
    EXPECT_EQ(v22.Album.str(), "Old album");
    // ID3v1.1 through the same parser.
    const catalog::CurrentTags v1 = readFrames(fx::id3v1Tag("song", "artist", "album", "1994", "note", 4, 17));
    EXPECT_EQ(v1.Title.str(), "Song");
    EXPECT_EQ(v1.Artist.str(), "Artist");
    EXPECT_EQ(v1.Album.str(), "Album");
    EXPECT_EQ(v1.Year, 1994);
    EXPECT_EQ(v1.Comment.str(), "note");
    EXPECT_EQ(v1.Track, 4);
    EXPECT_EQ(v1.Genre.str(), genre(17));
}

class Mp3ReadFile : public ::testing::Test, protected testing::ReaderRecords {
protected:
    std::filesystem::path write(const std::string &name, const std::string &bytes)
    {
        const std::filesystem::path path = m_dir / name;
        writeFile(path, bytes);
        return path;
    }

    TempDir m_dir;
    catalog::LoadOptions m_options{false, false};
};

TEST_F(Mp3ReadFile, UnopenableFileNeverReachesTheCatalog)
{
    m_read.tags.Title.set("left over"); // a record of an earlier file
    EXPECT_FALSE(load(ReadMp3Tags, m_dir / "missing.mp3", m_options).ok());
    EXPECT_TRUE(m_catalog.empty());
    EXPECT_TRUE(currentTags().Title.empty());
    EXPECT_FALSE(load(ReadMp3Tags, m_dir.path(), m_options).ok()) << "a folder";
#ifndef _WIN32
    const std::filesystem::path fifo = m_dir / "fifo.mp3";
    ASSERT_EQ(testing::runCommand("mkfifo '" + fifo.string() + "'"), 0);
    EXPECT_FALSE(load(ReadMp3Tags, fifo, m_options).ok()) << "a FIFO, without waiting";
    EXPECT_EQ(callWriter(WriteMp3Tags, fifo, u"t", u"", 0, 0, false), 0);
#endif
    EXPECT_TRUE(m_catalog.empty());
}

TEST_F(Mp3ReadFile, TaggedFileIsReadCompletedAndCatalogued)
{
    const auto path = write("a.mp3", fx::id3v2Tag(4, {text("TIT2", "song"), text("TPE1", "band"), text("TRCK", "3/12")},
                                                  64) + fx::mpegFrames(3));
    EXPECT_TRUE(load(ReadMp3Tags, path, m_options).ok());
    ASSERT_EQ(m_catalog.size(), 1u);
    EXPECT_EQ(m_catalog.at(0).Path, path);
    const catalog::CurrentTags &tags = currentTags();
    EXPECT_EQ(tags.Title.str(), "Song");
    EXPECT_EQ(tags.Artist.str(), "Band");
    EXPECT_EQ(tags.Track, 3);
    EXPECT_EQ(tags.TrackTotal, 12);
    EXPECT_GT(tags.FillScore, 0) << "tag completion ran";
}

TEST_F(Mp3ReadFile, FileWithoutTagCompletesOnlyFromTheNameWhenAsked)
{
    const auto path = write("Some Band - Some Song.mp3", fx::mpegFrames(3));
    EXPECT_TRUE(readTags(ReadMp3Tags, path, m_options).ok());
    EXPECT_TRUE(currentTags().Title.empty());
    EXPECT_EQ(currentTags().FillScore, 0);

    catalog::LoadOptions fromName{true, false};
    EXPECT_TRUE(readTags(ReadMp3Tags, path, fromName).ok());
    EXPECT_FALSE(currentTags().Title.empty());
    EXPECT_FALSE(currentTags().Artist.empty());
    EXPECT_GT(currentTags().FillScore, 0);
}

TEST_F(Mp3ReadFile, Id3v1OnlyFile)
{
    const auto path = write("v1.mp3", fx::mpegFrames(3) + fx::id3v1Tag("title", "artist", "album", "2001",
                                                                        "comment", 7, 0));
    EXPECT_TRUE(readTags(ReadMp3Tags, path, m_options).ok());
    const catalog::CurrentTags &tags = currentTags();
    EXPECT_EQ(tags.Title.str(), "Title");
    EXPECT_EQ(tags.Artist.str(), "Artist");
    EXPECT_EQ(tags.Album.str(), "Album");
    EXPECT_EQ(tags.Year, 2001);
    EXPECT_EQ(tags.Track, 7);
    EXPECT_EQ(tags.Genre.str(), genre(0));
    EXPECT_EQ(tags.Comment.str(), "comment");
}

TEST_F(Mp3ReadFile, CompressedAndUnsynchronisedFrames)
{
    const std::string body = fx::latin1Text("packed title");
    const std::uint32_t size = static_cast<std::uint32_t>(body.size());
    std::string data = {static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                        static_cast<char>(size)};
    data += fx::zlibStored(body);
    const auto compressed = write("z.mp3", fx::id3v2Tag(3, {{"TIT2", data, 0x0080}}) + fx::mpegFrames(2));
    EXPECT_TRUE(readTags(ReadMp3Tags, compressed, m_options).ok());
    EXPECT_EQ(currentTags().Title.str(), "Packed title");

    // Tag-wide unsynchronisation: every 0xFF is followed by an inserted 0x00.
    const std::string value = std::string("\xFF\xE0") + "x";
    const std::string unsynchronised =
        fx::unsynchronised(fx::id3v2Tag(3, {text("TPE1", "band"), {"COMM", fx::comment("", value)}}));
    ASSERT_NE(unsynchronised.find(std::string("\xFF\x00\xE0", 3)), std::string::npos);
    const auto unsync = write("u.mp3", unsynchronised + fx::mpegFrames(2));
    EXPECT_TRUE(readTags(ReadMp3Tags, unsync, m_options).ok());
    EXPECT_EQ(currentTags().Artist.str(), "Band");
    EXPECT_EQ(currentTags().Comment.str(), "\xFF\xE0x");
}

// Damaged files: each one is read (0) or refused (1), never a crash or a hang.
TEST_F(Mp3ReadFile, DamagedFilesLoadOrAreLeftOut)
{
    const std::string good = fx::id3v2Tag(3, {text("TIT2", "title"), text("TPE1", "artist")}, 32);
    std::string pastEnd = good;
    pastEnd[6] = 0x7F;   // size field far beyond the end of the file
    std::string frameOverrun = fx::id3v2Tag(4, {text("TIT2", "title")});
    frameOverrun[17] = 0x7F;   // the frame claims more bytes than the tag holds
    std::string v22Compressed = fx::id3v2Tag(2, {text("TT2", "t")});
    v22Compressed[5] = 0x40;
    std::string badExtended = fx::id3v2Tag(4, {text("TIT2", "title")});
    badExtended[5] = 0x40;   // extended header flag, but frames follow
    const std::vector<std::pair<const char *, std::string>> files = {
        {"empty", ""},
        {"garbage", "this is not an mp3 at all"},
        {"three bytes", "ID3"},
        {"header only", good.substr(0, 10)},
        {"truncated tag", good.substr(0, good.size() / 2)},
        {"size past end", pastEnd + fx::mpegFrames(1)},
        {"frame past tag end", frameOverrun + fx::mpegFrames(1)},
        {"ID3v2.2 compressed", v22Compressed + fx::mpegFrames(1)},
        {"bad extended header", badExtended},
        {"version 5", std::string("ID3\x05\x00\x00\x00\x00\x00\x10", 10) + std::string(16, 'A')},
        {"only a v1 magic", "TAG"},
        {"truncated audio", good + fx::mpegFrames(1).substr(0, 100)},
    };
    for (const auto &[name, bytes] : files) {
        const auto path = write(std::string(name) + ".mp3", bytes);
        const ReadResult result = readTags(ReadMp3Tags, path, m_options);
        // Read, or refused with a reason.
        EXPECT_TRUE(result.ok() || !statusText(result).empty()) << name;
        EXPECT_EQ(pictureTable().count(), 0) << name;
    }
    EXPECT_TRUE(readTags(ReadMp3Tags, write("t.mp3", good + fx::mpegFrames(1).substr(0, 100)), m_options).ok());
    EXPECT_EQ(currentTags().Title.str(), "Title");
}

// Random damage to valid tags of every version, under the sanitizers in their build.
TEST_F(Mp3ReadFile, RandomlyDamagedTagsNeverCrash)
{
    const std::vector<std::string> seeds = {
        fx::id3v2Tag(2, {text("TT2", "title"), text("TCO", "(17)Rock"), {"COM", fx::comment("d", "c")}}),
        fx::id3v2Tag(3, {text("TIT2", "title"), txxx("TOTALTRACKS", "9"), popm(128), text("TYER", "1999"),
                         {"APIC", fx::picture(3, "cover", "PNGDATA")}}, 16),
        fx::id3v2Tag(4, {{"TIT2", fx::utf16Text(u"t\u00EFtle")}, {"TPE1", fx::utf8Text("b\xC3\xA4nd")},
                         {"COMM", fx::comment("", "c")}, text("TRCK", "1/2")}),
    };
    std::mt19937 random(20240607);
    const std::string audio = fx::mpegFrames(2);
    for (int round = 0; round < 400; ++round) {
        std::string bytes = seeds[round % seeds.size()];
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < flips; ++f)
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        if (round % 7 == 0)
            bytes.resize(random() % bytes.size());
        const auto path = write("fuzz.mp3", bytes + audio);
        const ReadResult result = readTags(ReadMp3Tags, path, m_options);
        ASSERT_TRUE(result.ok() || !statusText(result).empty()) << "round " << round;
    }
}

class Mp3ReadRealFile : public Mp3ReadFile {
protected:
    void SetUp() override
    {
        Mp3ReadFile::SetUp();
        if (fx::plainAudioMp3().empty() || !haveMutagen())
            GTEST_SKIP() << "sox, lame or mutagen missing";
    }

    // A copy of the real audio tagged by mutagen.
    std::filesystem::path tagged(const std::string &name, const std::string &saveArguments, bool dropV2 = false)
    {
        const std::filesystem::path path = m_dir / name;
        std::filesystem::copy_file(fx::plainAudioMp3(), path);
        const std::string script = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, TPOS, TCON, COMM, TXXX, POPM, TCOM, Encoding
import mutagen.id3
tag = ID3()
tag.add(TIT2(encoding=Encoding.UTF16, text="\u00e9t\u00e9 \u20ac"))
tag.add(TPE1(encoding=Encoding.UTF8, text="groupe"))
tag.add(TALB(encoding=Encoding.LATIN1, text="album"))
tag.add(TDRC(encoding=Encoding.LATIN1, text="2003-04-05"))
tag.add(TRCK(encoding=Encoding.LATIN1, text="4/11"))
tag.add(TPOS(encoding=Encoding.LATIN1, text="1/2"))
tag.add(TCON(encoding=Encoding.LATIN1, text="Jazz"))
tag.add(COMM(encoding=Encoding.UTF16, lang="eng", desc="", text="a comment"))
tag.add(TXXX(encoding=Encoding.UTF8, desc="COMPOSER", text="ellington"))
tag.add(POPM(email="x@example.com", rating=200, count=3))
)" + std::string("tag.save(sys.argv[1], ") + saveArguments + ")\n" +
                                   (dropV2 ? "mutagen.id3.delete(sys.argv[1], delete_v1=False, delete_v2=True)\n" : "");
        EXPECT_EQ(runPython(script, {path.string()}), 0);
        return path;
    }
};

TEST_F(Mp3ReadRealFile, TagsWrittenByMutagen)
{
    for (const char *version : {"v2_version=3", "v2_version=4"}) {
        SCOPED_TRACE(version);
        const auto path = tagged(std::string("m") + version[11] + ".mp3", version);
        ASSERT_TRUE(readTags(ReadMp3Tags, path, m_options).ok());
        const catalog::CurrentTags &tags = currentTags();
        EXPECT_EQ(tags.Title.str(), "\xC9t\xE9 \x80");
        EXPECT_EQ(tags.Artist.str(), "Groupe");
        EXPECT_EQ(tags.Album.str(), "Album");
        EXPECT_EQ(tags.Year, 2003);
        EXPECT_EQ(tags.Track, 4);
        EXPECT_EQ(tags.TrackTotal, 11);
        EXPECT_EQ(tags.Disc, 1);
        EXPECT_EQ(tags.DiscTotal, 2);
        EXPECT_EQ(tags.Genre.str(), "Jazz");
        EXPECT_EQ(tags.Comment.str(), "a comment");
        EXPECT_EQ(tags.Composer.str(), "Ellington");
        EXPECT_EQ(tags.Rating, 4);
    }
}

TEST_F(Mp3ReadRealFile, Id3v1WrittenByMutagen)
{
    const auto path = tagged("v1.mp3", "v1=2, v2_version=3", true);
    ASSERT_TRUE(readTags(ReadMp3Tags, path, m_options).ok());
    const catalog::CurrentTags &tags = currentTags();
    // ID3v1 holds ISO-8859-1 only: the euro sign arrives as "?", which completion trims away.
    EXPECT_EQ(tags.Title.str(), "\xC9t\xE9");
    EXPECT_EQ(tags.Artist.str(), "Groupe");
    EXPECT_EQ(tags.Year, 2003);
    EXPECT_EQ(tags.Track, 4);
    EXPECT_EQ(tags.Genre.str(), "Jazz");
}

} // namespace
} // namespace tunvale::formats
