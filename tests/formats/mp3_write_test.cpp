// The MP3 writer: copy -> WriteMp3Tags -> reopen -> check, with the audio bytes after the tag
// compared to the source's, and mutagen / ffprobe reading what we wrote.
#include "support/audio_tools.h"
#include "support/mp3_fixtures.h"
#include "support/temp_dir.h"

#include "catalog/records/current_tags.h"
#include "formats/io/work_files.h"
#include "formats/mp3/mp3_tags.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>
#include <id3tag.h>

#include <memory>
#include <random>

namespace tunvale::formats {
namespace {

using tunvale::testing::callWriter;

using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using testing::ffprobeTags;
using testing::haveFfprobe;
using testing::haveMp3val;
using testing::haveMutagen;
using testing::mp3valReport;
using testing::mutagenFrames;
using testing::runPython;
namespace fx = testing::mp3;

struct TagDeleter {
    void operator()(id3_tag *tag) const { id3_tag_delete(tag); }
};
using TagPtr = std::unique_ptr<id3_tag, TagDeleter>;

fx::Frame text(const std::string &id, const std::string &value) { return {id, fx::latin1Text(value)}; }

// Length of the ID3v2 tag a file starts with (0 when none).
std::size_t tagLength(const std::string &bytes)
{
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return 0;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | static_cast<unsigned char>(bytes[i]);
    return 10 + size;
}

TagPtr parseLeadingTag(const std::string &bytes)
{
    return TagPtr(id3_tag_parse(reinterpret_cast<const id3_byte_t *>(bytes.data()), tagLength(bytes)));
}

std::string firstText(const id3_tag &tag, const char *id)
{
    const id3_frame *frame = id3_tag_findframe(&tag, id, 0);
    if (!frame || id3_field_getnstrings(id3_frame_field(frame, 1)) == 0)
        return "<none>";
    id3_utf8_t *utf8 = id3_ucs4_utf8duplicate(id3_field_getstrings(id3_frame_field(frame, 1), 0));
    std::string result(reinterpret_cast<const char *>(utf8));
    std::free(utf8);
    return result;
}

int frameCount(const id3_tag &tag, const char *id)
{
    int count = 0;
    while (id3_tag_findframe(&tag, id, static_cast<unsigned int>(count)))
        ++count;
    return count;
}

// Walks the frames of an ID3v2.3 tag as a strict 2.3 reader does: plain 32-bit sizes that
// add up exactly to the frames area, valid identifiers, text encodings 0 or 1 only.
void expectStrictV23(const std::string &bytes)
{
    ASSERT_GE(bytes.size(), 10u);
    ASSERT_EQ(bytes.substr(0, 3), "ID3");
    EXPECT_EQ(bytes[3], 3);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[5], 0) << "no unsynchronisation, no extended header";
    const std::size_t end = tagLength(bytes);
    std::size_t position = 10;
    while (position + 10 <= end && bytes[position] != '\0') {
        const std::string id = bytes.substr(position, 4);
        for (const char c : id)
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << "identifier " << id;
        std::size_t size = 0;
        for (int i = 4; i < 8; ++i)
            size = (size << 8) | static_cast<unsigned char>(bytes[position + i]);
        ASSERT_LE(position + 10 + size, end) << id;
        const bool grouped = (static_cast<unsigned char>(bytes[position + 9]) & 0x20) != 0;
        if (id[0] == 'T' || id == "COMM" || id == "APIC" || id == "IPLS") {
            EXPECT_LE(static_cast<unsigned char>(bytes[position + (grouped ? 11 : 10)]), 1) << "encoding of " << id;
        }
        position += 10 + size;
    }
    for (; position < end; ++position)
        ASSERT_EQ(bytes[position], '\0') << "padding is zeros";
}

// mutagen, reading the file as it is, sees an ID3v2.3 tag it fully understands with these texts.
void expectMutagenReads(const std::filesystem::path &path, const std::map<std::string, std::string> &expected)
{
    if (!haveMutagen())
        return;
    auto frames = mutagenFrames(path);
    EXPECT_EQ(frames["version"], "2.3.0");
    EXPECT_EQ(frames["unknown"], "0");
    for (const auto &[key, value] : expected)
        EXPECT_EQ(frames[key], value) << key;
}

class Mp3Write : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string &bytes, const std::string &name = "copy.mp3")
    {
        const std::filesystem::path path = m_dir / name;
        writeFile(path, bytes);
        return path;
    }

    TempDir m_dir;
    const std::string m_audio = fx::mpegFrames(6);
};

