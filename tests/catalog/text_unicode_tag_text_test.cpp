// Tag text read whole: every character of every script survives the conversion to UTF-8, and
// the text comes out in NFC.

#include "catalog/text/unicode/tag_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::text::unicode {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out.push_back(static_cast<char>(value));
    return out;
}

TEST(UnicodeTagText, Id3TextInEveryEncoding)
{
    struct Case {
        const char *what;
        std::string raw;
        std::string expected;
    };
    const Case cases[] = {
        {"UTF-16 LE with a mark", bytes({0xFF, 0xFE, 0x1A, 0x04, 0x38, 0x04, 0x3D, 0x04, 0x3E, 0x04}), "Кино"},
        {"UTF-16 BE with a mark", bytes({0xFE, 0xFF, 0x57, 0x42, 0x67, 0x2C, 0x9F, 0x8D, 0x4E, 0x00}), "坂本龍一"},
        {"UTF-16 LE without a mark", bytes({0x41, 0x01, 0xF3, 0x00, 0x64, 0x00, 0x7A, 0x01, 0x00, 0x00}), "Łódź"},
        {"a surrogate pair", bytes({0xFF, 0xFE, 0x3C, 0xD8, 0xB5, 0xDF, 0x20, 0x00, 0x41, 0x00}), "🎵 A"},
        {"a lone surrogate", bytes({0xFF, 0xFE, 0x3C, 0xD8, 0x41, 0x00}), "\uFFFDA"},
        {"UTF-16 ends at its first zero unit", bytes({0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00, 0x42, 0x00}), "A"},
        {"decomposed UTF-16 is composed", bytes({0xFF, 0xFE, 0x65, 0x00, 0x01, 0x03}), "é"},
        {"UTF-8", "Μίκης Θεοδωράκης", "Μίκης Θεοδωράκης"},
        {"decomposed UTF-8 is composed", "Cafe\u0301", "Café"},
        {"Latin-1 bytes in a UTF-8 field", "Caf\xE9 \x80", "Café €"},
        {"the first of NUL-separated values", std::string("Кино\0ДДТ", 12), "Кино"},
        {"blanks trimmed", "  עידן רייכל \t", "עידן רייכל"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(tagTextToUtf8(c.raw), c.expected) << c.what;
    EXPECT_EQ(tagTextToUtf8(bytes({0xFF, 0xFE, 0x1A, 0x04, 0x38, 0x04, 0x3D, 0x04, 0x3E, 0x04}), 2), "Ки");
}

TEST(UnicodeTagText, Utf8FieldText)
{
    EXPECT_EQ(utf8ToTagText("방탄소년단"), "방탄소년단");
    EXPECT_EQ(utf8ToTagText("Dvořák\x01rest"), "Dvořák");                // a control ends the text
    EXPECT_EQ(utf8ToTagText("a\xC2\xA0" "b"), "a b");                   // no-break space as a space
    EXPECT_EQ(utf8ToTagText("Кино ДДТ", 5), "Кино");                     // characters, then trimmed
    EXPECT_EQ(utf8ToTagText("Cafe\u0301s", 4), "Café");                  // composed first: the accent takes no room
}

TEST(UnicodeTagText, InfoTextIsUtf8WhenItIsValidUtf8)
{
    EXPECT_EQ(utf8OrCp1252ToTagText("Кино"), "Кино");
    EXPECT_EQ(utf8OrCp1252ToTagText("Caf\xE9"), "Café");                 // not UTF-8: Windows-1252
    EXPECT_EQ(utf8OrCp1252ToTagText("\xD0\x9A\xE9"), "Ðšé");             // one invalid byte decides
    EXPECT_EQ(utf8OrCp1252ToTagText(std::string("plain\0junk", 10)), "plain");
    EXPECT_EQ(cp1252ToTagText(std::string(" \x80 5\0junk", 10)), "€ 5");
}

} // namespace
} // namespace tunvale::text::unicode
