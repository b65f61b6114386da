// The Unicode text rules against the 8-bit ones, which serve as the oracle: on every text that
// Windows-1252 can hold, each rule gives the same result, byte for byte once converted.
// Compared on random texts (uniform over the assigned bytes, and weighted towards separators,
// spaces, digits and accented letters) and on every string literal of the test sources.

#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "catalog/text/names.h"
#include "catalog/text/similarity.h"
#include "catalog/text/tag_text.h"
#include "catalog/text/trim.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/tag_text.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"
#include "catalog/text/word_split.h"
#include "support/string_literals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace tunvale::text {
namespace {

namespace u = unicode;

std::string hex(std::string_view text)
{
    std::string out;
    char buffer[4];
    for (const char c : text.substr(0, 120)) {
        std::snprintf(buffer, sizeof buffer, "%02X ", static_cast<unsigned char>(c));
        out += buffer;
    }
    return text.size() > 120 ? out + "... (" + std::to_string(text.size()) + " bytes)" : out;
}

// Mismatches by rule, with the first few inputs that show each.
class Differences {
public:
    void check(bool same, const char *rule, std::string_view a, std::string_view b = {}, std::size_t n = 0)
    {
        ++m_comparisons;
        if (same)
            return;
        Entry &entry = m_entries[rule];
        if (++entry.count <= 3)
            entry.examples += "\n  a: " + hex(a) + (b.empty() ? "" : "\n  b: " + hex(b)) + "  n: " + std::to_string(n);
    }

    void expectNone() const
    {
        for (const auto &[rule, entry] : m_entries)
            ADD_FAILURE() << rule << ": " << entry.count << " differences" << entry.examples;
    }