TEST_F(Mp3Write, PaddedTagIsRewrittenInPlace)
{
    for (const int major : {3, 4}) {
        SCOPED_TRACE(major);
        const std::string source =
            fx::id3v2Tag(major, {text("TIT2", "old"), text("TALB", "album"), text("TPE1", "x")}, 400) + m_audio;
        const auto path = write(source);
        ASSERT_EQ(callWriter(WriteMp3Tags, path, u"A much longer new title", u"Artist", 3, 0, false), 1);
        const std::string bytes = readFile(path);
        EXPECT_EQ(bytes.size(), source.size()) << "the length does not change";
        EXPECT_EQ(tagLength(bytes), tagLength(source));
        expectStrictV23(bytes);
        EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
        const TagPtr tag = parseLeadingTag(bytes);
        ASSERT_TRUE(tag);
        EXPECT_EQ(firstText(*tag, "TIT2"), "A much longer new title");
        EXPECT_EQ(firstText(*tag, "TPE1"), "Artist");
        EXPECT_EQ(firstText(*tag, "TALB"), "album");
        EXPECT_EQ(firstText(*tag, "TRCK"), "3");
        expectMutagenReads(path, {{"TIT2", "A much longer new title"}, {"TALB", "album"}, {"TRCK", "3"}});
    }
}

TEST_F(Mp3Write, FileWithoutTagGetsOneAtItsStart)
{
    const auto path = write(m_audio);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"Title", u"Artist", 5, 12, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    const TagPtr tag = parseLeadingTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->nframes, 3u) << "only the frames set";
    EXPECT_EQ(firstText(*tag, "TIT2"), "Title");
    EXPECT_EQ(firstText(*tag, "TPE1"), "Artist");
    EXPECT_EQ(firstText(*tag, "TRCK"), "5/12");
    expectMutagenReads(path, {{"TIT2", "Title"}, {"TPE1", "Artist"}, {"TRCK", "5/12"}});
}

TEST_F(Mp3Write, GrownTagMovesTheAudioUnchanged)
{
    // More than one 102400-byte block of audio behind a tag without room.
    const std::string audio = fx::mpegFrames(600);
    const std::string source = fx::id3v2Tag(3, {text("TIT2", "t")}) + audio;
    const auto path = write(source);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, std::u16string(300, u'x'), u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    EXPECT_GT(tagLength(bytes), tagLength(source));
    EXPECT_TRUE(bytes.substr(tagLength(bytes)) == audio);
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tunvale-tag.tmp"));
    // No work file is left beside the copy either.
    for (const auto &entry : std::filesystem::directory_iterator(path.parent_path()))
        EXPECT_FALSE(io::isProgramName(entry.path().filename())) << entry.path();
}

TEST_F(Mp3Write, Id3v1OnlyFileGetsBothTags)
{
    const std::string v1 = fx::id3v1Tag("old title", "old artist", "the album", "1999", "note", 4, 17);
    const auto path = write(m_audio + v1);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"New title", u"New artist", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    const std::size_t length = tagLength(bytes);
    ASSERT_EQ(bytes.size(), length + m_audio.size() + 128);
    EXPECT_EQ(bytes.substr(length, m_audio.size()), m_audio);

    const TagPtr v2 = parseLeadingTag(bytes);
    ASSERT_TRUE(v2);
    EXPECT_EQ(firstText(*v2, "TIT2"), "New title");
    EXPECT_EQ(firstText(*v2, "TALB"), "the album") << "the ID3v1 fields carry over";
    EXPECT_EQ(firstText(*v2, "TDRC"), "1999") << "written as TYER, read back by the library as TDRC";

    const std::string newV1 = bytes.substr(bytes.size() - 128);
    const TagPtr v1Tag(id3_tag_parse(reinterpret_cast<const id3_byte_t *>(newV1.data()), 128));
    ASSERT_TRUE(v1Tag);
    EXPECT_EQ(firstText(*v1Tag, "TIT2"), "New title");
    EXPECT_EQ(firstText(*v1Tag, "TPE1"), "New artist");
    EXPECT_EQ(firstText(*v1Tag, "TALB"), "the album");
    EXPECT_EQ(firstText(*v1Tag, "TDRC"), "1999");
    EXPECT_EQ(firstText(*v1Tag, "TRCK"), "4");
    EXPECT_EQ(firstText(*v1Tag, "TCON"), "17");
    expectMutagenReads(path, {{"TIT2", "New title"}, {"TPE1", "New artist"}, {"TALB", "the album"},
                              {"TYER", "1999"}, {"TCON", "(17)"}, {"v1", "1"}});
}

