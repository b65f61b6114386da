#include "formats/mp4/mp4_tags.h"

#include "formats/mp4/mp4_atom_walk.h"
#include "formats/taglib/regular_file_stream.h"
#include "formats/taglib_fixtures.h"
#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
namespace fixtures = tunvale::testing::taglib;
using tunvale::catalog::CurrentTags;
using tunvale::catalog::PictureTable;
using tunvale::formats::Mp4ItemParse;
using tunvale::formats::readMp4Tags;
using tunvale::formats::RegularFile;
using tunvale::formats::RegularFileStream;
using tunvale::formats::TagReadError;
using tunvale::formats::TagReadResult;
using tunvale::formats::walkMp4Atoms;
using tunvale::formats::WorkCopyOutcome;
using tunvale::formats::writeMp4Tags;
using tunvale::testing::audioStreamMd5;
using tunvale::testing::ffmpegDecodesCleanly;
using tunvale::testing::ffprobeTags;
using tunvale::testing::mutagenTagLines;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

// The items every fixture gets: the usual atoms, free-form items (a label, ReplayGain, a
// binary one), flags and a cover.
const char *kItems = R"(
f['\xa9nam'] = ['Old Title']
f['\xa9ART'] = ['Old Artist']
f['\xa9alb'] = ['Kept Album']
f['aART'] = ['Album Artist']
f['\xa9wrt'] = ['Composer \u00e9']
f['\xa9gen'] = ['Jazz']
f['\xa9day'] = ['1999-05-06']
f['\xa9cmt'] = ['A comment']
f['trkn'] = [(3, 9)]
f['disk'] = [(2, 3)]
f['cpil'] = True
f['tmpo'] = [120]
f['----:com.apple.iTunes:LABEL'] = [MP4FreeForm(b'Label')]
f['----:com.apple.iTunes:replaygain_track_gain'] = [MP4FreeForm(b'-6.50 dB')]
f['----:com.example:binary'] = [MP4FreeForm(b'\x00\x01\x02', dataformat=AtomDataType.IMPLICIT)]
f['covr'] = [MP4Cover(bytes.fromhex(JPEG), imageformat=MP4Cover.FORMAT_JPEG),
             MP4Cover(bytes.fromhex(PNG), imageformat=MP4Cover.FORMAT_PNG)]
)";

// A small real JPEG (made by ffmpeg) and PNG as hexadecimal text for the item script.
std::string hexOf(const std::string &bytes)
{
    static const char *digits = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string coverDefinitions(const fs::path &folder)
{
    const fs::path jpeg = folder / "cover.jpg";
    tunvale::testing::runCommand("ffmpeg -nostdin -loglevel error -f lavfi -i color=red:size=8x8 -frames:v 1 -y "
                                 + tunvale::testing::shellQuote(jpeg.string()));
    const std::string png = "89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c4890000000d4944415478da63"
                            "64f8cf500f00038601805a347d6b0000000049454e44ae426082";
    return "JPEG = '" + hexOf(readFile(jpeg)) + "'\nPNG = '" + png + "'\n";
}

struct Kind {
    const char *name;
    const char *fileName;
    const char *codec;
    bool faststart;
};

// The movie atom after the media data (ffmpeg's default) and before it (+faststart), where a
// growing tag moves the audio and every chunk offset must follow.
const Kind kKinds[] = {
    {"aac", "a.m4a", "aac", false},
    {"aac_faststart", "b.m4a", "aac", true},
    {"alac", "c.m4a", "alac", false},
    {"alac_faststart_mp4", "d.mp4", "alac", true},
};

class Mp4Tags : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fixtures::haveTools())
            GTEST_SKIP() << "ffmpeg and mutagen are needed";
    }

    fs::path make(const Kind &kind)
    {
        const fs::path path = m_dir / kind.fileName;
        EXPECT_TRUE(fixtures::makeWithFfmpeg(path, kind.codec, kind.faststart)) << kind.name;
        EXPECT_TRUE(fixtures::editMp4(path, coverDefinitions(m_dir.path()) + kItems)) << kind.name;
        return path;
    }

    TempDir m_dir;
};