    std::size_t comparisons() const { return m_comparisons; }

private:
    struct Entry {
        std::size_t count = 0;
        std::string examples;
    };
    std::map<std::string, Entry> m_entries;
    std::size_t m_comparisons = 0;
};

std::string utf8(std::string_view cp1252) { return cp1252ToUtf8(cp1252); }

// The character index of a byte offset in UTF-8 text (npos stays npos).
std::size_t characterIndex(std::string_view utf8Text, std::size_t offset)
{
    if (offset == std::string_view::npos)
        return offset;
    return u::characterCount(utf8Text.substr(0, offset));
}

// Every rule of one text, with a limit for the rules that take one.
void compareOne(const std::string &a, std::size_t limit, Differences &d)
{
    const std::string ua = utf8(a);
    const std::u16string wa = cp1252ToUtf16(a);

    d.check(utf8(foldToUpper(a)) == u::foldToUpper(ua), "foldToUpper", a);
    d.check(utf8(foldToLower(a, limit)) == u::foldToLower(ua, limit), "foldToLower(limit)", a, {}, limit);
    d.check(utf8(foldToLower(a, 1022)) == u::foldToLower(ua, 1022), "foldToLower(1022)", a);
    {
        std::string narrow = a;
        titleCaseInPlace(narrow);
        std::string wide = ua;
        u::titleCaseInPlace(wide);
        d.check(utf8(narrow) == wide, "titleCaseInPlace", a);
    }
    d.check(utf16ToUtf8(titleCaseWide(wa)) == u::titleCase(ua), "titleCaseWide", a);

    const WordSplit narrowSplit = splitWords(a);
    const u::WordSplit wideSplit = u::splitWords(ua);
    bool sameSplit = narrowSplit.count == wideSplit.count;
    for (std::size_t k = 0; sameSplit && k < narrowSplit.count; ++k) {
        sameSplit = utf8(narrowSplit.words[k]) == wideSplit.words[k] &&
                    narrowSplit.starts[k] == characterIndex(ua, wideSplit.starts[k]);
    }
    d.check(sameSplit, "splitWords", a);

    d.check(utf8(trimCopy(a, limit)) == u::trimCopy(ua, limit), "trimCopy(limit)", a, {}, limit);
    d.check(utf8(trimCopy(a, a.size())) == u::trimCopy(ua, a.size()), "trimCopy(size)", a);
    d.check(utf8(trimToAlphanumerics(a)) == u::trimToAlphanumerics(ua), "trimToAlphanumerics", a);
    d.check(utf8(trimToLetters(a)) == u::trimToLetters(ua), "trimToLetters", a);
    d.check(utf16ToUtf8(trimWideEnd(wa, limit)) == u::trimWideEnd(ua, limit), "trimWideEnd", a, {}, limit);
    d.check(utf8(boundedCopy(a, limit)) == u::boundedCopy(ua, limit), "boundedCopy", a, {}, limit);
    d.check(isBlank(a) == u::isBlank(ua), "isBlank", a);
    d.check(boundedLength(a.c_str()) == u::boundedLength(ua), "boundedLength", a);
    d.check(utf8(measuredText(a)) == u::measuredText(ua), "measuredText", a);

    const std::vector<std::size_t> narrowSeparators = separatorPositions(a);
    const std::vector<u::SeparatorPosition> wideSeparators = u::separatorPositions(ua);
    bool sameSeparators = narrowSeparators.size() == wideSeparators.size();
    for (std::size_t k = 0; sameSeparators && k < narrowSeparators.size(); ++k) {
        sameSeparators = narrowSeparators[k] == wideSeparators[k].character &&
                         narrowSeparators[k] == characterIndex(ua, wideSeparators[k].byte);
    }
    d.check(sameSeparators, "separatorPositions", a);

    d.check(utf16ToUtf8(fileNameSafe(wa)) == u::fileNameSafe(ua), "fileNameSafe", a);
    {
        std::string narrow = a;
        shortenTo40(narrow);
        std::string wide = ua;
        u::shortenTo40(wide);
        d.check(utf8(narrow) == wide, "shortenTo40", a);
    }
}

// Every rule of a pair of texts. The distances are quadratic: on long texts (which are there
// for the 1023-character input limit) they run when asked only.
void comparePair(const std::string &a, const std::string &b, std::size_t n, Differences &d, bool longDistances = true)
{
    const std::string ua = utf8(a);
    const std::string ub = utf8(b);
    d.check(compareFolded(a, b) == u::compareFolded(ua, ub), "compareFolded", a, b);
    d.check(compareFoldedN(a, b, n) == u::compareFoldedN(ua, ub, n), "compareFoldedN", a, b, n);
    d.check(containsFolded(a, b) == characterIndex(ua, u::containsFolded(ua, ub)), "containsFolded", a, b);
    if (longDistances || std::min(a.size(), b.size()) <= 300) {
        d.check(editDistance(a, b) == u::editDistance(ua, ub), "editDistance (8-bit)", a, b);
        d.check(stringSimilarity(a, b) == u::stringSimilarity(ua, ub), "stringSimilarity", a, b);
    }

    // The wide distances have no input limit; their quadratic cost is kept small by comparing
    // the first 120 characters.
    const std::string sa = a.substr(0, 120);
    const std::string sb = b.substr(0, 120);
    const std::u16string wa = cp1252ToUtf16(sa);
    const std::u16string wb = cp1252ToUtf16(sb);
    const std::u32string ca = u::toCodePoints(utf8(sa));
    const std::u32string cb = u::toCodePoints(utf8(sb));
    d.check(editDistance(wa, wb) == u::editDistance(ca, cb), "editDistance (wide)", a, b);
    d.check(wordSimilarity(wa, wb) == u::wordSimilarity(utf8(sa), utf8(sb)), "wordSimilarity", a, b);
    d.check(wordSimilarity(wa, wb) == u::wordSimilarity(ca, cb), "wordSimilarity (code points)", a, b);

    std::string narrow = a;
    boundedAppend(narrow, b);
    std::string wide = ua;
    u::boundedAppend(wide, ub);
    d.check(utf8(narrow) == wide, "boundedAppend", a, b);
}

std::string utf16Bytes(std::string_view cp1252, bool bigEndian)
{
    std::string out;
    for (const char16_t unit : cp1252ToUtf16(cp1252)) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

// Whether a conversion read only characters Windows-1252 holds: its Unicode result converts
// to the code page, and the 8-bit result has no '?' that the Unicode one lacks (a character
// the code page lacks, such as a combining accent that NFC then composed).
bool readCp1252Only(const std::string &narrow, const std::string &wide)
{
    const std::string converted = utf8ToCp1252(wide);
    return utf8(converted) == wide && std::count(narrow.begin(), narrow.end(), '?') ==
                                          std::count(converted.begin(), converted.end(), '?');
}

struct TagTextCounts {
    std::size_t compared = 0;
    std::size_t beyond = 0;   // read as characters the code page lacks: not compared
};

// One tag text conversion in both forms. It is compared when the text, read whole, holds only
// characters of the code page (a limit may cut off the others, so the whole reading decides).
template <typename Narrow, typename Wide>
void compareConversion(const char *rule, const std::string &bytes, std::size_t limit, Narrow narrow, Wide wide,
                       Differences &d, TagTextCounts &counts)
{
    constexpr std::size_t kWhole = 1 << 20;
    if (!readCp1252Only(narrow(bytes, kWhole), wide(bytes, kWhole))) {
        ++counts.beyond;
        return;
    }
    ++counts.compared;
    d.check(utf8(narrow(bytes, limit)) == wide(bytes, limit), rule, bytes, {}, limit);
}

// The tag text conversions of a text, encoded as the tags store it: UTF-8, UTF-16 with and
// without a byte-order mark, and as raw bytes in a UTF-8 field (Latin-1 text there). A guess
// of the encoding may read other characters (raw bytes that form UTF-8, UTF-8 with NULs taken
// for UTF-16): those are counted, not compared.
void compareTagText(const std::string &a, std::size_t limit, Differences &d, TagTextCounts &counts)
{
    const auto narrowUtf8 = [](const std::string &bytes, std::size_t n) { return utf8To8bit(bytes, n); };
    const auto wideUtf8 = [](const std::string &bytes, std::size_t n) { return u::utf8ToTagText(bytes, n); };
    const auto narrowTag = [](const std::string &bytes, std::size_t n) { return tagTextTo8bit(bytes, n); };
    const auto wideTag = [](const std::string &bytes, std::size_t n) { return u::tagTextToUtf8(bytes, n); };
    const std::string ua = utf8(a);
    compareConversion("utf8ToTagText", ua, limit, narrowUtf8, wideUtf8, d, counts);
    compareConversion("utf8ToTagText (Latin-1 bytes)", a, limit, narrowUtf8, wideUtf8, d, counts);
    const std::string encodings[] = {
        "\xFF\xFE" + utf16Bytes(a, false),
        "\xFE\xFF" + utf16Bytes(a, true),
        std::string("\x01\xFF\xFE", 3) + utf16Bytes(a, false) + std::string("\0\0junk", 6),
        utf16Bytes(a, false),
        ua,
        ua + std::string("\0second", 7),
    };
    for (const std::string &bytes : encodings)
        compareConversion("tagTextToUtf8", bytes, limit, narrowTag, wideTag, d, counts);
    d.check(utf8(trimCopy(a, limit)) == u::cp1252ToTagText(a, limit), "cp1252ToTagText", a, {}, limit);
}

constexpr std::array<unsigned char, 5> kUnassigned = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

bool isAssigned(unsigned char byte)
{
    return std::find(kUnassigned.begin(), kUnassigned.end(), byte) == kUnassigned.end();
}

// Random Windows-1252 texts.
class TextMaker {
public:
    explicit TextMaker(unsigned seed) : m_random(seed)
    {
        for (int byte = 0; byte < 256; ++byte) {
            if (isAssigned(static_cast<unsigned char>(byte)))
                m_assigned.push_back(static_cast<char>(byte));
        }
    }

    // Mostly names of up to 60 characters; some longer; a few past the 1022, 1023 and 4096
    // character limits.
    std::size_t length()
    {
        const auto roll = m_random() % 1000;
        if (roll < 1)
            return 1010 + m_random() % 30;
        if (roll < 2)
            return 4090 + m_random() % 12;
        if (roll < 100)
            return 60 + m_random() % 140;
        return m_random() % 61;
    }

    // Any assigned byte, NUL included.
    std::string uniform(std::size_t length)
    {
        std::string text(length, ' ');
        for (char &c : text)
            c = m_assigned[m_random() % m_assigned.size()];
        return text;
    }

    // Runs of characters drawn by class: separators, spaces, digits, accented letters, ASCII
    // letters, punctuation, the other upper-half characters and controls.
    std::string weighted(std::size_t length)
    {
        static const std::string kSeparators = "-,;\\/|";
        static const std::string kSpaces = " \xA0\t";
        static const std::string kDigits = "0123456789\xB2\xB3\xB9";
        static const std::string kPunctuation = ".'\"()[]!?&:*<>_";
        static const std::string kControls = "\x01\x0A\x0D\x1F\x7F";
        std::string text;
        while (text.size() < length) {
            const auto roll = m_random() % 100;
            char c;
            if (roll < 15)
                c = pick(kSeparators);
            else if (roll < 32)
                c = pick(kSpaces);
            else if (roll < 44)
                c = pick(kDigits);
            else if (roll < 64)
                c = static_cast<char>(0xC0 + m_random() % 64);
            else if (roll < 84)
                c = static_cast<char>((m_random() % 2 ? 'a' : 'A') + m_random() % 26);
            else if (roll < 92)
                c = pick(kPunctuation);
            else if (roll < 97)
                c = upperHalfOther();
            else
                c = pick(kControls);
            // Mostly single characters, sometimes runs (long words, rows of separators).
            const std::size_t run = m_random() % 8 == 0 ? 1 + m_random() % 35 : 1;
            text.append(std::min(run, length - text.size()), c);
        }
        return text;
    }

    // A second text for the pair rules: a spelling variant of a (case and accents changed),
    // a piece of such a variant, or an unrelated text.
    std::string partner(const std::string &a, bool weightedText)
    {
        const auto roll = m_random() % 4;
        if (roll == 0 || a.empty())
            return weightedText ? weighted(length()) : uniform(length());
        std::string variant = a;
        for (char &c : variant) {
            const auto change = m_random() % 10;
            if (change < 3)
                c = cp1252ToUpper(c);
            else if (change < 5)
                c = cp1252ToLower(c);
            else if (change == 5 && static_cast<unsigned char>(c) >= 0xC0)
                c = foldChar(c);
        }
        if (roll == 1)
            return variant;
        const std::size_t start = m_random() % variant.size();
        return variant.substr(start, m_random() % (variant.size() - start + 1));
    }

    std::size_t limit()
    {
        const auto roll = m_random() % 20;
        if (roll == 0)
            return 1022;
        if (roll == 1)
            return 4092;
        return m_random() % 50;
    }

private:
    char pick(const std::string &set) { return set[m_random() % set.size()]; }

    char upperHalfOther()
    {
        for (;;) {
            const auto byte = static_cast<unsigned char>(0x80 + m_random() % 64);
            if (isAssigned(byte))
                return static_cast<char>(byte);
        }
    }

    std::mt19937 m_random;
    std::vector<char> m_assigned;
};

void runRandom(bool weightedText, unsigned seed, std::size_t texts)
{
    TextMaker maker(seed);
    Differences differences;
    TagTextCounts tagTexts;
    for (std::size_t i = 0; i < texts; ++i) {
        const std::size_t length = maker.length();
        const std::string a = weightedText ? maker.weighted(length) : maker.uniform(length);
        const std::string b = maker.partner(a, weightedText);
        compareOne(a, maker.limit(), differences);
        comparePair(a, b, maker.limit(), differences, i % 8 == 0);
        compareTagText(a, maker.limit(), differences, tagTexts);
    }
    differences.expectNone();
    // Readings of other characters stay few: nearly every tag text conversion was compared.
    EXPECT_LT(tagTexts.beyond, tagTexts.compared / 20);
    std::printf("%zu texts, %zu comparisons, %zu tag texts read as other characters\n", texts,
                differences.comparisons(), tagTexts.beyond);
}

TEST(UnicodeTextAgainst8bit, EveryCharacterOfTheCodePage)
{
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        const char c = static_cast<char>(byte);
        const char32_t codePoint = cp1252ToUnit(byte);
        EXPECT_EQ(u::cp1252ByteOf(codePoint), value);
        EXPECT_EQ(u::foldChar(codePoint), static_cast<unsigned char>(foldChar(c))) << value;
        EXPECT_EQ(u::isFoldedAlpha(codePoint), isFoldedAlpha(c)) << value;
        EXPECT_EQ(u::isFoldedDigit(codePoint), isFoldedDigit(c)) << value;
        EXPECT_EQ(u::isFoldedAlnum(codePoint), isFoldedAlnum(c)) << value;
        EXPECT_EQ(u::toUpper(codePoint), cp1252ToUnit(static_cast<unsigned char>(cp1252ToUpper(c)))) << value;
        EXPECT_EQ(u::toLower(codePoint), cp1252ToUnit(static_cast<unsigned char>(cp1252ToLower(c)))) << value;
        // The wide case mapping agrees with the code page's on the code page's characters.
        EXPECT_EQ(u::toUpper(codePoint), wideToUpper(static_cast<char16_t>(codePoint))) << value;
        EXPECT_EQ(u::toLower(codePoint), wideToLower(static_cast<char16_t>(codePoint))) << value;
        EXPECT_EQ(u::isSpaceOrControl(codePoint), byte <= 32) << value;
    }
}

TEST(UnicodeTextAgainst8bit, UniformRandomTexts)
{
    runRandom(false, 20240601, 60000);
}

TEST(UnicodeTextAgainst8bit, TextsWeightedTowardsSeparatorsSpacesDigitsAndAccents)
{
    runRandom(true, 8675309, 60000);
}

TEST(UnicodeTextAgainst8bit, EveryStringLiteralOfTheTests)
{
    std::vector<std::string> examples;
    for (const testing::StringLiteral &literal : testing::stringLiteralsBelow(TUNVALE_SOURCE_DIR "/tests")) {
        if (!literal.wide) {
            examples.push_back(literal.value);   // bytes, read as Windows-1252
            continue;
        }
        const std::string narrow = utf8ToCp1252(literal.value);
        if (utf8(narrow) == literal.value)
            examples.push_back(narrow);   // a wide literal the code page can hold
    }
    ASSERT_GT(examples.size(), 1000u);

    Differences differences;
    TagTextCounts tagTexts;
    const std::size_t limits[] = {0, 1, 3, 21, 40, 41, 1022, 4092};
    for (std::size_t i = 0; i < examples.size(); ++i) {
        const std::string &a = examples[i];
        const std::string &next = examples[(i + 1) % examples.size()];
        compareOne(a, limits[i % std::size(limits)], differences);
        compareTagText(a, limits[(i + 5) % std::size(limits)], differences, tagTexts);
        comparePair(a, next, limits[(i + 3) % std::size(limits)], differences);
        comparePair(next, a, 520, differences);
        std::string upper = a;
        for (char &c : upper)
            c = cp1252ToUpper(c);
        comparePair(a, upper, a.size(), differences);
        comparePair(upper, a.substr(a.size() / 3, a.size() / 2), 520, differences);
    }
    differences.expectNone();
    std::printf("%zu examples, %zu comparisons, %zu tag texts read as other characters\n", examples.size(),
                differences.comparisons(), tagTexts.beyond);
}

TEST(UnicodeTextAgainst8bit, TheLiteralReaderDecodesAsTheCompilerDoes)
{
    const std::vector<testing::StringLiteral> literals = testing::stringLiterals(
        R"src(f("m\xD6TLEY cr\xFC" "e", 'x', '"', u"\u00C9t\u00E9", "a\tb\0c\101", 1'000);
              // "in a comment"
              g(/* "also" */ "\\\"", R"d(raw "text")d", u8"\u0416");)src");
    ASSERT_EQ(literals.size(), 6u);
    EXPECT_EQ(literals[0].value, "m\xD6TLEY cr\xFC" "e");
    EXPECT_EQ(literals[1].value, "\xC3\x89t\xC3\xA9");
    EXPECT_TRUE(literals[1].wide);
    EXPECT_EQ(literals[2].value, std::string("a\tb\0cA", 6));
    EXPECT_EQ(literals[3].value, "\\\"");
    EXPECT_EQ(literals[4].value, "raw \"text\"");
    EXPECT_EQ(literals[5].value, "\xD0\x96");   // u8: UTF-8 bytes, not wide
}

} // namespace
} // namespace tunvale::text
