#include "formats/ogg/ogg_tags.h"
#include "formats/opus/opus_tags.h"

#include "formats/flac/vorbis_comment_fields.h"
#include "formats/taglib_fixtures.h"
#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
namespace fixtures = tunvale::testing::taglib;
using tunvale::catalog::CurrentTags;
using tunvale::catalog::PictureTable;
using tunvale::formats::applyVorbisComment;
using tunvale::formats::readOggTags;
using tunvale::formats::readOpusTags;
using tunvale::formats::TagReadError;
using tunvale::formats::TagReadResult;
using tunvale::formats::WorkCopyOutcome;
using tunvale::formats::writeOggTags;
using tunvale::formats::writeOpusTags;
using tunvale::testing::audioStreamMd5;
using tunvale::testing::ffmpegDecodesCleanly;
using tunvale::testing::ffprobeStreamTags;
using tunvale::testing::mutagenTagLines;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

using Reader = TagReadResult (*)(const fs::path &, CurrentTags &, PictureTable *);
using Writer = WorkCopyOutcome (*)(const fs::path &, const fs::path &, const std::u16string &, const std::u16string &,
                                   int, int, bool);

// The comments every fixture gets: lower-case and repeated keys, prefixes the key table
// matches, ReplayGain and a non-Latin title.
const std::vector<std::string> kComments = {
    "title=Old Title",         "ARTIST=Old Artist",       "ARTISTSORT=Artist, Old", "ALBUM=Kept Album",
    "TRACKNUMBER=3/9",         "DATE=1999-01-01",         "GENRE=Jazz",             "COMPILATION=1",
    "ENSEMBLE=Ensemble",       "PERFORMER=Performer",     "TITLE=Second Title \xe2\x82\xac",
    "REPLAYGAIN_TRACK_GAIN=-3.10 dB",                     "DISCNUMBER=2",           "RATING=4",
};

// The tag record the FLAC reader's key table makes of the same comments.
CurrentTags expectedTags(const std::vector<std::string> &comments)
{
    CurrentTags tags;
    for (const std::string &entry : comments)
        applyVorbisComment(entry, tags);
    return tags;
}

void expectSameTags(const CurrentTags &actual, const CurrentTags &expected, const std::string &label)
{
    EXPECT_EQ(actual.Title.view(), expected.Title.view()) << label;
    EXPECT_EQ(actual.Artist.view(), expected.Artist.view()) << label;
    EXPECT_EQ(actual.Album.view(), expected.Album.view()) << label;
    EXPECT_EQ(actual.Performer.view(), expected.Performer.view()) << label;
    EXPECT_EQ(actual.Genre.view(), expected.Genre.view()) << label;
    EXPECT_EQ(actual.Comment.view(), expected.Comment.view()) << label;
    EXPECT_EQ(actual.Encoder.view(), expected.Encoder.view()) << label;
    EXPECT_EQ(actual.Year, expected.Year) << label;
    EXPECT_EQ(actual.Track, expected.Track) << label;
    EXPECT_EQ(actual.TrackTotal, expected.TrackTotal) << label;
    EXPECT_EQ(actual.Disc, expected.Disc) << label;
    EXPECT_EQ(actual.Rating, expected.Rating) << label;
}

struct Kind {
    const char *name;
    const char *fileName;
    bool (*make)(const fs::path &);
    Reader read;
    Writer write;
};

bool ffmpegVorbis(const fs::path &p) { return fixtures::makeWithFfmpeg(p, "libvorbis"); }
bool ffmpegOpusInOgg(const fs::path &p) { return fixtures::makeWithFfmpeg(p, "libopus"); }

const Kind kKinds[] = {
    {"oggenc", "a.ogg", &fixtures::makeVorbis, &readOggTags, &writeOggTags},
    {"ffmpeg_vorbis", "b.oga", &ffmpegVorbis, &readOggTags, &writeOggTags},
    {"opusenc", "c.opus", &fixtures::makeOpus, &readOpusTags, &writeOpusTags},
    // An Opus stream in a file named .ogg is read by the Ogg reader.
    {"ffmpeg_opus_in_ogg", "d.ogg", &ffmpegOpusInOgg, &readOggTags, &writeOggTags},
};