TEST_F(Mp4Tags, TheUsualAtomsFillTheTagRecord)
{
    for (const Kind &kind : kKinds) {
        const fs::path path = make(kind);
        CurrentTags tags;
        PictureTable pictures;
        std::string codec;
        const TagReadResult result = readMp4Tags(path, tags, &pictures, &codec);
        ASSERT_TRUE(result.ok()) << kind.name << ": " << result.reason;
        EXPECT_EQ(codec, kind.codec == std::string("aac") ? "mp4a" : "alac") << kind.name;
        EXPECT_EQ(tags.Title.view(), "Old Title");
        EXPECT_EQ(tags.Artist.view(), "Old Artist");
        EXPECT_EQ(tags.Album.view(), "Kept Album");
        EXPECT_EQ(tags.AlbumArtist.view(), "Album Artist");
        EXPECT_EQ(tags.Composer.view(), "Composer \xc3\xa9");
        EXPECT_EQ(tags.Genre.view(), "Jazz");
        EXPECT_EQ(tags.Comment.view(), "A comment");
        EXPECT_EQ(tags.Publisher.view(), "Label"); // the free-form LABEL
        EXPECT_EQ(tags.Year, 1999);
        EXPECT_EQ(tags.Track, 3);
        EXPECT_EQ(tags.TrackTotal, 9);
        EXPECT_EQ(tags.Disc, 2);
        EXPECT_EQ(tags.DiscTotal, 3);
        ASSERT_EQ(pictures.count(), 2);
        EXPECT_EQ(pictures.at(0).type, 3);
        EXPECT_EQ(pictures.at(0).mimeType, "image/jpeg");
        EXPECT_EQ(pictures.at(0).data.size(), fs::file_size(m_dir / "cover.jpg"));
        EXPECT_EQ(pictures.at(1).mimeType, "image/png");
        EXPECT_EQ(pictures.at(1).data.size(), 70u);
    }
}

// Atoms against one another: the free-form items give way to the atoms, gnre fills the genre
// only without ©gen, a free-form RATING gives the rating.
TEST_F(Mp4Tags, FreeFormItemsAndGenreNumbersFillOnlyWhatTheAtomsLeave)
{
    struct Case {
        const char *name;
        std::string items;
        int gnre; // 0: none
        std::string artist;
        std::string genre;
        int rating;
    };
    const std::vector<Case> cases = {
        {"freeform_artist_gives_way",
         "f['\\xa9ART'] = ['Atom']\nf['----:com.apple.iTunes:ARTISTS'] = [MP4FreeForm(b'Free')]", 0, "Atom", "", 0},
        {"freeform_artist_alone", "f['----:com.apple.iTunes:ARTISTS'] = [MP4FreeForm(b'Free')]", 0, "Free", "", 0},
        // gnre holds the ID3v1 genre number plus one: 10 is Metal (9).
        {"gnre_alone", "f['\\xa9nam'] = ['T']", 10, "", "Metal", 0},
        {"gen_before_gnre", "f['\\xa9gen'] = ['Polka Punk']", 10, "", "Polka Punk", 0},
        {"gnre_out_of_range", "f['\\xa9nam'] = ['T']", 4000, "", "", 0},
        {"freeform_rating", "f['----:com.apple.iTunes:RATING'] = [MP4FreeForm(b'4')]", 0, "", "", 4},
    };
    for (const Case &c : cases) {
        const fs::path path = m_dir / (std::string(c.name) + ".m4a");
        ASSERT_TRUE(fixtures::makeWithFfmpeg(path, "aac"));
        ASSERT_TRUE(fixtures::editMp4(path, c.items)) << c.name;
        if (c.gnre > 0) {
            ASSERT_TRUE(fixtures::addGnreAtom(path, c.gnre)) << c.name;
        }
        CurrentTags tags;
        ASSERT_TRUE(readMp4Tags(path, tags, nullptr).ok()) << c.name;
        EXPECT_EQ(tags.Artist.view(), c.artist) << c.name;
        EXPECT_EQ(tags.Genre.view(), c.genre) << c.name;
        EXPECT_EQ(tags.Rating, c.rating) << c.name;
    }
}

