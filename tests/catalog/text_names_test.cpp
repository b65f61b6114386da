#include "catalog/text/names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunvale::text {
namespace {

TEST(TextNames, FileNameSafe)
{
    struct Case {
        std::u16string text;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"AC/DC: Live?", u"AC,DC; Live "},
        {u"<a>\"b\"*c|d\\e", u"'a''b' c,d,e"},
        {u"", u""},
        {u"Caf\u00E9 \u0416", u"Caf\u00E9 \u0416"},
        {u"a..b", u"a..b"},
        {u"...", u"___"},                                   // a shortened name can be dots only
        {u"..", u"__"},                                     // never the parent folder
        {u".", u"_"},
        {u"a\tb\nc", u"a b c"},                             // control characters
        {std::u16string(u"a\0b", 3), u"a b"},               // an embedded NUL would cut a path
        {u"RTX\u007Fctl", u"RTX ctl"},                      // DEL
        {u"a\u0081b\u009Fc\u00A0d", u"a b c\u00A0d"},        // C1 controls; no-break space stays
    };
    for (const Case &c : cases)
        EXPECT_EQ(fileNameSafe(c.text), c.expected);
}

TEST(TextNames, SeparatorPositions)
{
    EXPECT_EQ(separatorPositions("a-b,c;d\\e/f|g h"), (std::vector<std::size_t>{1, 3, 5, 7, 9, 11}));
    EXPECT_TRUE(separatorPositions("no separators here").empty());
    EXPECT_EQ(separatorPositions(std::string(20, '-')).size(), 16u);
    EXPECT_EQ(separatorPositions(std::string_view("ab\0-", 4)).size(), 0u);
    EXPECT_TRUE(isNameSeparator('|'));
    EXPECT_FALSE(isNameSeparator('_'));
}

// A 50-character text of letters with cut marks (space, comma, period) at given positions.
std::string textWithMarks(std::initializer_list<std::pair<std::size_t, char>> marks,
                          std::size_t length = 50)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    for (const auto &[position, mark] : marks)
        text[position] = mark;
    return text;
}

TEST(TextNames, ShortenTo40)
{
    struct Case {
        const char *what;
        std::string text;
        std::string expected;
    };
    const std::string plain = textWithMarks({});
    const Case cases[] = {
        {"40 characters stay", plain.substr(0, 40), plain.substr(0, 40)},
        {"41 characters without marks stay", plain.substr(0, 41), plain.substr(0, 41)},
        {"no mark at all stays", plain, plain},
        {"only a space at 45", textWithMarks({{45, ' '}}), plain.substr(0, 45) + "..."},
        {"a space at 40", textWithMarks({{40, ' '}}), plain.substr(0, 40) + "..."},
        {"a run of marks ending at 40", textWithMarks({{38, ','}, {39, ' '}, {40, '.'}}),
         plain.substr(0, 38) + "..."},
        {"a space at 21", textWithMarks({{21, ' '}}), plain.substr(0, 21) + "..."},
        {"a space at 20 only", textWithMarks({{20, ' '}}), textWithMarks({{20, ' '}})},
        {"a space at 20 and at 45", textWithMarks({{20, ' '}, {45, ' '}}),
         textWithMarks({{20, ' '}}).substr(0, 45) + "..."},
        {"the rightmost mark of 21..40", textWithMarks({{25, ' '}, {35, ','}}),
         textWithMarks({{25, ' '}}).substr(0, 35) + "..."},
        {"a mark run at 29..30", textWithMarks({{29, ' '}, {30, ','}}), plain.substr(0, 29) + "..."},
        {"a period at 39", textWithMarks({{39, '.'}}), plain.substr(0, 39) + "..."},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        shortenTo40(text);
        EXPECT_EQ(text, c.expected) << c.what;
    }
}

TEST(TextNames, ShortenTo40WithMarksOnlyOnTheLeft)
{
    // Nothing but marks up to position 40: the whole start goes.
    std::string text = std::string(41, ' ') + "tail";
    shortenTo40(text);
    EXPECT_EQ(text, "...");
}

} // namespace
} // namespace tunvale::text
