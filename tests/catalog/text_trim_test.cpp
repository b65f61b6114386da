#include "catalog/text/trim.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tunvale::text {
namespace {

TEST(TextLength, BoundedLengthFollowsTheLengthRule)
{
    EXPECT_EQ(boundedLength(nullptr), 0u);
    EXPECT_EQ(boundedLength(""), 0u);
    EXPECT_EQ(boundedLength("abc"), 3u);

    const std::string exact(4096, 'x');   // terminator at byte 4096
    EXPECT_EQ(boundedLength(exact.c_str()), 4096u);
    const std::string over(4097, 'x');    // terminator at byte 4097: too long
    EXPECT_EQ(boundedLength(over.c_str()), 0u);
}

TEST(TextLength, UnterminatedBufferGivesZeroWithoutReadingPastByte4096)
{
    // Heap buffers of exactly the size read, so the sanitizer build sees any overrun.
    auto large = std::make_unique<char[]>(5000);
    std::fill_n(large.get(), 5000, 'a');
    EXPECT_EQ(boundedLength(large.get()), 0u);

    auto edge = std::make_unique<char[]>(4097);
    std::fill_n(edge.get(), 4097, 'a');
    EXPECT_EQ(boundedLength(edge.get()), 0u);
}

TEST(TextLength, MeasuredTextOfViews)
{
    EXPECT_EQ(measuredText(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(measuredText(std::string(4096, 'a')).size(), 4096u);
    EXPECT_TRUE(measuredText(std::string(4097, 'a')).empty());
}

TEST(TextTrim, TrimCopy)
{
    struct Case {
        std::string text;
        std::size_t limit;
        std::string expected;
    };
    const Case cases[] = {
        {"  abc  ", 100, "abc"},
        {"\t\r\nabc def\x01\x1F ", 100, "abc def"},
        {"abcdef", 3, "abc"},
        {"ab   cd", 4, "ab"},                       // cut, then trailing spaces removed
        {"\xA0x\xA0", 10, "\xA0x\xA0"},             // bytes above 32 are text, even NBSP
        {"      ", 10, ""},
        {"", 10, ""},
        {std::string("ab\0  cd", 7), 10, "ab"},    // the text ends at its NUL
        {"abc", 0, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(trimCopy(c.text, c.limit), c.expected) << '"' << c.text << "\" limit " << c.limit;
}

TEST(TextTrim, TrimToAlphanumericsAndLetters)
{
    struct Case {
        std::string text;
        std::string alphanumerics;
        std::string letters;
    };
    const Case cases[] = {
        {"  --Hello World!!  ", "Hello World", "Hello World"},
        {"(Live)", "Live)", "Live)"},                              // a trailing ) stops the removal
        {"'Round Midnight'", "Round Midnight'", "Round Midnight'"},
        {"Hits [1999]", "Hits [1999]", "Hits [1999]"},
        {"01 - Song 2", "01 - Song 2", "Song"},                   // trailing digit goes for letters
        {"2Pac", "2Pac", "Pac"},
        {"\xC9lan...", "\xC9lan", "\xC9lan"},                      // E acute counts as a letter
        {"\xA9 2004", "\xA9 2004", "\xA9"},                       // (c) folds to C: a letter
        {"...!!!", "", ""},
        {"", "", ""},
        {"123", "123", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(trimToAlphanumerics(c.text), c.alphanumerics) << c.text;
        EXPECT_EQ(trimToLetters(c.text), c.letters) << c.text;
    }
}

TEST(TextTrim, TrimToAlphanumericsReadsAtMost1022Characters)
{
    const std::string longText = std::string(2000, 'a');
    EXPECT_EQ(trimToAlphanumerics(longText).size(), 1022u);
    // The 1022nd character is a space: the result is trimmed back to the letters before it.
    std::string spaced(1021, 'b');
    spaced += "  ccc";
    EXPECT_EQ(trimToLetters(spaced), std::string(1021, 'b'));
}

TEST(TextTrim, TrimWideEnd)
{
    EXPECT_EQ(trimWideEnd(u"abc  \t", 10), u"abc");
    EXPECT_EQ(trimWideEnd(u"abcdef", 3), u"abc");
    EXPECT_EQ(trimWideEnd(u"ab cd", 3), u"ab");
    EXPECT_EQ(trimWideEnd(u"  ", 10), u"");
    EXPECT_EQ(trimWideEnd(u"abc", 0), u"");
    EXPECT_EQ(trimWideEnd(u" \u00E9 ", 10), u" \u00E9");   // leading spaces stay
}

TEST(TextTrim, BoundedCopyAndAppend)
{
    EXPECT_EQ(boundedCopy("abcdef", 4), "abcd");
    EXPECT_EQ(boundedCopy("ab", 4), "ab");
    EXPECT_EQ(boundedCopy(std::string_view("ab\0cd", 5), 4), "ab");

    std::string small = "ab";
    boundedAppend(small, "cd");
    EXPECT_EQ(small, "abcd");

    std::string nearlyFull(1000, 'x');
    boundedAppend(nearlyFull, std::string(100, 'y'));
    EXPECT_EQ(nearlyFull.size(), kBoundedAppendLimit);
    EXPECT_EQ(nearlyFull.back(), 'y');

    std::string overLong(1500, 'x');
    boundedAppend(overLong, "tail");
    EXPECT_EQ(overLong, std::string(1021, 'x'));   // a longer destination is cut
}

TEST(TextTrim, IsBlank)
{
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank("    "));
    EXPECT_FALSE(isBlank(" a "));
    EXPECT_FALSE(isBlank("\t"));
    EXPECT_TRUE(isBlank(std::string_view("  \0x", 4)));
    // Only the first 4096 characters are looked at.
    EXPECT_TRUE(isBlank(std::string(4096, ' ') + "x"));
    EXPECT_FALSE(isBlank(std::string(4095, ' ') + "x"));
}

} // namespace
} // namespace tunvale::text