// Each rewrite sets what it is asked and nothing else: mutagen sees every other item as it
// was, ffprobe the new values, ffmpeg the same audio packets, also when the tag grows in front
// of the audio.
TEST_F(Mp4Tags, RewriteChangesOnlyTheAskedItemsAndKeepsTheAudio)
{
    struct Change {
        const char *name;
        std::u16string title;
        std::u16string artist;
        int track;
        int total;
        bool removePictures;
        std::vector<std::pair<std::string, std::string>> replaced; // key, mutagen's line after
        std::vector<std::string> removed;
    };
    const std::vector<Change> changes = {
        {"title",
         u"Neu \u00e9t\u00e9 \u20ac",
         u"",
         0,
         0,
         false,
         {{"\u00a9nam", "\u00a9nam=['Neu \u00e9t\u00e9 \u20ac']"}},
         {}},
        {"artist_track",
         u"",
         u"New Artist",
         7,
         0,
         false,
         {{"\u00a9ART", "\u00a9ART=['New Artist']"}, {"trkn", "trkn=[(7, 9)]"}},
         {}},
        {"total_only", u"", u"", 0, 12, false, {{"trkn", "trkn=[(3, 12)]"}}, {}},
        {"pictures", u"", u"", 0, 0, true, {}, {"covr"}},
        // A title far larger than any padding: the movie atom grows.
        {"long_title",
         std::u16string(70000, u'x'),
         u"",
         0,
         0,
         false,
         {{"\u00a9nam", "\u00a9nam=['" + std::string(70000, 'x') + "']"}},
         {}},
    };
    for (const Kind &kind : kKinds) {
        const fs::path source = make(kind);
        const std::vector<std::string> before = mutagenTagLines(source);
        ASSERT_GE(before.size(), 15u) << kind.name;
        const std::string sourceBytes = readFile(source);
        const std::string audio = audioStreamMd5(source);
        ASSERT_FALSE(audio.empty());
        for (const Change &change : changes) {
            const std::string label = std::string(kind.name) + "/" + change.name;
            const fs::path copy = m_dir / (std::string(change.name) + "-" + kind.fileName);
            fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
            const fs::path work = m_dir / ".work.part";
            const WorkCopyOutcome outcome = writeMp4Tags(copy, work, change.title, change.artist, change.track,
                                                         change.total, change.removePictures);
            ASSERT_TRUE(outcome.written) << label;
            EXPECT_FALSE(fs::exists(work)) << label;

            std::vector<std::string> expected;
            for (const std::string &line : before) {
                const std::string key = line.substr(0, line.find('='));
                if (std::find(change.removed.begin(), change.removed.end(), key) != change.removed.end())
                    continue;
                std::string wanted = line;
                for (const auto &[replacedKey, replacement] : change.replaced) {
                    if (replacedKey == key)
                        wanted = replacement;
                }
                expected.push_back(wanted);
            }
            EXPECT_TRUE(mutagenTagLines(copy) == expected) << label;
            EXPECT_EQ(audioStreamMd5(copy), audio) << label;
            std::string errors;
            EXPECT_TRUE(ffmpegDecodesCleanly(copy, &errors)) << label << ": " << errors;
            if (!change.artist.empty()) {
                EXPECT_EQ(ffprobeTags(copy)["artist"], "New Artist") << label;
            }
            CurrentTags tags;
            ASSERT_TRUE(readMp4Tags(copy, tags, nullptr).ok()) << label;
        }
        EXPECT_TRUE(readFile(source) == sourceBytes) << kind.name;
    }
}

// A file without any tag gets the asked ones.
TEST_F(Mp4Tags, AFileWithoutTagsGetsTheAskedOnes)
{
    const fs::path path = m_dir / "bare.m4a";
    ASSERT_TRUE(fixtures::makeWithFfmpeg(path, "aac", true));
    ASSERT_TRUE(fixtures::editMp4(path, "f.tags.clear()"));
    const std::string audio = audioStreamMd5(path);
    ASSERT_TRUE(writeMp4Tags(path, m_dir / ".work.part", u"Title", u"Artist", 4, 10, true).written);
    EXPECT_EQ(mutagenTagLines(path),
              (std::vector<std::string>{"trkn=[(4, 10)]", "\u00a9ART=['Artist']", "\u00a9nam=['Title']"}));
    EXPECT_EQ(audioStreamMd5(path), audio);
}