class OggTags : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fixtures::haveTools())
            GTEST_SKIP() << "oggenc, opusenc, ffmpeg and mutagen are needed";
    }

    fs::path make(const Kind &kind)
    {
        const fs::path path = m_dir / kind.fileName;
        EXPECT_TRUE(kind.make(path)) << kind.name;
        EXPECT_TRUE(fixtures::setVorbisComments(path, kComments)) << kind.name;
        return path;
    }

    TempDir m_dir;
};

TEST_F(OggTags, CommentsMapAsTheFlacReaderMapsThem)
{
    const CurrentTags expected = expectedTags(kComments);
    ASSERT_EQ(expected.Title.view(), "Second Title \xe2\x82\xac");   // the euro sign, kept as read
    ASSERT_EQ(expected.Artist.view(), "Artist, Old");
    for (const Kind &kind : kKinds) {
        const fs::path path = make(kind);
        CurrentTags tags;
        const TagReadResult result = kind.read(path, tags, nullptr);
        ASSERT_TRUE(result.ok()) << kind.name << ": " << result.reason;
        expectSameTags(tags, expected, kind.name);
    }
}

TEST_F(OggTags, PicturesAreTheLargestOfEachTypeWhenAsked)
{
    for (const Kind &kind : kKinds) {
        const fs::path path = make(kind);
        ASSERT_TRUE(fixtures::addXiphPicture(path, 4, 8, 8, 40));
        ASSERT_TRUE(fixtures::addXiphPicture(path, 3, 8, 8, 30));
        ASSERT_TRUE(fixtures::addXiphPicture(path, 3, 64, 64, 3000));
        ASSERT_TRUE(fixtures::addXiphPicture(path, 0, 99, 99, 10));
        CurrentTags tags;
        PictureTable pictures;
        ASSERT_TRUE(kind.read(path, tags, &pictures).ok()) << kind.name;
        ASSERT_EQ(pictures.count(), 2) << kind.name;
        EXPECT_EQ(pictures.at(0).type, 3);
        EXPECT_EQ(pictures.at(0).data.size(), 3082u);
        EXPECT_EQ(pictures.at(0).mimeType, "image/png");
        EXPECT_EQ(pictures.at(1).type, 4);
        // Without a table the pictures are not decoded, and the tags are the same.
        CurrentTags again;
        ASSERT_TRUE(kind.read(path, again, nullptr).ok());
        expectSameTags(again, tags, kind.name);
    }
}

// Each rewrite sets what it is asked and nothing else: mutagen sees the same comments in the
// same order except the asked ones, ffprobe the new values, ffmpeg the same audio packets.
TEST_F(OggTags, RewriteChangesOnlyTheAskedCommentsAndKeepsTheAudio)
{
    struct Change {
        const char *name;
        std::u16string title;
        std::u16string artist;
        int track;
        int total;
        bool removePictures;
        std::vector<std::string> expected;   // what mutagen reads afterwards
    };
    const std::string picture = "METADATA_BLOCK_PICTURE=<picture 182 bytes type 3>";
    std::vector<std::string> before(kComments.begin(), kComments.end());
    before.push_back(picture);
    const auto with = [&](std::vector<std::pair<std::size_t, std::string>> replaced, std::vector<std::size_t> dropped,
                          std::vector<std::string> appended) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (std::find(dropped.begin(), dropped.end(), i) != dropped.end())
                continue;
            std::string line = before[i];
            for (const auto &[at, text] : replaced) {
                if (at == i)
                    line = text;
            }
            lines.push_back(line);
        }
        lines.insert(lines.end(), appended.begin(), appended.end());
        return lines;
    };
    const std::vector<Change> changes = {
        // The first TITLE (written "title") takes the new value in its place, the second goes.
        {"title", u"Neu \u00e9t\u00e9 \u20ac", u"", 0, 0, false, with({{0, "title=Neu \u00e9t\u00e9 \u20ac"}}, {10}, {})},
        {"artist_track_total", u"", u"New Artist", 7, 12, false,
         with({{1, "ARTIST=New Artist"}, {4, "TRACKNUMBER=7"}}, {}, {"TRACKTOTAL=12"})},
        {"pictures", u"", u"", 0, 0, true, with({}, {14}, {})},
        // A title far larger than the header pages: the stream is paged anew.
        {"long_title", std::u16string(70000, u'x'), u"", 0, 0, false,
         with({{0, "title=" + std::string(70000, 'x')}}, {10}, {})},
    };
    for (const Kind &kind : kKinds) {
        const fs::path source = make(kind);
        ASSERT_TRUE(fixtures::addXiphPicture(source, 3, 8, 8, 100));
        ASSERT_EQ(mutagenTagLines(source), before) << kind.name;
        const std::string sourceBytes = readFile(source);
        const std::string audio = audioStreamMd5(source);
        ASSERT_FALSE(audio.empty());
        for (const Change &change : changes) {
            const std::string label = std::string(kind.name) + "/" + change.name;
            const fs::path copy = m_dir / (std::string(change.name) + "-" + kind.fileName);
            fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
            const fs::path work = m_dir / ".work.part";
            const WorkCopyOutcome outcome =
                kind.write(copy, work, change.title, change.artist, change.track, change.total, change.removePictures);
            ASSERT_TRUE(outcome.written) << label;
            EXPECT_FALSE(fs::exists(work)) << label;
            EXPECT_EQ(mutagenTagLines(copy), change.expected) << label;
            EXPECT_EQ(audioStreamMd5(copy), audio) << label;
            std::string errors;
            EXPECT_TRUE(ffmpegDecodesCleanly(copy, &errors)) << label << ": " << errors;
            if (!change.artist.empty()) {
                EXPECT_EQ(ffprobeStreamTags(copy)["artist"], "New Artist") << label;
            }
            // Read back by our own reader too.
            CurrentTags tags;
            ASSERT_TRUE(kind.read(copy, tags, nullptr).ok()) << label;
            if (change.track > 0) {
                EXPECT_EQ(tags.Track, change.track) << label;
            }
        }
        EXPECT_TRUE(readFile(source) == sourceBytes) << kind.name;
    }
}