// libid3tag's own ID3v1 rendering crashes on a text frame without any string; ours does not.
TEST_F(Mp3Write, Id3v1RewrittenFromFramesWithoutText)
{
    const std::string v1 = fx::id3v1Tag("old", "artist", "", "", "", 0, 255);
    const auto path = write(fx::id3v2Tag(4, {{"TRCK", std::string(1, '\0')}, {"TCON", std::string(1, '\0')},
                                             {"TDRC", std::string(1, '\0')}},
                                         40) + m_audio + v1);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"New", u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    const std::string newV1 = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(newV1.substr(0, 6), "TAGNew");
    EXPECT_EQ(newV1[126], '\0') << "no track";
    EXPECT_EQ(static_cast<unsigned char>(newV1[127]), 255) << "no genre";
    EXPECT_EQ(bytes.substr(tagLength(bytes), m_audio.size()), m_audio);
}

TEST_F(Mp3Write, Id3v22TagIsRewrittenAsId3v23)
{
    const auto path = write(fx::id3v2Tag(2, {text("TT2", "old"), text("TP1", "band"), text("TAL", "album"),
                                             {"COM", fx::comment("", "note")}, text("TYE", "1995")}) + m_audio);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"New", u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    expectMutagenReads(path, {{"TIT2", "New"}, {"TPE1", "band"}, {"TALB", "album"}, {"COMM::eng", "note"}});
}

TEST_F(Mp3Write, CompressedAndUnsynchronisedSourceFrames)
{
    const std::string body = fx::latin1Text("packed");
    const auto size = static_cast<std::uint32_t>(body.size());
    std::string data = {static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                        static_cast<char>(size)};
    data += fx::zlibStored(body);
    const std::string comment = fx::comment("", std::string("\xFF\xE0 sync", 7));
    const auto path = write(fx::unsynchronised(fx::id3v2Tag(3, {{"TALB", data, 0x0080}, {"COMM", comment}})) + m_audio);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"title", u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    const TagPtr tag = parseLeadingTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(firstText(*tag, "TALB"), "packed") << "written uncompressed";
    EXPECT_NE(bytes.find(std::string("\xFF\xE0 sync", 7)), std::string::npos) << "written without unsynchronisation";
    expectMutagenReads(path, {{"TIT2", "title"}, {"TALB", "packed"}});
}

TEST_F(Mp3Write, TrackText)
{
    struct Case {
        int track, total;
        const char *expected;
    };
    for (const Case &c : {Case{5, 0, "5"}, Case{5, 12, "5/12"}, Case{7, -1, "7"}, Case{0, 12, "9/10"}}) {
        const auto path = write(fx::id3v2Tag(3, {text("TRCK", "9/10")}, 50) + m_audio);
        ASSERT_EQ(callWriter(WriteMp3Tags, path, u"", u"", c.track, c.total, false), 1);
        const TagPtr tag = parseLeadingTag(readFile(path));
        ASSERT_TRUE(tag);
        EXPECT_EQ(firstText(*tag, "TRCK"), c.expected) << c.track << "/" << c.total;
    }
}

TEST_F(Mp3Write, TotalTracksFrameIsLeftAsItIs)
{
    const auto path = write(fx::id3v2Tag(3, {{"TXXX", fx::userText("TOTALTRACKS", "12")}}, 50) + m_audio);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"", u"", 7, 10, false), 1);
    TrackRead read;
    ASSERT_TRUE(ReadMp3Tags(path, {false, false}, read).ok());
    completeReadTags(read, path, false);
    EXPECT_EQ(read.tags.Track, 7);
    EXPECT_EQ(read.tags.TrackTotal, 10) << "TRCK 7/10 comes first, the TXXX only fills an empty slot";
}