TEST_F(Mp4Tags, FilesThatAreNotAudioOnlyMp4AreRefusedWithAReason)
{
    const fs::path video = m_dir / "video.mp4";
    ASSERT_TRUE(fixtures::makeMp4WithVideo(video));
    const fs::path opus = m_dir / "opus.m4a";
    ASSERT_TRUE(fixtures::makeWithFfmpeg(opus, "libopus -strict -2 -f mp4"));
    const fs::path text = m_dir / "text.m4a";
    writeFile(text, "plain text, no atoms in here at all");
    const fs::path cut = m_dir / "cut.m4a";
    ASSERT_TRUE(fixtures::makeWithFfmpeg(cut, "aac", true));
    writeFile(cut, readFile(cut).substr(0, 300));

    struct Case {
        const char *name;
        fs::path path;
        TagReadError error;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"video", video, TagReadError::Unsupported, "holds video"},
        {"opus_in_mp4", opus, TagReadError::Unsupported, "not AAC or ALAC audio"},
        {"text", text, TagReadError::NotRecognized, "not an MP4 file"},
        {"cut_in_movie_atom", cut, TagReadError::NotRecognized, "not an MP4 file"},
        {"missing", m_dir / "missing.m4a", TagReadError::Open, "not found"},
    };
    for (const Case &c : cases) {
        CurrentTags tags;
        const TagReadResult result = readMp4Tags(c.path, tags, nullptr);
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(result.reason, c.reason) << c.name;
        if (c.error == TagReadError::Open)
            continue;
        const std::string bytes = readFile(c.path);
        EXPECT_FALSE(writeMp4Tags(c.path, m_dir / ".work.part", u"T", u"", 1, 0, true).written) << c.name;
        EXPECT_TRUE(readFile(c.path) == bytes) << c.name;
        EXPECT_FALSE(fs::exists(m_dir / ".work.part")) << c.name;
    }
}

// Structures TagLib reads around but would rewrite into a file it no longer reads, or worse;
// both found by fuzzing. The file is read, but never rewritten.
std::string sizeOf(std::uint32_t size)
{
    return {static_cast<char>(size >> 24), static_cast<char>((size >> 16) & 0xFF),
            static_cast<char>((size >> 8) & 0xFF), static_cast<char>(size & 0xFF)};
}

TEST_F(Mp4Tags, DamagedStructuresAreReadButNotRewritten)
{
    struct Case {
        const char *name;
        const char *atom; // the atom whose bytes are changed
        std::size_t at;   // offset of the change from the atom's type
        std::string bytes;
    };
    const std::vector<Case> cases = {
        // A chunk offset table counting past its end: TagLib rewrites it entry by entry,
        // trusting the count, billions of entries when the tag grows.
        {"stco_count", "stco", 8, "\x7f\xff\xff\xff"},
        // A user data atom reaching past the end of the movie atom (into the media data): a
        // rewrite of such a tree left a file TagLib could not read.
        {"udta_size", "udta", 0, ""},
    };
    for (const Case &c : cases) {
        const fs::path path = m_dir / (std::string(c.name) + ".m4a");
        ASSERT_TRUE(fixtures::makeWithFfmpeg(path, "aac", true));
        ASSERT_TRUE(fixtures::editMp4(path, "f['\\xa9ART'] = ['Kept']"));
        std::string bytes = readFile(path);
        const std::size_t at = bytes.find(c.atom);
        ASSERT_NE(at, std::string::npos) << c.name;
        if (c.bytes.empty())
            bytes[at - 2] = static_cast<char>(bytes[at - 2] + 1); // the size grows by 256
        else
            bytes.replace(at + c.at, c.bytes.size(), c.bytes);
        writeFile(path, bytes);
        CurrentTags tags;
        ASSERT_TRUE(readMp4Tags(path, tags, nullptr).ok()) << c.name;
        EXPECT_EQ(tags.Artist.view(), "Kept") << c.name;
        EXPECT_FALSE(writeMp4Tags(path, m_dir / ".work.part", std::u16string(5000, u'x'), u"", 0, 0, false).written)
            << c.name;
        EXPECT_TRUE(readFile(path) == bytes) << c.name;
        EXPECT_FALSE(fs::exists(m_dir / ".work.part")) << c.name;
    }

    // A chunk offset table first in the movie atom, outside any sample table, in a file without
    // user data: TagLib inserts the new tag right there, then reads the tag's bytes as the
    // table's count and writes entries without end.
    const fs::path path = m_dir / "stco_in_moov.m4a";
    ASSERT_TRUE(fixtures::makeWithFfmpeg(path, "aac", false)); // the movie atom last: nothing moves
    std::string bytes = readFile(path);
    const std::size_t udta = bytes.find("udta");
    if (udta != std::string::npos)
        bytes.replace(udta, 4, "free");
    const std::size_t moov = bytes.find("moov");
    ASSERT_NE(moov, std::string::npos);
    const std::uint32_t moovSize = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[moov - 4])) << 24
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[moov - 3])) << 16
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[moov - 2])) << 8
        | static_cast<unsigned char>(bytes[moov - 1]);
    bytes.replace(moov - 4, 4, sizeOf(moovSize + 20));
    bytes.insert(moov + 4, sizeOf(20) + "stco" + std::string(8, '\0') + sizeOf(8));
    writeFile(path, bytes);
    CurrentTags tags;
    ASSERT_TRUE(readMp4Tags(path, tags, nullptr).ok());
    EXPECT_FALSE(writeMp4Tags(path, m_dir / ".work.part", u"New", u"", 1, 2, false).written);
    EXPECT_TRUE(readFile(path) == bytes);
    EXPECT_FALSE(fs::exists(m_dir / ".work.part"));
}

