#include "formats/flac/vorbis_comment_fields.h"

#include "catalog/text/codepage.h"
#include "catalog/records/current_tags.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tunvale::catalog::CurrentTags;
using tunvale::formats::applyVorbisComment;

CurrentTags applyAll(const std::vector<std::string> &entries)
{
    CurrentTags tags;
    for (const std::string &entry : entries)
        applyVorbisComment(entry, tags);
    return tags;
}

// Which field each key reaches, with the prefix match and the first matching row deciding.
TEST(FlacCommentFields, KeysReachTheirFieldsByPrefixInListOrder)
{
    struct Case {
        std::vector<std::string> entries;
        const char *field;
        std::string expected;
    };
    const auto fieldOf = [](const CurrentTags &t, const std::string &field) -> std::string {
        if (field == "Title") return t.Title.str();
        if (field == "Subtitle") return t.Subtitle.str();
        if (field == "Artist") return t.Artist.str();
        if (field == "AlbumArtist") return t.AlbumArtist.str();
        if (field == "Composer") return t.Composer.str();
        if (field == "Performer") return t.Performer.str();
        if (field == "Publisher") return t.Publisher.str();
        if (field == "Encoder") return t.Encoder.str();
        if (field == "Album") return t.Album.str();
        if (field == "Genre") return t.Genre.str();
        if (field == "Comment") return t.Comment.str();
        ADD_FAILURE() << "unknown field " << field;
        return {};
    };
    const std::vector<Case> cases = {
        {{"TITLE=Song"}, "Title", "Song"},
        {{"title=lower case key"}, "Title", "lower case key"},
        {{"TIT2=Id3 style"}, "Title", "Id3 style"},
        {{"SUBTITLE=Part two"}, "Subtitle", "Part two"},
        {{"SUBTITLE=Part two"}, "Title", ""},
        // ARTIST then ARTISTSORT: the later entry matching the ARTIST row wins.
        {{"ARTIST=A", "ARTISTSORT=B"}, "Artist", "B"},
        {{"ALBUMARTIST=Various"}, "AlbumArtist", "Various"},
        {{"ALBUMARTISTSORT=Sorted"}, "AlbumArtist", "Sorted"},
        {{"ALBUMARTIST=Various"}, "Album", ""},
        // "ALBUM ARTIST" (with a space) and ALBUMSORT begin with ALBUM.
        {{"ALBUM ARTIST=Spaced"}, "Album", "Spaced"},
        {{"ALBUMSORT=Sorted album"}, "Album", "Sorted album"},
        {{"WRITER=Lyricist"}, "Composer", "Lyricist"},
        {{"CONDUCTOR=Maestro"}, "Performer", "Maestro"},
        // ENSEMBLE only fills a blank Performer.
        {{"PERFORMER=Y", "ENSEMBLE=X"}, "Performer", "Y"},
        {{"ENSEMBLE=X"}, "Performer", "X"},
        {{"PERFORMER=   ", "ENSEMBLE=X"}, "Performer", "X"},
        {{"ORGANIZATION=Label Co"}, "Publisher", "Label Co"},
        {{"PUBLISHER=Pub"}, "Publisher", "Pub"},
        {{"ENCODED-BY=Someone"}, "Encoder", "Someone"},
        {{"ENCODER=Tool"}, "Encoder", "Tool"},
        {{"GENRE=Jazz"}, "Genre", "Jazz"},
        {{"COMPILATION=1"}, "Comment", "1"},
        {{"COMMENT=Nice"}, "Comment", "Nice"},
        {{"DESCRIPTION=Described"}, "Comment", "Described"},
        {{"COMMENT=First", "NOTE=Second"}, "Comment", "First"},
        {{"NOTE=Only note"}, "Comment", "Only note"},
        // Text replaces, also with a blank value.
        {{"TITLE=Old", "TITLE="}, "Title", ""},
        // Shorter than the listed key, or unknown: ignored.
        {{"TITL=Short key"}, "Title", ""},
        {{"MOOD=Happy"}, "Comment", ""},
        {{"NO EQUALS SIGN"}, "Title", ""},
        // The value is everything after the first "=".
        {{"TITLE=a=b"}, "Title", "a=b"},
    };
    for (const Case &c : cases) {
        const CurrentTags tags = applyAll(c.entries);
        EXPECT_EQ(fieldOf(tags, c.field), c.expected) << c.entries.front() << " -> " << c.field;
    }
}