TEST_F(Mp3Write, PicturesRemovedOtherFramesKept)
{
    const std::string source = fx::id3v2Tag(3, {text("TIT2", "title"), {"APIC", fx::picture(3, "front", "PNG1")},
                                                 {"TXXX", fx::userText("MOOD", "calm")},
                                                 {"APIC", fx::picture(4, "back", "PNG2")}, text("TALB", "album")},
                                             10) + m_audio;
    const auto path = write(source);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"", u"", 0, 0, true), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.size(), source.size()) << "a shorter tag keeps its length with padding";
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    const TagPtr tag = parseLeadingTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(frameCount(*tag, "APIC"), 0);
    EXPECT_EQ(firstText(*tag, "TIT2"), "title");
    EXPECT_EQ(firstText(*tag, "TALB"), "album");
    EXPECT_EQ(frameCount(*tag, "TXXX"), 1);
    expectMutagenReads(path, {{"TIT2", "title"}, {"TXXX:MOOD", "calm"}, {"TALB", "album"}});
    if (haveMutagen()) {
        for (const auto &[key, value] : mutagenFrames(path))
            EXPECT_NE(key.rfind("APIC", 0), 0u) << key;
    }
}

TEST_F(Mp3Write, NothingToWriteLeavesTheFileAlone)
{
    const std::string source = fx::id3v2Tag(4, {text("TIT2", "title")}, 10) + m_audio;
    const auto path = write(source);
    EXPECT_EQ(callWriter(WriteMp3Tags, path, u"", u"", 0, 0, false), 1);
    EXPECT_EQ(readFile(path), source);
    EXPECT_EQ(callWriter(WriteMp3Tags, path, u"", u"", -3, 5, true), 1) << "no picture to remove";
    EXPECT_EQ(readFile(path), source) << "still the ID3v2.4 tag: nothing was rendered";
}

TEST_F(Mp3Write, RefusedFilesAreNotTouched)
{
    EXPECT_EQ(callWriter(WriteMp3Tags, m_dir / "missing.mp3", u"t", u"", 0, 0, false), 0);
    EXPECT_EQ(callWriter(WriteMp3Tags, m_dir.path(), u"t", u"", 0, 0, false), 0) << "a folder";

    std::string pastEnd = fx::id3v2Tag(3, {text("TIT2", "t")}) + m_audio;
    pastEnd[6] = 0x7F;
    std::string unparseable = fx::id3v2Tag(2, {text("TT2", "t")}) + m_audio;
    unparseable[5] = 0x40;   // ID3v2.2 compression: the library cannot read the tag
    std::string appended = fx::id3v2Tag(3, {text("TIT2", "front")}) + m_audio;
    std::string footerTag = fx::id3v2Tag(4, {text("TIT2", "back")}, 0, 0x10);
    std::string footer = footerTag.substr(0, 10);
    footer[0] = '3';
    footer[1] = 'D';
    footer[2] = 'I';
    appended += footerTag + footer;
    for (const std::string &source : {pastEnd, unparseable, appended}) {
        const auto path = write(source);
        EXPECT_EQ(callWriter(WriteMp3Tags, path, u"new", u"", 1, 0, false), 0);
        EXPECT_EQ(readFile(path), source);
    }
}

