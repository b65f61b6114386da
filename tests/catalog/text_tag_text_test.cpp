#include "catalog/text/tag_text.h"

#include "support/audio_tools.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
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

TEST(TagText, AnsiToWide)
{
    EXPECT_EQ(ansiToWide("  Caf\xE9 "), u"Caf\u00E9");
    EXPECT_EQ(ansiToWide("\x80 5"), u"\u20AC 5");
    EXPECT_EQ(ansiToWide(""), u"");
    EXPECT_EQ(ansiToWide("   "), u"");
    EXPECT_EQ(ansiToWide(std::string_view("ab\0cd", 5)), u"ab");
    EXPECT_EQ(ansiToWide(std::string(4092, 'a')).size(), 4092u);
    EXPECT_EQ(ansiToWide(std::string(4093, 'a')), u"");   // over-long gives an empty text
}

TEST(TagText, Utf8To8bit)
{
    struct Case {
        const char *what;
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"two-byte e acute", bytes({0x43, 0x61, 0x66, 0xC3, 0xA9}), bytes({0x43, 0x61, 0x66, 0xE9})},
        {"no-break space", bytes({'a', 0xC2, 0xA0, 'b'}), "a b"},
        {"leading no-break space trimmed", bytes({0xC2, 0xA0, 'a', 'b'}), "ab"},
        {"euro sign", bytes({0xE2, 0x82, 0xAC, ' ', '5'}), bytes({0x80, ' ', '5'})},
        {"quotation mark of the code page", bytes({'I', 0xE2, 0x80, 0x99, 'm'}), bytes({'I', 0x92, 'm'})},
        {"C1 range kept as bytes", bytes({0xC2, 0x92}), bytes({0x92})},
        {"newline ends", "ab\ncd", "ab"},
        {"DEL ends", "ab\x7F" "cd", "ab"},
        {"NUL ends", std::string("ab\0cd", 5), "ab"},
        {"Latin-1 bytes kept", bytes({0xE9, 't', 0xE9}), bytes({0xE9, 't', 0xE9})},
        {"lead byte without continuation kept", bytes({0xDC, ' ', 'x'}), bytes({0xDC, ' ', 'x'})},
        {"lead byte at the end kept", bytes({'a', 0xC3}), bytes({'a', 0xC3})},
        {"outside the code page", bytes({0xC5, 0x81, 'o', 'd', 'z'}), "?odz"},
        // U+0100 does not end the text (its low 8 bits are zero).
        {"A macron", bytes({0xC4, 0x80, 'b', 'c'}), "?bc"},
        {"C caron is no control byte", bytes({0xC4, 0x8C, 'x'}), "?x"},
        {"outside the BMP", bytes({0xF0, 0x9F, 0x8E, 0xB5, '!'}), "?!"},
        {"trimmed", "  ab  ", "ab"},
        {"empty", "", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8To8bit(c.utf8, 1023), c.expected) << c.what;
    EXPECT_EQ(utf8To8bit("abcdef", 3), "abc");
    EXPECT_EQ(utf8To8bit(bytes({0xC3, 0xA9, 0xC3, 0xA9, 0xC3, 0xA9}), 2), bytes({0xE9, 0xE9}));
    EXPECT_EQ(utf8To8bit(std::string(5000, 'x'), 1023).size(), 1023u);
}

