#include "catalog/intake/tag_completion.h"

#include "catalog/records/current_tags.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tunvale::catalog {
namespace {

// Tags as a reader leaves them: only the fields a case names are set.
struct Given {
    std::string title = {};
    std::string artist = {};
    std::string album = {};
    std::string albumArtist = {};
    std::string performer = {};
    std::string composer = {};
};

CurrentTags tagsFrom(const Given &given)
{
    CurrentTags tags;
    tags.Title.set(given.title);
    tags.Artist.set(given.artist);
    tags.Album.set(given.album);
    tags.AlbumArtist.set(given.albumArtist);
    tags.Performer.set(given.performer);
    tags.Composer.set(given.composer);
    return tags;
}

struct Case {
    const char *name;
    Given given;
    const char *fileName;   // without folder; the extension is dropped by completion
    bool tagsFromName;
    const char *artist;
    const char *title;
};

TEST(TagCompletion, ArtistAndTitleFromFileName)
{
    const Case cases[] = {
        // The hyphen at position 3 is skipped; the one at 17 ends the artist part.
        {"zero_padded_track", {}, "01 - Some Artist - Some Song.mp3", true, "Some Artist", "Some Song"},
        // Artist title-cased, title only trimmed.
        {"lower_case", {}, "some artist - some song.mp3", true, "Some Artist", "some song"},
        // A leading digit other than 0 is part of the artist.
        {"leading_one", {}, "1 - Some Artist - Some Song.flac", true, "1 - Some Artist", "Some Song"},
        // No separator: the name trimmed to letters becomes the title.
        {"no_separator", {}, "Track05.wav", true, "", "Track"},
        // Artist present: the whole name (trimmed to letters) becomes the title.
        {"artist_present", {.artist = "Band"}, "01 - Some Artist - Some Song.mp3", true, "Band", "Some Artist - Some Song"},
        // Title present: only the artist is taken from the name.
        {"title_present", {.title = "Real Title"}, "Some Artist - Some Song.mp3", true, "Some Artist", "Real Title"},
        // Separators before position 5 never cut: AC,DC stays whole, the hyphen at 6 cuts.
        {"short_name_separator", {}, "AC,DC - Thunderstruck.mp3", true, "Ac,dc", "Thunderstruck"},
        // A comma cuts like a hyphen.
        {"comma", {}, "Queen, Bohemian Rhapsody.mp3", true, "Queen", "Bohemian Rhapsody"},
        // Zero-padded name: both parts trimmed to letters, so trailing digits go.
        {"zero_padded_digits", {}, "07 Artist 2 - Song 3.mp3", true, "Artist", "Song"},
        // Option off: an empty title stays empty.
        {"option_off", {}, "01 - Some Artist - Some Song.mp3", false, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CurrentTags tags = tagsFrom(c.given);
        completeTags(tags, std::filesystem::path("/music/folder") / c.fileName, c.tagsFromName);
        EXPECT_EQ(tags.Artist.view(), c.artist);
        EXPECT_EQ(tags.Title.view(), c.title);
    }
}

TEST(TagCompletion, ArtistFromOtherTags)
{
    const Case cases[] = {
        {"performer_and_album_artist_shorter", {.albumArtist = "Orchestra of the Age", .performer = "Rattle"}, "x.mp3", false, "Rattle", ""},
        {"equal_lengths_take_album_artist", {.albumArtist = "Abcd", .performer = "Wxyz"}, "x.mp3", false, "Abcd", ""},
        {"performer_only", {.performer = "Rattle"}, "x.mp3", false, "Rattle", ""},
        {"album_artist_only", {.albumArtist = "Various"}, "x.mp3", false, "Various", ""},
        {"composer", {.composer = "Mozart"}, "x.mp3", false, "Mozart", ""},
        // Title "Artist - Song": the text before the hyphen; the title is kept.
        {"from_title", {.title = "Some Artist - Some Song"}, "x.mp3", false, "Some Artist", "Some Artist - Some Song"},
        // The first segment is too short: the text between the first and second separator.
        {"from_title_second_segment", {.title = "01 - Some Artist - Some Song"}, "x.mp3", false, "Some Artist", "01 - Some Artist - Some Song"},
        // AB is too short and no second separator follows: the album is searched.
        {"title_too_short_then_album", {.title = "AB - Song", .album = "Great Band, Live"}, "x.mp3", false, "Great Band", "AB - Song"},
        {"nothing_found", {.title = "AB - Song"}, "x.mp3", false, "", "AB - Song"},
        // The existing Artist is never replaced.
        {"artist_kept", {.artist = "Kept", .performer = "Other"}, "x.mp3", false, "Kept", ""},
        // Tags win over the file name: the title's artist is used first.
        {"tags_before_name", {.title = "Tag Artist - Song"}, "Name Artist - Name Song.mp3", true, "Tag Artist", "Tag Artist - Song"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CurrentTags tags = tagsFrom(c.given);
        completeTags(tags, c.fileName, c.tagsFromName);
        EXPECT_EQ(tags.Artist.view(), c.artist);
        EXPECT_EQ(tags.Title.view(), c.title);
    }
}

TEST(TagCompletion, Normalization)
{
    CurrentTags tags;
    tags.Title.set("(Intro) Song");
    tags.Album.set("  ...Greatest Hits!!  ");
    tags.Artist.set("\xC3\xA9lise");             // e acute
    tags.AlbumArtist.set(" the band ");
    tags.Performer.set("--conductor");
    tags.Composer.set("bach");
    tags.Genre.set("  hEAVY METAL!");
    tags.Comment.set("  left as is ");
    completeTags(tags, "x.mp3", false);
    EXPECT_EQ(tags.Title.view(), "Intro) Song");   // a leading bracket goes, a trailing one stays
    EXPECT_EQ(tags.Album.view(), "Greatest Hits");
    EXPECT_EQ(tags.Artist.view(), "\xC3\x89lise"); // first character in upper case, accent kept
    EXPECT_EQ(tags.AlbumArtist.view(), "The band");
    EXPECT_EQ(tags.Performer.view(), "Conductor");
    EXPECT_EQ(tags.Composer.view(), "Bach");
    EXPECT_EQ(tags.Genre.view(), "Heavy metal");
    EXPECT_EQ(tags.Comment.view(), "  left as is ");
}

TEST(TagCompletion, FillScore)
{
    // Title without separator, Year and Track: 3; a Year of 0 does not count.
    CurrentTags tags;
    tags.Title.set("Song");
    tags.Year = 1999;
    tags.Track = 4;
    EXPECT_EQ(completeTags(tags, "x.mp3", false), 3);
    EXPECT_EQ(tags.FillScore, 3);

    CurrentTags zeroYear;
    zeroYear.Title.set("Song");
    zeroYear.Track = 4;
    EXPECT_EQ(completeTags(zeroYear, "x.mp3", false), 2);
    EXPECT_EQ(zeroYear.FillScore, 2);

    // Every counted field filled: 10 texts and 6 numbers.
    CurrentTags full;
    for (TagTextField *field : {&full.Title, &full.Album, &full.Artist, &full.AlbumArtist, &full.Performer,
                                &full.Composer, &full.Genre, &full.Comment, &full.Publisher, &full.Encoder,
                                &full.Subtitle})
        field->set("Text");
    full.Year = 2001;
    full.Track = 1;
    full.TrackTotal = 10;
    full.Disc = 1;
    full.DiscTotal = 2;
    full.Rating = 5;
    EXPECT_EQ(completeTags(full, "x.mp3", false), 16);   // Subtitle is not counted

    // Nothing at all, name without letters: 0.
    CurrentTags empty;
    EXPECT_EQ(completeTags(empty, "/music/123.mp3", true), 0);
    EXPECT_EQ(empty.FillScore, 0);
    EXPECT_TRUE(empty.Title.empty());
}

TEST(TagCompletion, NameWithNonAsciiCharacters)
{
    // UTF-8 file names are read whole: e acute survives, and so does a character of any other
    // script (a letter, so the trims keep it).
    CurrentTags tags;
    completeTags(tags, std::filesystem::path(u8"/m/\u00C9dith Piaf - La Vie en rose \u4E2D.mp3"), true);
    EXPECT_EQ(tags.Artist.view(), "\u00C9dith Piaf"); // title case keeps the accents
    EXPECT_EQ(tags.Title.view(), "La Vie en rose \u4E2D");
    // A decomposed name (as macOS stores names) reads as the composed text.
    CurrentTags decomposed;
    completeTags(decomposed, std::filesystem::path(u8"/m/Bjo\u0308rk - Jo\u0301ga.mp3"), true);
    EXPECT_EQ(decomposed.Artist.view(), "Bj\u00F6rk");
    EXPECT_EQ(decomposed.Title.view(), "J\u00F3ga");
    // Short words stay in lower case, with their accents.
    CurrentTags sigur;
    completeTags(sigur, std::filesystem::path(u8"/m/SIGUR R\u00D3S - Hopp\u00EDpolla.flac"), true);
    EXPECT_EQ(sigur.Artist.view(), "Sigur r\u00F3s");
}

TEST(TagCompletion, LongNamesAreCut)
{
    // A name far beyond the 1023-character field: completion keeps within the field.
    const std::string longArtist(1500, 'a');
    CurrentTags tags;
    completeTags(tags, "/m/" + longArtist + " - Song.mp3", true);
    EXPECT_LE(tags.Artist.size(), TagTextField::kMaxLength);
    EXPECT_FALSE(tags.Title.empty());
}

} // namespace
} // namespace tunvale::catalog
