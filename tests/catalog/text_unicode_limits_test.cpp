// Limits, trims, names and distances of text beyond Windows-1252: limits count characters and
// never cut one in half, names keep every printable character and fit in 255 bytes, distances
// count characters rather than bytes, and tag text is put in NFC.

#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"

#include <gtest/gtest.h>

#include <utf8proc.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace tunvale::text::unicode {
namespace {

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(UnicodeLimits, CutsFallBetweenCharacters)
{
    struct Case {
        const char *what;
        std::string text;
        std::size_t characters;
        std::string expected;
    };
    const Case cases[] = {
        {"a letter and its accent stay together", "Cafe\u0301 noir", 4, "Caf"},
        {"the accented letter fits whole", "Cafe\u0301 noir", 5, "Cafe\u0301"},
        {"an emoji family is one character", "👩\u200D👩\u200D👧 x", 3, ""},
        {"a flag is two code points", "🇫🇷🇩🇪", 3, "🇫🇷"},
        {"precomposed Hangul syllables", "한국어", 2, "한국"},
        {"conjoining jamo make one syllable", "\u1112\u1161\u11AB", 2, ""},
        {"a vowel sign belongs to its consonant", "किताब", 1, ""},
        {"two clusters of two code points", "किताब", 4, "किता"},
        {"CR and LF are two characters", "a\r\nb", 2, "a\r"},
        {"two-byte letters count once", "Кино", 3, "Кин"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(boundedCopy(c.text, c.characters), c.expected) << c.what;
        EXPECT_EQ(c.text.substr(0, cutAtCharacters(c.text, c.characters)), c.expected) << c.what;
    }
    EXPECT_EQ(cutAtBytes("Кино", 5), 4u);          // never half of a two-byte letter
    EXPECT_EQ(cutAtBytes("e\u0301e", 2), 0u);      // nor a letter without its accent
    EXPECT_EQ(cutAtBytes("e\u0301e", 3), 3u);
}

TEST(UnicodeLimits, Trims)
{
    EXPECT_EQ(trimCopy("\u3000 坂本龍一\u3000\t", 100), "坂本龍一");
    EXPECT_EQ(trimCopy("\u00A0x\u00A0", 10), "\u00A0x\u00A0");   // the code page's no-break space is text
    EXPECT_EQ(trimCopy("  Кино  ДДТ", 6), "Кино");
    EXPECT_EQ(trimWideEnd("Кино\u2003 ", 10), "Кино");

    struct Case {
        std::string text;
        std::string alphanumerics;
        std::string letters;
    };
    const Case cases[] = {
        {"«Кино»", "Кино", "Кино"},
        {"— किताबें —", "किताबें", "किताबें"},                // a trailing vowel sign stays with its letter
        {"(坂本龍一)", "坂本龍一)", "坂本龍一)"},
        {"🎵 Björk 🎵", "Björk", "Björk"},
        {"Ⅻ Roman ٣", "Ⅻ Roman ٣", "Roman"},                  // number letters and digits of any script
        {"\u0301Кино", "Кино", "Кино"},                       // a stray leading mark goes
        {"…!", "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(trimToAlphanumerics(c.text), c.alphanumerics) << c.text;
        EXPECT_EQ(trimToLetters(c.text), c.letters) << c.text;
    }
    // At most 1022 characters are read, not 1022 bytes.
    EXPECT_EQ(characterCount(trimToAlphanumerics(repeated("ж", 2000))), 1022u);
}

TEST(UnicodeLimits, BoundedAppendAndBlank)
{
    std::string nearlyFull = repeated("ж", 1020);
    boundedAppend(nearlyFull, "ёж");
    EXPECT_EQ(nearlyFull, repeated("ж", 1020) + "ё");

    std::string overLong = repeated("坂", 1500);
    boundedAppend(overLong, "tail");
    EXPECT_EQ(overLong, repeated("坂", 1021));

    std::string accented = repeated("a", 1020);
    boundedAppend(accented, "e\u0301");                    // the accent would not fit: neither does its e
    EXPECT_EQ(accented, repeated("a", 1020));

    EXPECT_TRUE(isBlank("\u3000 "));
    EXPECT_FALSE(isBlank("\u00A0"));
    EXPECT_FALSE(isBlank(" 坂"));
}

TEST(UnicodeLimits, MeasuredLengthCountsCharacters)
{
    EXPECT_EQ(boundedLength(repeated("ж", 4096)), 4096u);
    EXPECT_EQ(boundedLength(repeated("ж", 4097)), 0u);
    EXPECT_EQ(boundedLength(std::string("Кино\0ДДТ", 12)), 4u);
}

TEST(UnicodeNames, SeparatorPositions)
{
    const std::vector<SeparatorPosition> positions = separatorPositions("Кино, ДДТ / Би-2");
    ASSERT_EQ(positions.size(), 3u);
    const std::size_t characters[] = {4, 10, 14};
    const std::size_t bytes[] = {8, 17, 23};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(positions[k].character, characters[k]);
        EXPECT_EQ(positions[k].byte, bytes[k]);
    }
    const std::vector<SeparatorPosition> ideographic = separatorPositions("坂本龍一、高橋幸宏／細野晴臣");
    ASSERT_EQ(ideographic.size(), 2u);
    EXPECT_EQ(ideographic[0].character, 4u);
    EXPECT_EQ(ideographic[1].character, 9u);
    EXPECT_TRUE(separatorPositions("Кино – ДДТ").empty());   // an en dash never was one
}

TEST(UnicodeNames, FileNameSafeMapsOnlyWhatFileSystemsRefuse)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"AC/DC: Кино?", "AC,DC; Кино "},
        {"坂本龍一", "坂本龍一"},
        {"Μίκης Θεοδωράκης", "Μίκης Θεοδωράκης"},
        {"עידן רייכל", "עידן רייכל"},
        {"👩\u200D👩\u200D👧 🇫🇷", "👩\u200D👩\u200D👧 🇫🇷"},
        {"<Кино>|*", "'Кино', "},
        {"a\u0085b\u2028c", "a b\u2028c"},     // a C1 control goes; other characters stay
        {"a\xFF" "b", "a\uFFFDb"},               // names are valid UTF-8
        {"..", "__"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fileNameSafe(c.text), c.expected) << c.text;
}

