// Folding, case and comparison of text beyond Windows-1252: letters of every script stay
// letters of their script, accents go, case follows Unicode.

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunvale::text::unicode {
namespace {

// The accent folding of every character of a text.
std::string folded(std::string_view text)
{
    std::string out;
    for (const char32_t c : toCodePoints(text)) {
        const char32_t f = foldChar(c);
        if (f != 0)
            appendCodePoint(out, f);
    }
    return out;
}

TEST(UnicodeFold, AccentsGoAndLettersStayInTheirScript)
{
    struct Case {
        const char *text;
        const char *expected;
    };
    const Case cases[] = {
        {"Björk", "Bjork"},
        {"Łona i Webber", "Lona i Webber"},                 // no decomposition: the letter table
        {"Łódź", "Lodz"},
        {"Dvořák", "Dvorak"},
        {"Şımarık", "Simarik"},                             // dotless i by the table
        {"Đorđe Balašević", "Dorde Balasevic"},
        {"Ħal Far", "Hal Far"},
        {"Nie pytaj o Polskę", "Nie pytaj o Polske"},
        {"Tiếng Việt", "Tieng Viet"},                       // two marks on one letter
        {"Ǿresund", "Oresund"},                             // Ø with acute: Ø by the 8-bit table
        {"Cafe\u0301", "Cafe"},                             // a decomposed accent
        {"Μίκης Θεοδωράκης", "Μικης Θεοδωρακης"},           // Greek stays Greek
        {"Йод и ёж", "Иод и еж"},                           // Cyrillic stays Cyrillic
        {"עִידָן רייכל", "עידן רייכל"},                       // Hebrew points go
        {"فَيْرُوز", "فيروز"},                                // Arabic vowel signs go
        {"坂本龍一", "坂本龍一"},
        {"방탄소년단", "방탄소년단"},
        {"ビートルズ", "ビートルズ"},                        // kana voicing makes other letters: kept
        {"किताबें", "किताबें"},                               // Indic vowel signs kept
        {"Кино", "Кино"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(folded(c.text), c.expected) << c.text;
}

TEST(UnicodeFold, LetterAndDigitClassesOfEveryScript)
{
    for (const char32_t letter : {U'Ж', U'λ', U'坂', U'방', U'ا', U'א', U'ก', U'ა', U'Ł', U'ı', U'ǅ', U'ー'})
        EXPECT_TRUE(isFoldedAlpha(letter) && isFoldedAlnum(letter) && !isFoldedDigit(letter)) << std::hex << static_cast<unsigned>(letter);
    for (const char32_t digit : {U'٣', U'३', U'৭', U'Ⅻ', U'〇'})
        EXPECT_TRUE(isFoldedDigit(digit) && isFoldedAlnum(digit) && !isFoldedAlpha(digit)) << std::hex << static_cast<unsigned>(digit);
    for (const char32_t other : {U'、', U'。', U'🎵', U'♪', U'«', U'—', U'\u0301', U'\u093F', U'\u3000', U'¼'})
        EXPECT_FALSE(isFoldedAlnum(other)) << std::hex << static_cast<unsigned>(other);
    // Marks and joiners belong to the letter before them.
    for (const char32_t joining : {U'\u0301', U'\u093F', U'\u05B4', U'\u200D', U'\u200C', U'\u3099'})
        EXPECT_TRUE(isWordJoining(joining)) << std::hex << static_cast<unsigned>(joining);
    EXPECT_FALSE(isWordJoining(U'a'));
    for (const char32_t blank : {U'\u3000', U'\u2003', U'\u2028', U'\u0085', U'\t'})
        EXPECT_TRUE(isSpaceOrControl(blank)) << std::hex << static_cast<unsigned>(blank);
    EXPECT_FALSE(isSpaceOrControl(U'\u00A0'));   // the code page's no-break space is text, as in 8-bit
}

TEST(UnicodeFold, SpellingsOfOneNameCompareEqual)
{
    const std::vector<std::vector<const char *>> groups = {
        {"Кино", "КИНО", "кино"},
        {"Björk", "Bjork", "BJÖRK", "björk"},
        {"Łona i Webber", "Lona i Webber", "ŁONA I WEBBER"},
        {"Μίκης Θεοδωράκης", "ΜΙΚΗΣ ΘΕΟΔΩΡΑΚΗΣ", "μικης θεοδωρακης"},   // final sigma and sigma alike
        {"Şımarık", "SIMARIK", "Simarik"},
        {"Dvořák", "DVORAK", "Dvorak"},
        {"坂本龍一"},
        {"Cafe\u0301", "Café", "CAFE"},
    };
    for (const auto &group : groups) {
        for (const char *a : group) {
            for (const char *b : group)
                EXPECT_EQ(compareFolded(a, b), 0) << a << " / " << b;
        }
    }
    // Different letters stay different, and a letter never equals one of another script.
    const std::pair<const char *, const char *> different[] = {
        {"Кино", "Кина"}, {"坂本龍一", "坂本龍二"}, {"Ко", "Ko"}, {"Αβ", "Ab"}, {"방탄", "방탁"}, {"ビ", "ヒ"},
    };
    for (const auto &[a, b] : different) {
        EXPECT_NE(compareFolded(a, b), 0) << a << " / " << b;
        EXPECT_EQ(compareFolded(a, b), -compareFolded(b, a)) << a << " / " << b;
    }
}

TEST(UnicodeFold, ContainsFoldedGivesTheByteOffset)
{
    struct Case {
        const char *text;
        const char *pattern;
        std::size_t offset;
    };
    constexpr std::size_t npos = std::string_view::npos;
    const Case cases[] = {
        {"Саундтрек к фильму", "фильм", 22},
        {"САУНДТРЕК К ФИЛЬМУ", "фильм", 22},
        {"Musique de film de Łódź", "łODZ", 19},
        {"Musique de film de Łódź", "LODZ", npos},   // the first character is compared unfolded
        {"Μουσική ταινίας", "ταινια", 15},
        {"坂本龍一 Soundtrack", "Soundtrack", 13},
        {"坂本龍一", "龍一", 6},
        {"Кино", "Kino", npos},                 // Latin letters never match Cyrillic ones
        {"Кино", "", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(containsFolded(c.text, c.pattern), c.offset) << c.text << " / " << c.pattern;
}

TEST(UnicodeFold, TitleCaseFollowsUnicode)
{
    struct Case {
        const char *text;
        const char *wide;    // accents kept
        const char *folded;  // the 8-bit form: accents folded too
    };
    const Case cases[] = {
        {"ΜΙΚΗΣ ΘΕΟΔΩΡΑΚΗΣ", "Μικης Θεοδωρακης", "Μικης Θεοδωρακης"},   // final sigma at word ends
        {"μίκης θεοδωράκης", "Μίκης Θεοδωράκης", "Μικης Θεοδωρακης"},
        {"КИНО И ДДТ", "Кино и ддт", "Кино и ддт"},                     // short words stay lower case
        {"ŁONA I WEBBER", "Łona i Webber", "Lona i Webber"},
        {"şımarık", "Şımarık", "Simarik"},
        {"ǄUNGLA", "ǅungla", "ǅungla"},                                 // the digraph's title case
        {"ამბავი ქართული", "ამბავი ქართული", "ამბავი ქართული"},         // Georgian keeps its letters
        {"坂本 龍一", "坂本 龍一", "坂本 龍一"},                           // no case: unchanged
        {"עידן רייכל", "עידן רייכל", "עידן רייכל"},
        {"  __ДДТ__ ", "Ддт", "  __ддт__ "},                            // only the wide form trims
    };
    for (const Case &c : cases) {
        EXPECT_EQ(titleCase(c.text), c.wide) << c.text;
        std::string text = c.text;
        titleCaseInPlace(text);
        EXPECT_EQ(text, c.folded) << c.text;
    }
}

TEST(UnicodeFold, FoldToUpperAndLower)
{
    EXPECT_EQ(foldToUpper("кино"), "кИНО");            // the first character is only folded
    EXPECT_EQ(foldToUpper("łódź"), "lODZ");
    EXPECT_EQ(foldToUpper("μίκης"), "μΙΚΗΣ");
    EXPECT_EQ(foldToUpper("坂本\t龍一"), "坂本_龍一");   // controls become '_'
    EXPECT_EQ(foldToLower("ŁÓDŹ", 1022), "Lodz");
    EXPECT_EQ(foldToLower("ΘΕΟΔΩΡΑΚΗΣ ΜΙΚΗΣ", 1022), "Θεοδωρακης μικης");
    EXPECT_EQ(foldToLower("КИНО", 4), "Ки");             // limit minus 2 characters, not bytes
    EXPECT_EQ(foldToLower("Cafe\u0301s", 6), "Caf");     // a cut never splits e and its accent
}

TEST(UnicodeFold, LowerCaseWithFinalSigma)
{
    EXPECT_EQ(lowerCase("ΟΔΟΣ ΣΟΦΙΑΣ."), "οδος σοφιας.");
    EXPECT_EQ(lowerCase("Σ"), "σ");                      // not after a letter: no word ends here
    EXPECT_EQ(lowerCase("ΑΣΑ"), "ασα");
    EXPECT_EQ(lowerCase("ΑΣ\u0301 Β"), "ας\u0301 β");    // a mark after it does not matter
    EXPECT_EQ(lowerCase("ÉCOLE КИНО"), "école кино");
}

TEST(UnicodeFold, FirstCharacterInUpperCase)
{
    EXPECT_EQ(upperFirst("ďábel"), "Ďábel");
    EXPECT_EQ(upperFirst("ǆungla"), "ǅungla");
    EXPECT_EQ(upperFirst("кино"), "Кино");
    EXPECT_EQ(upperFirst("坂本"), "坂本");
    EXPECT_EQ(upperFirst(""), "");
    EXPECT_EQ(foldedUpperFirst("łona"), "Lona");
    EXPECT_EQ(foldedUpperFirst("élan"), "Elan");
    EXPECT_EQ(foldedUpperFirst("ёж"), "Еж");
    EXPECT_EQ(foldedUpperFirst("ǆungla"), "ǅungla");
}

TEST(UnicodeFold, CaseMappingOfSingleCharacters)
{
    struct Case {
        char32_t c;
        char32_t upper;
        char32_t lower;
        char32_t title;
        char32_t folded;
    };
    const Case cases[] = {
        {U'ж', U'Ж', U'ж', U'Ж', U'ж'},
        {U'Ж', U'Ж', U'ж', U'Ж', U'ж'},
        {U'ς', U'Σ', U'ς', U'Σ', U'σ'},     // final sigma: folded with sigma
        {U'ǆ', U'Ǆ', U'ǆ', U'ǅ', U'ǆ'},
        {U'ა', U'Ა', U'ა', U'ა', U'ა'},     // Georgian: no title case change
        {U'ı', U'I', U'ı', U'I', U'i'},
        {U'坂', U'坂', U'坂', U'坂', U'坂'},
        {U'µ', U'µ', U'µ', U'µ', U'µ'},     // in the code page: its own rules (no Greek capital)
        {U'ÿ', U'Ÿ', U'ÿ', U'Ÿ', U'ÿ'},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(toUpper(c.c), c.upper) << std::hex << static_cast<unsigned>(c.c);
        EXPECT_EQ(toLower(c.c), c.lower) << std::hex << static_cast<unsigned>(c.c);
        EXPECT_EQ(toTitle(c.c), c.title) << std::hex << static_cast<unsigned>(c.c);
        EXPECT_EQ(caseFold(c.c), c.folded) << std::hex << static_cast<unsigned>(c.c);
    }
}

} // namespace
} // namespace tunvale::text::unicode