TEST(FlacCommentFields, NumbersReadFromTheStartWithTheirDefaults)
{
    struct Case {
        std::string entry;
        std::int32_t CurrentTags::*field;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"TRACKNUMBER=7/12", &CurrentTags::Track, 7},
        {"TRACKNUMBER=A", &CurrentTags::Track, 1},
        {"TRACKNUMBER=", &CurrentTags::Track, 1},
        {"tracknumber=03", &CurrentTags::Track, 3},
        {"TRACKTOTAL=12", &CurrentTags::TrackTotal, 12},
        {"TRACKTOTAL=x", &CurrentTags::TrackTotal, 1},
        {"DISCNUMBER=2/3", &CurrentTags::Disc, 2},
        {"DISCNUMBER=?", &CurrentTags::Disc, 1},
        {"DISCTOTAL=3", &CurrentTags::DiscTotal, 3},
        {"DATE=1999-01-01", &CurrentTags::Year, 1999},
        {"DATE=unknown", &CurrentTags::Year, 0},
        {"YEAR=2004", &CurrentTags::Year, 2004},
        {"RATING=80", &CurrentTags::Rating, 80},
        {"RATING=none", &CurrentTags::Rating, 0},
        // No sign is taken: a negative number has no leading digit.
        {"TRACKNUMBER=-3", &CurrentTags::Track, 1},
        // A number too large for 32 bits stops at the largest one instead of wrapping negative.
        {"DATE=99999999999999999999", &CurrentTags::Year, 2147483647},
        // Only the first 63 bytes are read: digits past them do not count.
        {"TRACKNUMBER=" + std::string(63, '1') + "9", &CurrentTags::Track, 2147483647},
    };
    for (const Case &c : cases) {
        const CurrentTags tags = applyAll({c.entry});
        EXPECT_EQ(tags.*c.field, c.expected) << c.entry;
    }
    // TRACKNUMBER=7/12 leaves TrackTotal alone.
    CurrentTags tags;
    tags.TrackTotal = 9;
    applyVorbisComment("TRACKNUMBER=7/12", tags);
    EXPECT_EQ(tags.Track, 7);
    EXPECT_EQ(tags.TrackTotal, 9);
}

TEST(FlacCommentFields, TextIsConvertedFromUtf8AndCut)
{
    // UTF-8 is kept as it is; a control character ends the text.
    EXPECT_EQ(applyAll({"TITLE=Caf\xC3\xA9 \xE2\x82\xAC"}).Title.str(), tunvale::text::cp1252ToUtf8("Caf\xE9 \x80"));
    // Characters of every script are kept, and a decomposed accent is composed (NFC).
    EXPECT_EQ(applyAll({"ARTIST=\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE Bjo\xCC\x88rk"}).Artist.str(),
              "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE Bj\xC3\xB6rk");
    EXPECT_EQ(applyAll({std::string("ARTIST=Before\nAfter")}).Artist.str(), "Before");
    // At most 1023 characters are kept.
    const std::string longValue(5000, 'x');
    EXPECT_EQ(applyAll({"ALBUM=" + longValue}).Album.size(), 1023u);
    // A NUL inside the value (Vorbis comments carry a length) ends the text, no read beyond.
    EXPECT_EQ(applyAll({std::string("GENRE=Rock\0Pop", 14)}).Genre.str(), "Rock");
}

} // namespace