// The copy's tag goes through the same cleaning as the reader's: a tag that would lose a frame
// on the way is not rewritten, one with stray bytes after its frames or ending in FF 00 is.
TEST_F(Mp3Write, TagsAreCleanedBeforeTheRewrite)
{
    const std::string overLimit = "\x01\x00\x00\x01" + fx::zlibStored(fx::latin1Text("x"));   // 16 MiB + 1
    const std::string misnamed = fx::id3v2Tag(3, {text("TIT2", "t"), text("T!T3", "x"), text("TPE1", "band")});
    for (const std::string &source : {fx::id3v2Tag(3, {text("TPE1", "band"), {"COMM", overLimit, 0x0080}}) + m_audio,
                                      misnamed + m_audio}) {
        const auto path = write(source);
        EXPECT_EQ(callWriter(WriteMp3Tags, path, u"new", u"", 0, 0, false), 0);
        EXPECT_EQ(readFile(path), source);
    }

    const std::string endsInFF00 = fx::unsynchronised(fx::id3v2Tag(3, {text("TPE1", "band")}) + "\xFF") + m_audio;
    std::string stray = fx::id3v2Tag(3, {text("TPE1", "band")});
    stray += "\x01\x02\x03";
    stray[9] = static_cast<char>(stray[9] + 3);
    for (const std::string &tag : {endsInFF00, stray + m_audio}) {
        const auto path = write(tag);
        ASSERT_EQ(callWriter(WriteMp3Tags, path, u"new", u"", 0, 0, false), 1);
        const std::string bytes = readFile(path);
        const TagPtr written = parseLeadingTag(bytes);
        ASSERT_TRUE(written);
        EXPECT_EQ(firstText(*written, "TIT2"), "new");
        EXPECT_EQ(firstText(*written, "TPE1"), "band");
        EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    }
}

TEST_F(Mp3Write, FailedGrowthLeavesTheCopyIntact)
{
    const std::string source = fx::id3v2Tag(3, {text("TIT2", "t")}) + m_audio;
    const auto path = write(source);
    // The work file beside the copy cannot be created: a folder holds the name it gets.
    io::WorkNames names("blocked-for-test");
    std::filesystem::create_directory(path.parent_path() / io::workFileName("blocked-for-test", 0));
    EXPECT_FALSE(WriteMp3Tags(path, {u"a title long enough to need a larger tag", u"", 0, 0, false}, names).written);
    EXPECT_EQ(readFile(path), source);
}

TEST_F(Mp3Write, Id3v24FramesBecomeId3v23Frames)
{
    const std::string source =
        fx::id3v2Tag(4, {{"TIT2", fx::utf8Text("caf\xC3\xA9")}, {"TPE1", fx::utf16BeText(u"\u0416uk")},
                         text("TDRC", "2004-05-06T07:08"), text("TDOR", "1990-01-01"),
                         {"TIPL", fx::latin1Text(std::string("producer\0someone", 16))}, text("TSOA", "sort"),
                         {"SEEK", std::string("\0\0\0\x10", 4)}, text("TCON", "17"),
                         // A grouped frame: the group byte comes before the data.
                         {"TIT3", "\x05" + fx::latin1Text("grouped"), 0x0040}},
                     0) + m_audio;
    const auto path = write(source);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"", u"", 2, 0, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_audio);
    const TagPtr tag = parseLeadingTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(id3_tag_version(tag.get()), 0x0300u);
    EXPECT_EQ(firstText(*tag, "TIT2"), "caf\xC3\xA9");
    EXPECT_EQ(firstText(*tag, "TPE1"), "\xD0\x96uk");
    EXPECT_EQ(firstText(*tag, "TDRC"), "2004-05-06T07:08") << "TYER, TDAT and TIME put back together";
    EXPECT_EQ(firstText(*tag, "TDOR"), "1990") << "TORY holds the year";
    EXPECT_EQ(firstText(*tag, "TSOA"), "sort");
    EXPECT_EQ(frameCount(*tag, "SEEK"), 0);
    EXPECT_EQ(frameCount(*tag, "TIPL"), 1) << "written as IPLS";
    EXPECT_EQ(firstText(*tag, "TCON"), "17") << "written as (17)";
    EXPECT_NE(bytes.find("TYER"), std::string::npos);
    EXPECT_NE(bytes.find("IPLS"), std::string::npos);
    EXPECT_EQ(bytes.find("TDRC"), std::string::npos);
    EXPECT_EQ(bytes.find("SEEK"), std::string::npos);
    EXPECT_NE(bytes.find("(17)"), std::string::npos);
    EXPECT_NE(bytes.find(std::string("TIT3\0\0\0\x09\0\x20\x05\0grouped", 19)), std::string::npos)
        << "ID3v2.3 grouping flag and group byte";
    expectMutagenReads(path, {{"TIT2", "caf\xC3\xA9"}, {"TPE1", "\xD0\x96uk"}, {"TYER", "2004"}, {"TDAT", "0605"},
                              {"TIME", "0708"}, {"TORY", "1990"}, {"TSOA", "sort"}, {"TRCK", "2"}});
}