std::string atom(const std::string &name, const std::string &body)
{
    return sizeOf(static_cast<std::uint32_t>(body.size() + 8)) + name + body;
}

// Nested atoms are refused before TagLib, which builds the tree recursively, sees them.
TEST(Mp4AtomWalk, DeepOrCountlessAtomsAreRefusedWithoutRecursingIntoThem)
{
    TempDir dir;
    struct Case {
        const char *name;
        std::string bytes;
        TagReadError error;
    };
    // A million nested moov atoms (8 MB): TagLib alone overflows its stack on this.
    constexpr std::uint32_t kLevels = 1000000;
    std::string deep;
    deep.reserve(std::size_t(kLevels) * 8 + 8);
    for (std::uint32_t i = 0; i < kLevels; ++i)
        deep += sizeOf((kLevels - i) * 8 + 8) + "moov";
    deep += atom("free", "");
    std::string many;
    for (int i = 0; i < 300000; ++i)
        many += atom("free", "");
    const std::string track =
        atom("trak",
             atom("mdia",
                  atom("hdlr", std::string(8, '\0') + "soun" + std::string(12, '\0'))
                      + atom("minf", atom("stbl", atom("stsd", std::string(8, '\0') + atom("alac", ""))))));
    const std::vector<Case> cases = {
        {"deep", deep, TagReadError::Damaged},
        {"many_top_level", atom("moov", "") + many, TagReadError::Damaged},
        {"many_in_movie", atom("moov", many), TagReadError::Damaged},
        {"quicktime_meta",
         atom("moov", track + atom("udta", atom("meta", atom("hdlr", std::string(25, '\0')) + atom("ilst", "")))),
         TagReadError::None},
    };
    for (const Case &c : cases) {
        const fs::path path = dir / (std::string(c.name) + ".m4a");
        writeFile(path, c.bytes);
        RegularFile file;
        ASSERT_TRUE(file.open(path, RegularFile::Access::Read));
        RegularFileStream stream(file, path, false);
        EXPECT_EQ(walkMp4Atoms(stream).result.error, c.error) << c.name;
        CurrentTags tags;
        EXPECT_EQ(readMp4Tags(path, tags, nullptr).error, c.error) << c.name;
    }
}

// Every field and picture of a read, as text, so that two reads compare in one expectation.
std::string describe(const TagReadResult &result, const CurrentTags &tags, const PictureTable &pictures)
{
    std::string text = std::to_string(static_cast<int>(result.error)) + "|";
    for (const auto *field : {&tags.Title, &tags.Subtitle, &tags.Album, &tags.Artist, &tags.AlbumArtist,
                              &tags.Performer, &tags.Composer, &tags.Comment, &tags.Publisher, &tags.Encoder,
                              &tags.Genre})
        text += std::string(field->view()) + "|";
    for (const std::int32_t number : {tags.Year, tags.Track, tags.TrackTotal, tags.Disc, tags.DiscTotal, tags.Rating})
        text += std::to_string(number) + "|";
    for (std::int32_t i = 0; i < pictures.count(); ++i)
        text += pictures.at(i).mimeType + ":" + std::to_string(pictures.at(i).data.size()) + "|";
    return text;
}

std::string readAs(const fs::path &path, Mp4ItemParse parse, bool withPictures)
{
    CurrentTags tags;
    PictureTable pictures;
    const TagReadResult result = readMp4Tags(path, tags, withPictures ? &pictures : nullptr, nullptr, parse);
    return describe(result, tags, pictures);
}