TEST(TagText, TagTextTo8bit)
{
    struct Case {
        const char *what;
        std::string raw;
        std::string expected;
    };
    const Case cases[] = {
        {"UTF-16 LE with mark", bytes({0xFF, 0xFE, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0}), bytes({'C', 'a', 'f', 0xE9})},
        {"UTF-16 BE with mark", bytes({0xFE, 0xFF, 0, 'C', 0, 'a', 0x20, 0xAC}), bytes({'C', 'a', 0x80})},
        {"mark after other bytes", bytes({0, 0xFF, 0xFE, 'H', 0, 'i', 0}), "Hi"},
        {"first mark wins", bytes({0xFE, 0xFF, 0xFF, 0xFE, 0, 'A'}), "?A"},   // U+FFFE, then A
        {"stops at a zero unit", bytes({0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}), "A"},
        {"odd last byte ignored", bytes({0xFF, 0xFE, 'A', 0, 'B'}), "A"},
        {"outside the code page", bytes({0xFF, 0xFE, 0x16, 0x04, 'x', 0}), "?x"},
        {"surrogate pair", bytes({0xFF, 0xFE, 0x3C, 0xD8, 0xB5, 0xDF, '!', 0}), "?!"},
        {"trimmed", bytes({0xFF, 0xFE, ' ', 0, 'A', 0, ' ', 0}), "A"},
        {"UTF-16 LE without mark", bytes({'H', 0, 'i', 0}), "Hi"},
        {"UTF-16 LE without mark, terminated", bytes({'H', 0, 'i', 0, 0, 0}), "Hi"},
        {"leading control bytes skipped", bytes({0x01, 0x02, 'H', 0, 'i', 0}), "Hi"},
        {"UTF-16 LE of one Latin character", bytes({'A', 0}), "A"},
        {"UTF-8", bytes({'C', 'a', 'f', 0xC3, 0xA9}), bytes({'C', 'a', 'f', 0xE9})},
        // ID3v2.4 UTF-8 values may end in NUL or be NUL-separated lists: they stay UTF-8.
        {"UTF-8 terminated, even length", std::string("Rock\0", 5), "Rock"},
        {"UTF-8 terminated, odd length", std::string("Roc\0", 4), "Roc"},
        {"UTF-8 list", std::string("Roc\0Pop", 7), "Roc"},
        {"UTF-8 list, terminated", std::string("Rock\0Pop\0", 9), "Rock"},
        {"empty", "", ""},
        {"only a mark", bytes({0xFF, 0xFE}), ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(tagTextTo8bit(c.raw), c.expected) << c.what;
}

TEST(TagText, TagTextLimit)
{
    std::string raw = bytes({0xFF, 0xFE});
    for (int i = 0; i < 2000; ++i)
        raw += bytes({'x', 0});
    EXPECT_EQ(tagTextTo8bit(raw).size(), 1023u);
    EXPECT_EQ(tagTextTo8bit(raw, 10), std::string(10, 'x'));
    EXPECT_EQ(tagTextTo8bit(std::string(3000, 'y')).size(), 1023u);
}

std::string fromHex(const std::string &hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Python encodes the texts as an ID3v2 writer would (UTF-16 with its mark, UTF-16 big-endian
// with a mark, UTF-8, and UTF-16 little-endian without a mark for Latin-1 texts) and gives
// the Windows-1252 form with '?' for what the code page lacks, independently of our tables.
TEST(TagText, AgreesWithPythonEncoders)
{
    if (!testing::haveTool("/usr/bin/python3"))
        GTEST_SKIP() << "/usr/bin/python3 not available";
    const char *script = R"PY(
texts = ["Caf\u00e9", "Beyonc\u00e9 \u2013 Halo", "I\u2019m \u201chere\u201d", "\u0152uvre \u2116 5",
         "M\u00f6tley Cr\u00fce", "\u20ac100", "\u0395\u03bb\u03bb\u03ac\u03b4\u03b1",
         "\U0001F3B5 Song", "Sigur R\u00f3s", "\u00c6on \u00df \u00ff"]
for t in texts:
    want = t.encode("cp1252", errors="replace").hex()
    forms = [t.encode("utf-16"), b"\xfe\xff" + t.encode("utf-16-be"), t.encode("utf-8")]
    if all(ord(c) < 256 for c in t):
        forms.append(t.encode("utf-16-le"))
    for raw in forms:
        print(raw.hex(), want)
)PY";
    std::string output;
    ASSERT_EQ(testing::runPython(script, {}, &output), 0);
    std::istringstream lines(output);
    std::string rawHex;
    std::string wantHex;
    int compared = 0;
    while (lines >> rawHex >> wantHex) {
        EXPECT_EQ(tagTextTo8bit(fromHex(rawHex)), fromHex(wantHex)) << rawHex;
        ++compared;
    }
    EXPECT_EQ(compared, 34);
}

} // namespace
} // namespace tunvale::text