TEST_F(Mp3Write, Id3v23ObsoleteFramesSurviveARewrite)
{
    const std::string rvad = std::string("\x03\x10\x01\x00\x01\x00", 6);
    const auto path = write(fx::id3v2Tag(3, {text("TYER", "1987"), text("TDAT", "3105"), {"RVAD", rvad},
                                             text("TSIZ", "1234")},
                                         20) + m_audio);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"title", u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_NE(bytes.find(std::string("RVAD\0\0\0\x06\0\0", 10) + rvad), std::string::npos);
    EXPECT_NE(bytes.find("TSIZ"), std::string::npos);
    const TagPtr tag = parseLeadingTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(firstText(*tag, "TDRC"), "1987-05-31");
    EXPECT_EQ(bytes.find("1987"), bytes.rfind("1987")) << "one TYER, not the old one and the converted TDRC";
}

// Randomly damaged tags: the writer either refuses (file untouched) or writes a tag the library
// reads back, with the audio unchanged.
TEST_F(Mp3Write, RandomlyDamagedTags)
{
    const std::vector<std::string> seeds = {
        fx::id3v2Tag(2, {text("TT2", "title"), text("TCO", "(17)Rock"), {"COM", fx::comment("d", "c")}}),
        fx::id3v2Tag(3, {text("TIT2", "title"), {"TXXX", fx::userText("TOTALTRACKS", "9")},
                         {"POPM", fx::popularimeter("a@b", 128)}, text("TYER", "1999"),
                         {"APIC", fx::picture(3, "cover", "PNGDATA")}}, 16),
        fx::id3v2Tag(4, {{"TIT2", fx::utf16Text(u"t\u00EFtle")}, {"TPE1", fx::utf8Text("b\xC3\xA4nd")},
                         {"COMM", fx::comment("", "c")}, text("TRCK", "1/2")}),
    };
    std::mt19937 random(77);
    for (int round = 0; round < 300; ++round) {
        std::string tagBytes = seeds[round % seeds.size()];
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            tagBytes[10 + random() % (tagBytes.size() - 10)] = static_cast<char>(random() & 0xFF);
        const std::string source = tagBytes + m_audio;
        const auto path = write(source);
        const int result = callWriter(WriteMp3Tags, path, u"T\u00EFtle", u"Band", 4, 9, round % 2 == 0);
        const std::string bytes = readFile(path);
        if (result == 0) {
            EXPECT_EQ(bytes, source) << "round " << round;
            continue;
        }
        ASSERT_EQ(result, 1);
        expectStrictV23(bytes);
        ASSERT_GE(bytes.size(), m_audio.size());
        EXPECT_EQ(bytes.substr(bytes.size() - m_audio.size()), m_audio) << "round " << round;
        const TagPtr tag = parseLeadingTag(bytes);
        ASSERT_TRUE(tag) << "round " << round;
        EXPECT_EQ(firstText(*tag, "TIT2"), "T\xC3\xAFtle");
    }
}

class Mp3WriteInterop : public Mp3Write {
protected:
    void SetUp() override
    {
        if (fx::plainAudioMp3().empty() || !haveMutagen())
            GTEST_SKIP() << "sox, lame or mutagen missing";
        m_plain = readFile(fx::plainAudioMp3());
    }

    std::filesystem::path taggedByMutagen(const std::string &saveArguments)
    {
        const auto path = write(m_plain, "interop.mp3");
        const std::string script = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TSOA, TCON, TXXX, APIC, COMM, Encoding
tag = ID3()
tag.add(TIT2(encoding=Encoding.UTF8, text="old title"))
tag.add(TPE1(encoding=Encoding.UTF16BE, text="old artist"))
tag.add(TALB(encoding=Encoding.UTF8, text="\u00e9l\u00e9ment"))
tag.add(TDRC(encoding=Encoding.UTF8, text="2003-04-05"))
tag.add(TSOA(encoding=Encoding.UTF8, text="element"))
tag.add(TCON(encoding=Encoding.UTF8, text=["Jazz", "Blues"]))
tag.add(TXXX(encoding=Encoding.UTF8, desc="MOOD", text="calm"))
tag.add(COMM(encoding=Encoding.UTF8, lang="eng", desc="", text="kept"))
tag.add(APIC(encoding=Encoding.LATIN1, mime="image/png", type=3, desc="front", data=b"x" * 3000))
tag.add(APIC(encoding=Encoding.LATIN1, mime="image/png", type=4, desc="back", data=b"y" * 3000))
tag.save(sys.argv[1], )" + saveArguments + ")\n";
        EXPECT_EQ(runPython(script, {path.string()}), 0);
        return path;
    }

    std::string m_plain;
};

