#include "catalog/genre/genre_key.h"

#include "catalog/genre/genre_table.h"
#include "catalog/grouping/similitude.h"
#include "catalog/text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::catalog {
namespace {

// The genre as Windows-1252 text, as the cases below write it; tags hold it in UTF-8.
GenreKey keyFor(const std::string &genre8, bool accept)
{
    const std::string genre = text::cp1252ToUtf8(genre8);
    return genreKey(genre, text::utf8ToUtf16(genre), accept);
}

TEST(GenreKey, Examples)
{
    struct Case {
        const char *genre;   // Windows-1252
        bool accept;
        const char16_t *key;
    };
    const Case cases[] = {
        {"ROCK", false, u"Rock"},
        {"ROCK", true, u"Rock"},       // index 17, similitude 1.0
        {"Heavy Metal", true, u"Rap"}, // index 137, whose parent is 15
        {"Heavy Metal", false, u"Heavy metal"},
        {"Film Soundtrack", true, u"Soundtrack"}, // substitution, then index 24
        {"Chanson fran\xE7"
         "aise",
         true, u"Vocal"},
        {"Chanson fran\xE7"
         "aise",
         false, u"Chanson fran\u00E7aise"}, // compared folded, named as spelled
        {"Musique lyrique", true, u"Opera"},
        {"Zzyzx", true, u"Zzyzx"}, // nothing reaches 0.62
        {"movie OST", true, u"Soundtrack"},
        {"OST", true, u"Ost"},                  // " OST" needs its leading space
        {"Lovesongs", true, u"Vocal"},          // "Song" anywhere, any case
        {"Rock & Roll", true, u"Rock"},         // index 78, whose parent is 17
        {"\xC9lectro", false, u"\u00C9lectro"}, // the first character keeps its accent
        {"MUSIQUE QU\xC9"
         "B\xC9"
         "COISE",
         false, u"Musique qu\u00E9b\u00E9coise"},
        {"Trip-Hop", true, u"Hip-hop"},    // index 27, whose parent is 7
        {"Christian Rock", true, u"Rock"}, // index 141 (trailing space in the table)
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.genre) + (c.accept ? " (similitudes)" : ""));
        EXPECT_EQ(keyFor(c.genre, c.accept).key, c.key);
    }
}

TEST(GenreKey, GenreTextFollowsTheKey)
{
    const GenreKey heavy = keyFor("Heavy Metal", true);
    EXPECT_EQ(heavy.genre, u"Rap");
    const GenreKey zzyzx = keyFor("zzyzx", true);
    EXPECT_EQ(zzyzx.genre, u"Zzyzx");
}

TEST(GenreKey, EmptyGenreIsUndefinedWhateverTheOption)
{
    for (const bool accept : {false, true}) {
        const GenreKey result = genreKey("", u"", accept);
        EXPECT_EQ(result.key, u"Undefined");
    }
}

TEST(GenreKey, UnconvertibleGenreGivesAnEmptyKey)
{
    // Only blanks: the normalized text trims to nothing, so there is no key (not "Undefined").
    const GenreKey result = genreKey("   ", u"   ", true);
    EXPECT_TRUE(result.key.empty());
}

TEST(GenreKey, SubstitutionsInOrder)
{
    EXPECT_EQ(genreSubstitution("Songs of praise"), "Vocal");
    EXPECT_EQ(genreSubstitution("Bande Originale du film"), "Soundtrack");
    EXPECT_EQ(genreSubstitution("Film B.O.F"), "Soundtrack");
    EXPECT_EQ(genreSubstitution("Lirico"), "Opera");
    EXPECT_EQ(genreSubstitution("Jazz"), "");
}

TEST(GenreKey, BonusAndThresholdAreSinglePrecision)
{
    // The best entry, 140 "Contemporary christian", scores 13 / 25 = 0.52 with match count 1
    // (Contemporary starts the first word). 0.52 + 0.1 reaches 0.62 in single precision only.
    const WordList fileWords = {U"Contemporaryqqqqqqqq", U"Czzzzzzzz"};
    const WordList tableWords = {U"Contemporary", U"Christian"};
    const Similitude result = similitude(fileWords, tableWords);
    ASSERT_EQ(result.score, 13.0f / 25.0f);
    ASSERT_EQ(result.matchCount, 1);
    ASSERT_LT(static_cast<double>(result.score) + static_cast<double>(0.1f), static_cast<double>(0.62f));

    EXPECT_EQ(keyFor("Contemporaryqqqqqqqq Czzzzzzzz", true).key, u"Contemporary christian");
}

} // namespace
} // namespace tunvale::catalog
