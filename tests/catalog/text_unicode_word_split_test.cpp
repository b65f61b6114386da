// Key words of names in every script: letters and digits of any script make words, spellings
// of one name give one key, and no word is cut inside a character.

#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunvale::text::unicode {
namespace {

std::vector<std::string> wordsOf(const WordSplit &split)
{
    return std::vector<std::string>(split.words.begin(), split.words.begin() + static_cast<std::ptrdiff_t>(split.count));
}

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(UnicodeWordSplit, WordsOfEveryScript)
{
    struct Case {
        std::string text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"Кино", {"Кино"}},
        {"КИНО", {"Кино"}},
        {"кино", {"Кино"}},
        {"Björk", {"Bjork"}},
        {"Łona i Webber", {"Lona", "I", "Webber"}},
        {"Dvořák: Symphony No. 9", {"Dvorak", "Symphony", "No", "9"}},
        {"Μίκης Θεοδωράκης", {"Μικησ", "Θεοδωρακησ"}},       // case folded: one sigma for both forms
        {"ΜΙΚΗΣ ΘΕΟΔΩΡΑΚΗΣ", {"Μικησ", "Θεοδωρακησ"}},
        {"עידן רייכל", {"עידן", "רייכל"}},
        {"فيروز", {"فيروز"}},
        {"방탄소년단", {"방탄소년단"}},
        {"방탄 소년단", {"방탄", "소년단"}},                      // Hangul is written with spaces
        {"किताबें पढ़ो", {"किताबें", "पढ़ो"}},                        // vowel signs and nukta belong to the word
        {"Kino Кино", {"Kino", "Кино"}},                         // two scripts, two words
        {"ДДТ — Осень", {"Ддт", "Осень"}},
        {"١٩٨٤ ٣", {"١٩٨٤", "٣"}},                              // Arabic-Indic digits
        {"🎵 ♪ …", {}},
        {"Café\u0301", {"Cafe"}},                                // a stray decomposed accent goes
    };
    for (const Case &c : cases)
        EXPECT_EQ(wordsOf(splitWords(c.text)), c.words) << c.text;
}

TEST(UnicodeWordSplit, SpacesInsideIdeographicNamesAreSpellingVariants)
{
    struct Case {
        std::string text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"坂本龍一", {"坂本龍一"}},
        {"坂本 龍一", {"坂本龍一"}},
        {"坂本\u3000龍一", {"坂本龍一"}},                       // the ideographic space
        {"周杰伦", {"周杰伦"}},
        {"周 杰伦", {"周杰伦"}},
        {"坂本龍一 Sakamoto", {"坂本龍一", "Sakamoto"}},        // a Latin word after a space stays apart
        {"Ryuichi 坂本 龍一", {"Ryuichi", "坂本龍一"}},
        {"坂本・龍一", {"坂本", "龍一"}},                        // punctuation still separates
    };
    for (const Case &c : cases)
        EXPECT_EQ(wordsOf(splitWords(c.text)), c.words) << c.text;
}

TEST(UnicodeWordSplit, StartsAndEndsAreByteOffsetsOfTheRuns)
{
    const WordSplit split = splitWords("Кино-ДДТ");
    ASSERT_EQ(split.count, 2u);
    EXPECT_EQ(split.starts[0], 0u);
    EXPECT_EQ(split.ends[0], 8u);
    EXPECT_EQ(split.starts[1], 9u);
    EXPECT_EQ(split.ends[1], 15u);

    // A joined ideographic word runs over the space; a word cut at 30 characters ends where
    // its run ends.
    const WordSplit joined = splitWords("坂本 龍一!");
    ASSERT_EQ(joined.count, 1u);
    EXPECT_EQ(joined.ends[0], 13u);
    const WordSplit cut = splitWords(repeated("ж", 40) + " bb");
    ASSERT_EQ(cut.count, 2u);
    EXPECT_EQ(cut.ends[0], 80u);
    EXPECT_EQ(cut.starts[1], 81u);
}

TEST(UnicodeWordSplit, ThirtyCharactersNeverCutInsideOne)
{
    // 40 Cyrillic letters: one word of 30 characters (60 bytes); the other 10 are skipped.
    const WordSplit cyrillic = splitWords(repeated("ж", 40));
    ASSERT_EQ(cyrillic.count, 1u);
    EXPECT_EQ(cyrillic.words[0], "Ж" + repeated("ж", 29));

    // 29 letters, then a letter with its vowel sign (two code points, one character): the
    // 30th code point would separate them, so the word keeps 29.
    const WordSplit devanagari = splitWords(repeated("क", 29) + "कि" + "क");
    ASSERT_EQ(devanagari.count, 1u);
    EXPECT_EQ(devanagari.words[0], repeated("क", 29));
    const WordSplit fits = splitWords(repeated("क", 28) + "कि");
    EXPECT_EQ(fits.words[0], repeated("क", 28) + "कि");

    // Accents folding drops take no room.
    const WordSplit accents = splitWords(repeated("e\u0301", 30));
    EXPECT_EQ(accents.words[0], "E" + repeated("e", 29));
}

TEST(UnicodeWordSplit, LengthRuleCountsCharacters)
{
    // 4096 two-byte characters are within the rule; one more makes the text count as empty.
    const std::string words = repeated("жжжж ", 819) + "ж";   // 4096 characters, 8191 bytes
    ASSERT_EQ(characterCount(words), 4096u);
    EXPECT_EQ(splitWords(words).count, 8u);
    EXPECT_EQ(splitWords(words + "ж").count, 0u);
}

} // namespace
} // namespace tunvale::text::unicode