TEST_F(Mp3WriteInterop, Id3v24FromMutagenBecomesReadableId3v23)
{
    const auto path = taggedByMutagen("v2_version=4");
    const std::string source = readFile(path);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"\u00c9t\u00e9 \u20ac", u"New artist", 5, 12, true), 1);
    const std::string bytes = readFile(path);
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes)), source.substr(tagLength(source))) << "audio frames unchanged";
    EXPECT_EQ(bytes.substr(tagLength(bytes)), m_plain);

    auto frames = mutagenFrames(path);
    EXPECT_EQ(frames["version"], "2.3.0");
    EXPECT_EQ(frames["unknown"], "0");
    EXPECT_EQ(frames["TIT2"], "\xC3\x89t\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(frames["TPE1"], "New artist");
    EXPECT_EQ(frames["TRCK"], "5/12");
    EXPECT_EQ(frames["TALB"], "\xC3\xA9l\xC3\xA9ment");
    EXPECT_EQ(frames["TYER"], "2003");
    EXPECT_EQ(frames["TDAT"], "0504");
    EXPECT_EQ(frames["TXXX:MOOD"], "calm");
    EXPECT_EQ(frames["COMM::eng"], "kept");
    EXPECT_EQ(frames["TCON"], "Jazz/Blues");
    EXPECT_EQ(frames.count("TDRC"), 0u);
    for (const auto &[key, value] : frames)
        EXPECT_NE(key.rfind("APIC", 0), 0u) << key;

    if (haveMp3val()) {
        const std::string report = mp3valReport(path);
        EXPECT_NE(report.find("+ID3v2"), std::string::npos) << report;
        EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
        EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    }
    if (haveFfprobe()) {
        auto tags = ffprobeTags(path);
        EXPECT_EQ(tags["title"], "\xC3\x89t\xC3\xA9 \xE2\x82\xAC");
        EXPECT_EQ(tags["artist"], "New artist");
        EXPECT_EQ(tags["track"], "5/12");
        EXPECT_EQ(tags["album"], "\xC3\xA9l\xC3\xA9ment");
    }
}

TEST_F(Mp3WriteInterop, Id3v23InPlaceAndId3v1FromMutagen)
{
    const auto path = taggedByMutagen("v2_version=3, v1=2");
    const std::string source = readFile(path);
    ASSERT_EQ(callWriter(WriteMp3Tags, path, u"Short", u"", 0, 0, false), 1);
    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes.size(), source.size()) << "mutagen leaves padding: rewritten in place";
    expectStrictV23(bytes);
    EXPECT_EQ(bytes.substr(tagLength(bytes), m_plain.size()), m_plain);
    auto frames = mutagenFrames(path);
    EXPECT_EQ(frames["version"], "2.3.0");
    EXPECT_EQ(frames["unknown"], "0");
    EXPECT_EQ(frames["v1"], "1");
    EXPECT_EQ(frames["TIT2"], "Short");
    EXPECT_EQ(frames["TPE1"], "old artist");
    EXPECT_EQ(frames.count("APIC:front"), 1u);
    EXPECT_EQ(frames.count("APIC:back"), 1u);
    const std::string v1 = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(v1.substr(0, 8), std::string("TAGShort", 8));
    EXPECT_EQ(v1.substr(33, 10), "old artist");
    if (haveMp3val()) {
        const std::string report = mp3valReport(path);
        EXPECT_NE(report.find("+ID3v1+ID3v2"), std::string::npos) << report;
        EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
    }
}

} // namespace
} // namespace tunvale::formats