TEST_F(OggTags, FilesThatAreNotTheirFormatAreRefusedWithAReason)
{
    const fs::path vorbis = m_dir / "vorbis.ogg";
    ASSERT_TRUE(fixtures::makeVorbis(vorbis));
    const fs::path oggFlac = m_dir / "flac.oga";
    ASSERT_TRUE(fixtures::makeWithFfmpeg(oggFlac, "flac"));
    const fs::path text = m_dir / "text.ogg";
    writeFile(text, "just some text, long enough to hold an Ogg page header if it were one");
    const fs::path cut = m_dir / "cut.ogg";
    writeFile(cut, readFile(vorbis).substr(0, 60));
    const fs::path fifo = m_dir / "fifo.ogg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Cut before the first page of audio (the first whose granule position is not 0: header
    // pages have 0), and cut inside the last page.
    const std::string vorbisBytes = readFile(vorbis);
    std::size_t firstAudio = 0;
    for (std::size_t at = vorbisBytes.find("OggS"); at != std::string::npos; at = vorbisBytes.find("OggS", at + 1)) {
        if (vorbisBytes.substr(at + 6, 8) != std::string(8, '\0')) {
            firstAudio = at;
            break;
        }
    }
    ASSERT_GT(firstAudio, 0u);
    const fs::path headersOnly = m_dir / "headers-only.ogg";
    writeFile(headersOnly, vorbisBytes.substr(0, firstAudio));
    const fs::path lastPageCut = m_dir / "last-page-cut.ogg";
    writeFile(lastPageCut, vorbisBytes.substr(0, vorbisBytes.size() - 100));
    const fs::path opus = m_dir / "opus.opus";
    ASSERT_TRUE(fixtures::makeOpus(opus));
    const std::string opusBytes = readFile(opus);
    const fs::path opusHeadersOnly = m_dir / "opus-headers-only.opus";
    writeFile(opusHeadersOnly, opusBytes.substr(0, opusBytes.find("OggS", opusBytes.find("OpusTags"))));
    // Two audio streams multiplexed in one file: a valid file the reader does not handle.
    const fs::path multiplexed = m_dir / "multiplexed.ogg";
    ASSERT_EQ(
        tunvale::testing::runCommand("ffmpeg -v error -f lavfi -i sine=d=1 -f lavfi -i sine=f=880:d=1 -map 0 -map 1 "
                                     "-c:a libvorbis "
                                     + tunvale::testing::shellQuote(multiplexed.string())),
        0);

    struct Case {
        const char *name;
        fs::path path;
        Reader read;
        Writer write;
        TagReadError error;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"vorbis_as_opus", vorbis, &readOpusTags, &writeOpusTags, TagReadError::Unsupported, "not an Opus stream"},
        {"ogg_flac", oggFlac, &readOggTags, &writeOggTags, TagReadError::Unsupported, "not Ogg Vorbis or Opus"},
        {"text", text, &readOggTags, &writeOggTags, TagReadError::NotRecognized, "not an Ogg stream"},
        {"cut_short", cut, &readOggTags, &writeOggTags, TagReadError::Damaged, "Ogg headers cut short"},
        {"headers_only", headersOnly, &readOggTags, &writeOggTags, TagReadError::Damaged,
         "no audio after the Ogg headers"},
        {"opus_headers_only", opusHeadersOnly, &readOpusTags, &writeOpusTags, TagReadError::Damaged,
         "no audio after the Ogg headers"},
        {"last_page_cut", lastPageCut, &readOggTags, &writeOggTags, TagReadError::Damaged, "last Ogg page cut short"},
        {"multiplexed", multiplexed, &readOggTags, &writeOggTags, TagReadError::Unsupported,
         "several multiplexed streams (not handled)"},
        {"fifo", fifo, &readOggTags, &writeOggTags, TagReadError::Open, "not a regular file"},
        {"missing", m_dir / "missing.ogg", &readOpusTags, &writeOpusTags, TagReadError::Open, "not found"},
    };
    for (const Case &c : cases) {
        CurrentTags tags;
        const TagReadResult result = c.read(c.path, tags, nullptr);
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(result.reason, c.reason) << c.name;
    }
    // Writers refuse them too and leave them as they were, with no work file behind.
    for (const Case &c : cases) {
        if (c.name == std::string("fifo") || c.name == std::string("missing"))
            continue;
        const std::string bytes = readFile(c.path);
        const fs::path work = m_dir / ".work.part";
        EXPECT_FALSE(c.write(c.path, work, u"T", u"", 0, 0, false).written) << c.name;
        EXPECT_TRUE(readFile(c.path) == bytes) << c.name;
        EXPECT_FALSE(fs::exists(work)) << c.name;
    }
}

