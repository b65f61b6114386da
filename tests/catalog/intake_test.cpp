#include "catalog/intake/intake.h"

#include "catalog/intake/tag_completion.h"
#include "catalog/records/load_options.h"
#include "catalog/text/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunvale::catalog {
namespace {

struct Artists {
    std::string artist = {};
    std::string albumArtist = {};
    std::string performer = {};
    std::string composer = {};
};

CurrentTags withArtists(const Artists &given)
{
    CurrentTags tags;
    tags.Artist.set(given.artist);
    tags.AlbumArtist.set(given.albumArtist);
    tags.Performer.set(given.performer);
    tags.Composer.set(given.composer);
    return tags;
}

TEST(ArtistKey, Examples)
{
    struct Case {
        const char *name;
        Artists given;
        const char16_t *key;
    };
    const Case cases[] = {
        {"nothing", {}, u""},
        {"artist_equals_album_artist", {.artist = "The Beatles", .albumArtist = "the beatles"}, u"The Beatles"},
        {"abba", {.artist = "Abba", .albumArtist = "ABBA"}, u"Abba"},
        {"artist_equals_performer", {.artist = "Cher", .albumArtist = "Various Artists", .performer = "CHER"}, u"Cher"},
        {"album_artist_equals_performer", {.artist = "Someone Else", .albumArtist = "Muse", .performer = "muse"}, u"Muse"},
        // Shared words: only Simon is similar.
        {"simon", {.artist = "Simon & Garfunkel", .performer = "Paul Simon"}, u"Simon"},
        // A typo is still similar (string similarity above 0.7); the artist's spelling is kept.
        {"shared_with_typo", {.artist = "Beatles Tribute", .albumArtist = "The Beatlez"}, u"Beatles"},
        // Artist without words: performer against album artist.
        {"artist_without_words", {.artist = "!!!", .albumArtist = "Berliner Philharmoniker", .performer = "Berliner Phil"}, u"Berliner"},
        // Nothing shared: the first non-empty field in the order Artist, Performer, ...
        {"nothing_shared", {.artist = "Alpha", .albumArtist = "Omega", .performer = "Zulu"}, u"Alpha"},
        {"nothing_shared_no_artist", {.albumArtist = "Omega", .performer = "Zulu"}, u"Zulu"},
        // One field only: taken whole, cut at a separator from position 5, title case.
        {"queen", {.artist = "Queen, David Bowie"}, u"Queen"},
        {"jay_z", {.artist = "Jay-Z"}, u"Jay-z"},
        {"ac_dc", {.artist = "AC/DC"}, u"Ac/dc"},
        {"composer_only", {.composer = "johann sebastian bach"}, u"Johann Sebastian Bach"},
        {"cut_then_trimmed", {.artist = "Simon   / Garfunkel"}, u"Simon"},
        {"title_case_short_words", {.artist = "THE WHO AND ME"}, u"The who and me"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(artistKey(withArtists(c.given)), c.key);
    }
}

// The names a file's artist credit gives: the key it is grouped by, the whole credit its copy
// carries, and the first of two joined artists. No name is ever folded: accents, cases and
// final sigmas stay as the tags spell them, also when the key is made of shared words.
TEST(ArtistNames, KeyCreditAndJointArtist)
{
    struct Case {
        const char *name;
        Artists given;
        const char *key;
        const char *credit;
        const char *jointMain;
    };
    const Case cases[] = {
        {"composer equal to artist",
         {.artist = "Die \u00C4rzte", .composer = "Die \u00C4rzte"},
         "Die \u00C4rzte",
         "Die \u00C4rzte",
         ""},
        {"cyrillic shared words",
         {.artist = "\u041F\u0451\u0442\u0440 \u0427\u0430\u0439\u043A\u043E\u0432\u0441\u043A\u0438\u0439",
          .composer = "\u041F\u0451\u0442\u0440 \u0427\u0430\u0439\u043A\u043E\u0432\u0441\u043A\u0438\u0439"},
         "\u041F\u0451\u0442\u0440 \u0427\u0430\u0439\u043A\u043E\u0432\u0441\u043A\u0438\u0439",
         "\u041F\u0451\u0442\u0440 \u0427\u0430\u0439\u043A\u043E\u0432\u0441\u043A\u0438\u0439",
         ""},
        {"greek final sigma",
         {.artist = "\u039C\u03AF\u03BA\u03B7\u03C2 \u0398\u03B5\u03BF\u03B4\u03C9\u03C1\u03AC\u03BA\u03B7\u03C2",
          .composer = "\u039C\u03AF\u03BA\u03B7\u03C2 \u0398\u03B5\u03BF\u03B4\u03C9\u03C1\u03AC\u03BA\u03B7\u03C2"},
         "\u039C\u03AF\u03BA\u03B7\u03C2 \u0398\u03B5\u03BF\u03B4\u03C9\u03C1\u03AC\u03BA\u03B7\u03C2",
         "\u039C\u03AF\u03BA\u03B7\u03C2 \u0398\u03B5\u03BF\u03B4\u03C9\u03C1\u03AC\u03BA\u03B7\u03C2",
         ""},
        {"greek capitals",
         {.artist = "\u039C\u0399\u039A\u0397\u03A3"},
         "\u039C\u03B9\u03BA\u03B7\u03C2",
         "\u039C\u03B9\u03BA\u03B7\u03C2",
         ""},
        {"feat.",
         {.artist = "Daft Punk feat. Pharrell Williams"},
         "Daft Punk",
         "Daft Punk feat. Pharrell Williams",
         ""},
        {"ft. in capitals", {.artist = "DAFT PUNK FT. PHARRELL"}, "Daft Punk", "Daft Punk FT. Pharrell", ""},
        {"featuring in brackets", {.artist = "Eminem (Featuring Rihanna)"}, "Eminem", "Eminem (Featuring Rihanna)", ""},
        {"feat without a dot",
         {.artist = "Calvin Harris feat Rihanna"},
         "Calvin Harris",
         "Calvin Harris feat Rihanna",
         ""},
        {"feat as a name", {.artist = "Little Feat"}, "Little Feat", "Little Feat", ""},
        {"guest kept by shared words",
         {.artist = "Daft Punk feat. Pharrell Williams", .albumArtist = "Daft Punk"},
         "Daft Punk",
         "Daft Punk feat. Pharrell Williams",
         ""},
        {"separator", {.artist = "Queen, David Bowie"}, "Queen", "Queen, David Bowie", ""},
        {"ampersand", {.artist = "Simon & Garfunkel"}, "Simon & Garfunkel", "Simon & Garfunkel", "Simon"},
        {"with",
         {.artist = "johnny cash with june carter"},
         "Johnny Cash with June Carter",
         "Johnny Cash with June Carter",
         "Johnny Cash"},
        {"ampersand after the guest", {.artist = "A Band feat. Bono & Cher"}, "A Band", "A Band feat. Bono & Cher", ""},
        {"ampersand as the first word", {.artist = "& Friends"}, "& Friends", "& Friends", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ArtistNames names = artistNames(withArtists(c.given));
        EXPECT_EQ(text::utf16ToUtf8(names.key), c.key);
        EXPECT_EQ(text::utf16ToUtf8(names.credit), c.credit);
        EXPECT_EQ(text::utf16ToUtf8(names.jointMain), c.jointMain);
    }
}

// Joined names: a duet goes with its first artist's files when that artist has files of its
// own, whichever comes first; an act whose first name never stands alone keeps its whole
// name, the same for each of its files.
TEST(Intake, JointCreditsGroupByTheLibrary)
{
    struct Case {
        const char *name;
        std::vector<const char *> artists; // one file each, read in this order
        std::vector<const char16_t *> groups;
    };
    const Case cases[] = {
        {"one act",
         {"Simon & Garfunkel", "simon & garfunkel", "Paul Simon", "Simon & Garfunkel"},
         {u"Simon & Garfunkel", u"Simon & Garfunkel", u"Paul Simon", u"Simon & Garfunkel"}},
        {"duet after the solo files", {"Beyonc\u00E9", "Beyonc\u00E9 & Jay-Z"}, {u"Beyonc\u00E9", u"Beyonc\u00E9"}},
        {"duet before the solo files",
         {"Beyonc\u00E9 & Jay-Z", "Jay-Z", "BEYONCE"},
         {u"Beyonc\u00E9", u"Jay-z", u"Beyonce"}},
        {"with", {"Johnny Cash with June Carter", "Johnny Cash"}, {u"Johnny Cash", u"Johnny Cash"}},
        {"guest and duet", {"Daft Punk feat. Pharrell Williams", "Daft Punk & Friends"}, {u"Daft Punk", u"Daft Punk"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Catalog catalog;
        for (std::size_t i = 0; i < c.artists.size(); ++i) {
            CurrentTags tags;
            tags.Artist.set(c.artists[i]);
            intake(criterion::kArtist, "/m/" + std::to_string(i) + ".mp3", tags, true, catalog);
        }
        ASSERT_EQ(catalog.size(), c.groups.size());
        for (std::size_t i = 0; i < c.groups.size(); ++i) {
            EXPECT_EQ(catalog.at(i).GroupName, c.groups[i]) << i;
            // The key words follow the group, as the grouping compares them.
            const CMetaDat keyed("/k", c.groups[i]);
            EXPECT_EQ(catalog.at(i).KeyWords, keyed.KeyWords) << i;
        }
    }
    // Grouped by album, nothing is keyed by an artist.
    Catalog byAlbum;
    for (const char *artist : {"Beyonc\u00E9", "Beyonc\u00E9 & Jay-Z"}) {
        CurrentTags tags;
        tags.Artist.set(artist);
        tags.Album.set("Crazy in Love");
        intake(criterion::kAlbum, std::string("/m/") + artist + ".mp3", tags, true, byAlbum);
    }
    EXPECT_TRUE(byAlbum.at(1).JointMain.empty());
    // Names and tags keep the file's whole credit.
    EXPECT_EQ(byAlbum.at(1).Artist, u"Beyonc\u00E9 & Jay-z");
}

// The single entry intake appends for tags under a criterion code.
const CMetaDat &intakeOne(Catalog &catalog, int code, const CurrentTags &tags, bool accept = false)
{
    catalog.clear();
    intake(code, "/music/a/01 song.mp3", tags, accept, catalog);
    EXPECT_EQ(catalog.size(), 1u);
    return catalog.at(0);
}

TEST(Intake, GroupKeyPerCriterion)
{
    CurrentTags tags;
    tags.Artist.set("Pink Floyd");
    tags.Album.set("the wall");
    tags.Genre.set("Progressive rock");
    tags.Year = 1979;
    struct Case {
        int code;
        const char16_t *group;
    };
    const Case cases[] = {
        {criterion::kArtist, u"Pink Floyd"},
        {criterion::kAlbum, u"The wall"},   // first character upper case only
        {criterion::kYear, u"1979"},
        {criterion::kDecade, u"1970-1979"},
        {criterion::kGenre, u"Progressive rock"},
        {criterion::kNone, u""},
        {42, u""},
    };
    Catalog catalog;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(intakeOne(catalog, c.code, tags).GroupName, c.group);
    }
}

TEST(Intake, FileWithoutTagsIsUndefined)
{
    Catalog catalog;
    const CurrentTags none;
    for (const int code : {criterion::kArtist, criterion::kAlbum, criterion::kYear, criterion::kGenre, criterion::kDecade}) {
        for (const bool accept : {false, true}) {
            SCOPED_TRACE(code);
            const CMetaDat &entry = intakeOne(catalog, code, none, accept);
            EXPECT_EQ(entry.GroupName, u"Undefined");
            EXPECT_EQ(entry.KeyWordCount, 1);
            EXPECT_EQ(entry.KeyWords[0], "Undefined");
            EXPECT_TRUE(entry.Artist.empty());
        }
    }
}

TEST(Intake, Years)
{
    struct Case {
        std::int32_t year;
        const char16_t *yearKey;
        const char16_t *decadeKey;
    };
    const Case cases[] = {
        {999, u"Undefined", u"Undefined"},
        {1000, u"1000", u"1000-1009"},
        {1987, u"1987", u"1980-1989"},
        {2000, u"2000", u"2000-2009"},
        {2199, u"2199", u"2190-2199"},
        {2200, u"Undefined", u"Undefined"},
        {-5, u"Undefined", u"Undefined"},
    };
    Catalog catalog;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.year);
        CurrentTags tags;
        tags.Year = c.year;
        EXPECT_EQ(intakeOne(catalog, criterion::kYear, tags).GroupName, c.yearKey);
        EXPECT_EQ(intakeOne(catalog, criterion::kDecade, tags).GroupName, c.decadeKey);
    }
}

TEST(Intake, EntryFields)
{
    CurrentTags tags;
    tags.Artist.set("Queen, David Bowie");
    tags.Composer.set("freddie mercury");
    tags.Title.set("UNDER PRESSURE: live?");
    Catalog catalog;
    struct TrackCase {
        std::int32_t track;
        const char16_t *text;
    };
    for (const TrackCase t : {TrackCase{0, u""}, TrackCase{7, u"07"}, TrackCase{123, u"123"}, TrackCase{-1, u""}}) {
        SCOPED_TRACE(t.track);
        tags.Track = t.track;
        const CMetaDat &entry = intakeOne(catalog, criterion::kArtist, tags);
        EXPECT_EQ(entry.TrackText, t.text);
        EXPECT_EQ(entry.Path, std::filesystem::path("/music/a/01 song.mp3"));
        // Grouped by the main artist; the entry names the whole credit.
        EXPECT_EQ(entry.GroupName, u"Queen");
        EXPECT_EQ(entry.Artist, u"Queen, David Bowie");
        EXPECT_EQ(entry.Composer, u"Freddie Mercury");
        // Title case, then file-name safe: ':' becomes ';' and '?' a space.
        EXPECT_EQ(entry.Title, u"Under Pressure; Live ");
        EXPECT_EQ(entry.Placed, 0);
    }
}

TEST(Intake, GenreKeyWithSimilitudes)
{
    CurrentTags tags;
    tags.Genre.set("Heavy metal");
    Catalog catalog;
    EXPECT_EQ(intakeOne(catalog, criterion::kGenre, tags, true).GroupName, u"Rap");
    EXPECT_EQ(intakeOne(catalog, criterion::kGenre, tags, false).GroupName, u"Heavy metal");
}

TEST(Intake, OverlongTextsAreLeftEmpty)
{
    // 1022 characters or more do not fit the wide tag strings: the album counts as missing.
    CurrentTags tags;
    tags.Album.set(std::string(1022, 'x'));
    Catalog catalog;
    EXPECT_EQ(intakeOne(catalog, criterion::kAlbum, tags).GroupName, u"Undefined");
    tags.Album.set(std::string(1021, 'x'));
    EXPECT_EQ(intakeOne(catalog, criterion::kAlbum, tags).GroupName.size(), 1021u);
}

TEST(Intake, AppendsInReadOrder)
{
    Catalog catalog;
    CurrentTags tags;
    for (const char *artist : {"Abba", "Blur", "Cream"}) {
        tags.Artist.set(artist);
        intake(criterion::kArtist, std::string("/m/") + artist + ".mp3", tags, true, catalog);
    }
    ASSERT_EQ(catalog.size(), 3u);
    EXPECT_EQ(catalog.at(0).GroupName, u"Abba");
    EXPECT_EQ(catalog.at(2).GroupName, u"Cream");
}

TEST(Intake, CompletionThenIntakeFromFileName)
{
    // A file without tags, named "Artist - Title": completion fills both and intake keys it.
    CurrentTags tags;
    completeTags(tags, "/music/01 - the rolling stones - angie.mp3", true);
    Catalog catalog;
    const CMetaDat &entry = intakeOne(catalog, criterion::kArtist, tags);
    EXPECT_EQ(entry.GroupName, u"The Rolling Stones");
    EXPECT_EQ(entry.Title, u"Angie");
}

} // namespace
} // namespace tunvale::catalog