// The load path hands TagLib only the item atoms, wrapped in the atoms that lead to them; it
// must find exactly what TagLib finds in the whole file, wherever the items are and whatever
// stands around them.
TEST(Mp4ItemParse, TheItemsAloneGiveWhatTheWholeFileGives)
{
    TempDir dir;
    const std::string track =
        atom("trak",
             atom("mdia",
                  atom("hdlr", std::string(8, '\0') + "soun" + std::string(12, '\0'))
                      + atom("minf", atom("stbl", atom("stsd", std::string(8, '\0') + atom("mp4a", ""))))));
    const auto text = [](const std::string &name, const std::string &value) {
        return atom(name, atom("data", std::string("\0\0\0\x01\0\0\0\0", 8) + value));
    };
    const std::string trkn = atom("trkn", atom("data", std::string(8, '\0') + std::string("\0\0\0\x03\0\x09\0\0", 8)));
    const std::string covr = atom("covr", atom("data", std::string("\0\0\0\x0d\0\0\0\0", 8) + "\xff\xd8\xff\xe0jpeg"));
    const std::string label = atom("----", atom("mean", std::string(4, '\0') + "com.apple.iTunes")
                                               + atom("name", std::string(4, '\0') + "LABEL")
                                               + atom("data", std::string("\0\0\0\x01\0\0\0\0", 8) + "Label"));
    const std::string items = text("\251nam", "Title") + text("\251ART", "Artist") + trkn + covr + label;
    const auto isoMeta = [](const std::string &children) { return atom("meta", std::string(4, '\0') + children); };
    const auto longAtom = [](const std::string &name, const std::string &body) {
        const std::uint64_t size = body.size() + 16;
        return sizeOf(1) + name + sizeOf(static_cast<std::uint32_t>(size >> 32))
               + sizeOf(static_cast<std::uint32_t>(size & 0xFFFFFFFF)) + body;
    };
    struct Case {
        const char *name;
        std::string bytes;
        const char *title;   // the title both reads must give
    };
    // long_sizes: TagLib takes an item list with a 64-bit size (its track number is read) but
    // reads an item's values as after a 32-bit size, so the long-sized title gives nothing.
    const std::vector<Case> cases = {
        {"iso_meta", atom("moov", track + atom("udta", isoMeta(atom("hdlr", std::string(25, '\0')) + atom("ilst", items)))), "Title"},
        {"quicktime_meta", atom("moov", track + atom("udta", atom("meta", atom("ilst", items)))), "Title"},
        {"user_data_first", atom("moov", atom("udta", isoMeta(atom("ilst", items))) + track), "Title"},
        {"second_user_data", atom("moov", track + atom("udta", atom("free", "")) + atom("udta", isoMeta(atom("ilst", items)))), ""},
        {"meta_outside_user_data", atom("moov", track + isoMeta(atom("ilst", items))), ""},
        {"second_movie", atom("moov", track) + atom("moov", atom("udta", isoMeta(atom("ilst", items)))), ""},
        {"first_item_list", atom("moov", track + atom("udta", isoMeta(atom("ilst", text("\251nam", "First")) + atom("ilst", items)))), "First"},
        {"first_of_two_titles", atom("moov", track + atom("udta", isoMeta(atom("ilst", text("\251nam", "First") + items)))), "First"},
        {"nested_user_data", atom("moov", track + atom("udta", atom("udta", isoMeta(atom("ilst", text("\251nam", "Inner")))) + isoMeta(atom("ilst", items)))), "Title"},
        {"long_sizes", atom("moov", track + atom("udta", isoMeta(longAtom("ilst", longAtom("\251nam", atom("data", std::string("\0\0\0\x01\0\0\0\0", 8) + "Long")) + trkn)))), ""},
        {"no_items", atom("moov", track + atom("udta", isoMeta(atom("hdlr", std::string(25, '\0'))))), ""},
        {"empty_item_list", atom("moov", track + atom("udta", isoMeta(atom("ilst", "")))), ""},
    };
    for (const Case &c : cases) {
        const fs::path path = dir / (std::string(c.name) + ".m4a");
        writeFile(path, c.bytes);
        for (const bool withPictures : {false, true}) {
            const std::string alone = readAs(path, Mp4ItemParse::ItemsAlone, withPictures);
            EXPECT_EQ(alone, readAs(path, Mp4ItemParse::WholeFile, withPictures)) << c.name;
            EXPECT_TRUE(alone.starts_with("0|" + std::string(c.title) + "|")) << c.name << ": " << alone;
        }
    }
}

TEST_F(Mp4Tags, TheItemsAloneGiveWhatTheWholeFileGivesOnRealFiles)
{
    for (const Kind &kind : kKinds) {
        const fs::path path = make(kind);
        for (const bool withPictures : {false, true}) {
            const std::string alone = readAs(path, Mp4ItemParse::ItemsAlone, withPictures);
            EXPECT_EQ(alone, readAs(path, Mp4ItemParse::WholeFile, withPictures)) << kind.name;
            EXPECT_TRUE(alone.starts_with("0|Old Title|")) << kind.name << ": " << alone;
        }
    }
}

} // namespace