// Two complete streams one after the other (a chained file) are read: the first stream's
// comments, with its audio there.
TEST_F(OggTags, ChainedStreamsAreRead)
{
    const fs::path first = m_dir / "first.ogg";
    const fs::path second = m_dir / "second.ogg";
    ASSERT_TRUE(fixtures::makeVorbis(first));
    ASSERT_TRUE(fixtures::makeVorbis(second));
    ASSERT_TRUE(fixtures::setVorbisComments(first, {"TITLE=First"}));
    ASSERT_TRUE(fixtures::setVorbisComments(second, {"TITLE=Second"}));
    const fs::path chained = m_dir / "chained.ogg";
    writeFile(chained, readFile(first) + readFile(second));
    CurrentTags tags;
    ASSERT_TRUE(readOggTags(chained, tags, nullptr).ok());
    EXPECT_EQ(tags.Title.view(), "First");
}

// A comment header whose last entry is cut is read as far as it goes but never rewritten.
TEST_F(OggTags, ADamagedCommentHeaderIsReadButNotRewritten)
{
    const fs::path path = m_dir / "damaged.ogg";
    ASSERT_TRUE(fixtures::makeVorbis(path));
    ASSERT_TRUE(fixtures::setVorbisComments(path, {"ARTIST=Kept", "TITLE=Zzzz"}));
    // Raise the length of the last entry (TITLE=Zzzz, 10 bytes) to 8 MiB, past the packet; the
    // page checksum is not checked by readers that take the comment packet.
    std::string bytes = readFile(path);
    const std::size_t at = bytes.find("TITLE=Zzzz");
    ASSERT_NE(at, std::string::npos);
    bytes[at - 2] = '\x7f';
    writeFile(path, bytes);
    CurrentTags tags;
    ASSERT_TRUE(readOggTags(path, tags, nullptr).ok());
    EXPECT_EQ(tags.Artist.view(), "Kept");
    EXPECT_TRUE(tags.Title.empty());
    EXPECT_FALSE(writeOggTags(path, m_dir / ".work.part", u"New", u"", 0, 0, false).written);
    EXPECT_TRUE(readFile(path) == bytes);
}

} // namespace
