#include "catalog/text/codepage.h"

#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::text {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip)
{
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t unit = cp1252ToUnit(static_cast<unsigned char>(byte));
        EXPECT_EQ(static_cast<unsigned char>(cp1252FromUnit(unit)), byte) << "byte " << byte;
    }
}

TEST(CodePage, UnitsOfTheUpperHalf)
{
    struct Case {
        unsigned char byte;
        char16_t unit;
    };
    const Case cases[] = {
        {0x80, 0x20AC},   // euro sign
        {0x81, 0x0081},   // unassigned: kept as the C1 control
        {0x85, 0x2026},   // ellipsis
        {0x8A, 0x0160},   // S caron
        {0x8C, 0x0152},   // OE
        {0x92, 0x2019},   // right single quotation mark
        {0x96, 0x2013},   // en dash
        {0x99, 0x2122},   // trade mark
        {0x9F, 0x0178},   // Y diaeresis
        {0xA0, 0x00A0},   // Latin-1 from here on
        {0xE9, 0x00E9},
        {0xFF, 0x00FF},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(cp1252ToUnit(c.byte), c.unit) << int(c.byte);
        EXPECT_EQ(static_cast<unsigned char>(cp1252FromUnit(c.unit)), c.byte) << int(c.byte);
    }
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    // The C1 control 0x80 is not a Windows-1252 character (byte 0x80 is the euro sign).
    for (char16_t unit : {char16_t(0x0080), char16_t(0x0100), char16_t(0x0416), char16_t(0x4E2D),
                          char16_t(0xFFFD)})
        EXPECT_EQ(cp1252FromUnit(unit), '?') << int(unit);
    EXPECT_EQ(utf16ToCp1252(u"a\U0001F3B5b"), "a?b");              // one '?' for a surrogate pair
    EXPECT_EQ(utf16ToCp1252(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");   // lone high
    EXPECT_EQ(utf16ToCp1252(std::u16string(u"a") + char16_t(0xDC00)), "a?");           // lone low
}

TEST(CodePage, Utf8Conversions)
{
    EXPECT_EQ(utf8ToCp1252("Caf\xC3\xA9 \xE2\x82\xAC"), bytes({'C', 'a', 'f', 0xE9, ' ', 0x80}));
    EXPECT_EQ(cp1252ToUtf8(bytes({'C', 'a', 'f', 0xE9, ' ', 0x80})), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");                   // truncated sequence
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");              // overlong '/', two bad bytes
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "???");         // encoded surrogate
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x8E\xB5!"), "?!");     // outside the BMP
    EXPECT_EQ(utf8ToCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));   // NUL is data here

    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x8E\xB5"), u"\U0001F3B5");
    EXPECT_EQ(utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(utf16ToUtf8(u"\U0001F3B5\u00E9\u20AC"), "\xF0\x9F\x8E\xB5\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xDFFF))), "\xEF\xBF\xBD");
    EXPECT_EQ(cp1252ToUtf16(bytes({0x80, 0x9C, 'x'})), u"\u20AC\u0153x");
}

TEST(CodePage, DecodeUtf8AdvancesOneByteOnBadInput)
{
    const std::string text = "\xE2\x82" "A";   // truncated euro sign, then 'A'
    std::size_t pos = 0;
    EXPECT_EQ(decodeUtf8(text, pos), -1);
    EXPECT_EQ(pos, 1u);
    EXPECT_EQ(decodeUtf8(text, pos), -1);
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(decodeUtf8(text, pos), 'A');
    EXPECT_EQ(pos, 3u);
}

// Python's own cp1252 codec is an independent table: every assigned byte must agree.
TEST(CodePage, AgreesWithPythonCodec)
{
    if (!testing::haveTool("/usr/bin/python3"))
        GTEST_SKIP() << "/usr/bin/python3 not available";
    std::string output;
    const int status = testing::runPython("import sys\n"
                                          "for b in range(256):\n"
                                          "  try: print(b, ord(bytes([b]).decode('cp1252')))\n"
                                          "  except UnicodeDecodeError: pass",
                                          {}, &output);
    ASSERT_EQ(status, 0);
    std::istringstream lines(output);
    int byte = 0;
    int unit = 0;
    int compared = 0;
    while (lines >> byte >> unit) {
        EXPECT_EQ(static_cast<int>(cp1252ToUnit(static_cast<unsigned char>(byte))), unit) << "byte " << byte;
        ++compared;
    }
    EXPECT_EQ(compared, 251);   // 256 minus the five unassigned bytes
}

} // namespace
} // namespace tunvale::text