TEST(UnicodeNames, ShortenTo40CountsCharacters)
{
    // 40 characters of 2 bytes stay, though they are 80 bytes.
    std::string forty = repeated("ж", 40);
    shortenTo40(forty);
    EXPECT_EQ(forty, repeated("ж", 40));

    std::string spaced = repeated("ж", 35) + " " + repeated("ж", 10);
    shortenTo40(spaced);
    EXPECT_EQ(spaced, repeated("ж", 35) + "...");

    std::string ideographic = repeated("坂", 30) + "、" + repeated("龍", 15);
    shortenTo40(ideographic);
    EXPECT_EQ(ideographic, repeated("坂", 30) + "...");

    std::string late = repeated("ж", 44) + " " + repeated("ж", 3);
    shortenTo40(late);
    EXPECT_EQ(late, repeated("ж", 44) + "...");
}

TEST(UnicodeNames, NamesFitIn255Bytes)
{
    EXPECT_EQ(fitNameBytes(repeated("ж", 100)), repeated("ж", 100));
    EXPECT_EQ(fitNameBytes(repeated("ж", 200)), repeated("ж", 127));     // 254 bytes: no half letter
    EXPECT_EQ(fitNameBytes(repeated("坂", 90)), repeated("坂", 85));      // 255 bytes
    EXPECT_EQ(fitNameBytes(repeated("a", 250) + "👩\u200D👩\u200D👧"), repeated("a", 250));
    EXPECT_EQ(fitNameBytes(repeated("a", 254) + "e\u0301"), repeated("a", 254));
    EXPECT_EQ(fitNameBytes(std::string(300, '.')), std::string(255, '_'));
    EXPECT_EQ(fitNameBytes("Кино", 5), "Ки");
}

TEST(UnicodeDistances, CountCharactersNotBytes)
{
    EXPECT_EQ(editDistance("Dvořák", "Dvorak"), 2);
    EXPECT_EQ(editDistance("🎵", "🎶"), 1);
    EXPECT_EQ(editDistance(U"坂本龍一", U"坂本龍二"), 1);
    EXPECT_EQ(wordSimilarity("坂本龍一", "坂本龍二"), 3);
    EXPECT_EQ(wordSimilarity("", ""), 1);
    EXPECT_FLOAT_EQ(stringSimilarity("Кино", "Кина"), 0.75f);
    EXPECT_FLOAT_EQ(stringSimilarity("Björk", "Bjork"), 0.8f);
    // Inputs are read up to 1023 characters.
    EXPECT_EQ(stringSimilarity(repeated("ж", 1023) + "a", repeated("ж", 1023) + "b"), 1.0f);
    EXPECT_EQ(editDistance(repeated("ж", 1023) + "a", repeated("ж", 1022) + "b"), 1);
}

std::string utf8procNfc(const std::string &text)
{
    utf8proc_uint8_t *mapped = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(text.data()),
                                                 static_cast<utf8proc_ssize_t>(text.size()), &mapped,
                                                 static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    std::string out = length < 0 ? std::string() : std::string(reinterpret_cast<char *>(mapped), static_cast<std::size_t>(length));
    std::free(mapped);
    return out;
}

TEST(UnicodeNormalization, TagTextIsPutInNfc)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"Cafe\u0301", "Café"},
        {"Café", "Café"},
        {"\u1112\u1161\u11AB\u1100\u116E\u11A8", "한국"},   // conjoining jamo to syllables
        {"\u212B", "\u00C5"},                              // the Angstrom sign is Å
        {"\u00D8\u0301resund", "Ǿresund"},
        {"Ko\u0301\u0323", "K\u1ECD\u0301"},                // marks in canonical order, then composed
        {"\xC3(", "\uFFFD("},                             // an invalid sequence
        {"plain ASCII", "plain ASCII"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(normalizeNfc(c.text), c.expected) << c.text;
}

TEST(UnicodeNormalization, TextBelowCombiningMarksNeedsNone)
{
    // The shortcut for text of code points below U+0300 gives what full normalization gives.
    std::mt19937 random(31337);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = 1 + random() % 4;
        for (std::size_t i = 0; i < length; ++i)
            appendCodePoint(text, static_cast<char32_t>(1 + random() % 0x2FF));
        EXPECT_EQ(normalizeNfc(text), utf8procNfc(text));
    }
    for (char32_t c = 1; c < 0x300; ++c) {
        std::string text;
        appendCodePoint(text, c);
        EXPECT_EQ(utf8procNfc(text), text) << std::hex << static_cast<unsigned>(c);
    }
}

} // namespace
} // namespace tunvale::text::unicode
