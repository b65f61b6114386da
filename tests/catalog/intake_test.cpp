#include "catalog/intake/intake.h"

#include "catalog/intake/tag_completion.h"
#include "catalog/records/load_options.h"

#include <gtest/gtest.h>

#include <string>

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
        EXPECT_EQ(entry.Artist, u"Queen");
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
