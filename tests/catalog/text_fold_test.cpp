#include "catalog/text/fold.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::text {
namespace {

char byte(int value) { return static_cast<char>(value); }

TEST(TextFold, FoldTable)
{
    struct Case {
        int input;
        char folded;
    };
    const Case cases[] = {
        {0x80, 'E'}, {0x81, ' '}, {0x8A, 'S'}, {0x8C, 'O'}, {0x92, '\''}, {0x96, '-'}, {0x9F, 'Y'},
        {0xA0, ' '}, {0xA9, 'C'}, {0xB2, '2'}, {0xBF, '?'}, {0xC0, 'A'}, {0xC7, 'C'}, {0xC9, 'E'},
        {0xD0, 'D'}, {0xD1, 'N'}, {0xD7, 'x'}, {0xD8, 'O'}, {0xDD, 'Y'}, {0xDE, 'p'}, {0xDF, 'S'},
        {0xE0, 'a'}, {0xE7, 'c'}, {0xE9, 'e'}, {0xF1, 'n'}, {0xF7, '/'}, {0xFD, 'y'}, {0xFF, 'y'},
        {'a', 'a'}, {'Z', 'Z'}, {0x1F, 0x1F}, {0x7F, 0x7F},
    };
    for (const Case &c : cases)
        EXPECT_EQ(foldChar(byte(c.input)), c.folded) << std::hex << c.input;
    // Every byte of the upper half folds to plain ASCII.
    for (int b = 0x80; b < 0x100; ++b)
        EXPECT_LT(static_cast<unsigned char>(foldChar(byte(b))), 0x80) << std::hex << b;
}

TEST(TextFold, LetterAndDigitClassesAfterFolding)
{
    EXPECT_TRUE(isFoldedAlpha(byte(0xE9)));
    EXPECT_TRUE(isFoldedAlpha(byte(0xD7)));   // the multiplication sign folds to x
    EXPECT_FALSE(isFoldedAlpha(byte(0xB2)));
    EXPECT_TRUE(isFoldedDigit(byte(0xB2)));   // superscript two folds to 2
    EXPECT_TRUE(isFoldedAlnum(byte(0xB9)));
    EXPECT_FALSE(isFoldedAlnum(byte(0xA0)));
    EXPECT_FALSE(isFoldedAlnum('_'));
    EXPECT_FALSE(isFoldedAlnum(byte(0xBF)));
}

TEST(TextFold, Cp1252CaseMapping)
{
    EXPECT_EQ(cp1252ToUpper(byte(0xE9)), byte(0xC9));
    EXPECT_EQ(cp1252ToUpper(byte(0x9A)), byte(0x8A));
    EXPECT_EQ(cp1252ToUpper(byte(0xFF)), byte(0x9F));
    EXPECT_EQ(cp1252ToUpper(byte(0xF7)), byte(0xF7));   // division sign has no case
    EXPECT_EQ(cp1252ToUpper(byte(0xDF)), byte(0xDF));
    EXPECT_EQ(cp1252ToLower(byte(0xC9)), byte(0xE9));
    EXPECT_EQ(cp1252ToLower(byte(0x8C)), byte(0x9C));
    EXPECT_EQ(cp1252ToLower(byte(0xD7)), byte(0xD7));
    EXPECT_EQ(cp1252ToLower('Q'), 'q');
}

TEST(TextFold, CompareFolded)
{
    EXPECT_EQ(compareFolded("\xC9lan", "ELAN"), 0);
    EXPECT_EQ(compareFolded("caf\xE9", "CAFE"), 0);
    EXPECT_EQ(compareFolded("abc", "abd"), 'C' - 'D');
    EXPECT_EQ(compareFolded("abc", "ab"), 'C');
    EXPECT_EQ(compareFolded("", "a"), -'A');
    EXPECT_EQ(compareFolded("", ""), 0);
    EXPECT_EQ(compareFolded(std::string_view("ab\0x", 4), "AB"), 0);

    // At most 520 characters are compared.
    const std::string common(520, 'q');
    EXPECT_EQ(compareFolded(common + "a", common + "b"), 0);
    EXPECT_NE(compareFolded(common.substr(1) + "a", common.substr(1) + "b"), 0);

    EXPECT_EQ(compareFoldedN("abcX", "ABCY", 3), 0);
    EXPECT_NE(compareFoldedN("abcX", "ABCY", 4), 0);
    EXPECT_EQ(compareFoldedN("ab", "ab", 10), 0);
}

TEST(TextFold, ContainsFolded)
{
    struct Case {
        std::string text;
        std::string pattern;
        std::size_t position;
    };
    constexpr std::size_t npos = std::string_view::npos;
    const Case cases[] = {
        {"Film Soundtrack", "Soundtrack", 5},
        {"FILM SOUNDTRACK", "Soundtrack", 5},
        {"Chanson fran\xE7" "aise", "Chanson", 0},
        {"Musique lyrique", "Lyri", 8},
        {"Movie OST", " OST", 5},
        {"Ghost", " OST", npos},
        {"CAF\xC9 del mar", "cafe", 0},
        {"anything", "", 0},
        {"", "", 0},
        {"ab", "abc", npos},
        {"Dance", "x", npos},
        {"Windows Media Player 9", "MEDIA PLAYER", 8},
        {"aab", "ab", 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(containsFolded(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
}

TEST(TextFold, FoldToUpperAndLower)
{
    EXPECT_EQ(foldToUpper("windows media player"), "wINDOWS MEDIA PLAYER");   // first only folded
    EXPECT_EQ(foldToUpper("\xE9t\xE9"), "eTE");
    EXPECT_EQ(foldToUpper("a\tb\xFF"), "a_BY");
    EXPECT_EQ(foldToUpper(""), "");

    EXPECT_EQ(foldToLower("\xC9" "COLE", 1022), "Ecole");
    EXPECT_EQ(foldToLower("ABCDEF", 5), "Abc");                 // limit minus 2 characters
    EXPECT_EQ(foldToLower("ABC", 1), "");
    EXPECT_EQ(foldToLower("ROCK\x01N\x8CUVRE", 1022), "Rock_nouvre");   // OE lowered, then folded
}

TEST(TextFold, TitleCaseInPlace)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"the dark SIDE of the moon", "The Dark Side of the Moon"},
        {"\xC9T\xC9 INDIEN", "Ete Indien"},
        {"a b cd efg hijk", "A b cd efg Hijk"},
        {"ROCK-AND-ROLL music", "Rock-and-roll Music"},   // words end at spaces only
        {"", ""},
        {"x", "X"},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        titleCaseInPlace(text);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(TextFold, TitleCaseWide)
{
    struct Case {
        std::u16string text;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"A WALK ALONG THE RIVER BANK", u"A Walk Along the River Bank"},
        {u"__  hello world  __", u"Hello World"},
        {u"\u00C9COLE DES FEMMES", u"\u00C9cole des Femmes"},   // accents kept in wide text
        {u"\u041F\u0420\u0418\u0412\u0415\u0422 \u041C\u0418\u0420",
         u"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440"},
        {u"the  two  spaces", u"The  two  Spaces"},
        {u"   ", u""},
        {u"", u""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(titleCaseWide(c.text), c.expected);
}

TEST(TextFold, WideCaseMapping)
{
    struct Pair {
        char16_t lower;
        char16_t upper;
    };
    const Pair pairs[] = {
        {u'a', u'A'},   {0x00E9, 0x00C9}, {0x00FE, 0x00DE}, {0x00FF, 0x0178}, {0x0101, 0x0100},
        {0x0142, 0x0141}, {0x0148, 0x0147}, {0x0151, 0x0150}, {0x017E, 0x017D}, {0x03B1, 0x0391},
        {0x03C9, 0x03A9}, {0x03AC, 0x0386}, {0x03AD, 0x0388}, {0x03CC, 0x038C}, {0x03CE, 0x038F},
        {0x0430, 0x0410}, {0x044F, 0x042F}, {0x0451, 0x0401}, {0x0491, 0x0490}, {0x1EB9, 0x1EB8},
    };
    for (const Pair &p : pairs) {
        EXPECT_EQ(wideToUpper(p.lower), p.upper) << std::hex << int(p.lower);
        EXPECT_EQ(wideToLower(p.upper), p.lower) << std::hex << int(p.upper);
        EXPECT_EQ(wideToUpper(p.upper), p.upper) << std::hex << int(p.upper);
        EXPECT_EQ(wideToLower(p.lower), p.lower) << std::hex << int(p.lower);
    }
    EXPECT_EQ(wideToUpper(0x03C2), 0x03A3);   // final sigma
    // Characters without a case partner stay themselves.
    for (char16_t unit : {char16_t(0x00D7), char16_t(0x00F7), char16_t(0x00DF), char16_t(0x03A2),
                          char16_t(0x0138), char16_t(u'1'), char16_t(0x4E2D)}) {
        EXPECT_EQ(wideToUpper(unit), unit) << std::hex << int(unit);
        EXPECT_EQ(wideToLower(unit), unit) << std::hex << int(unit);
    }
}

} // namespace
} // namespace tunvale::text
