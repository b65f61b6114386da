#include "output/folder_name.h"
#include "output/name_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::output {
namespace {

TEST(GroupFolderName, SafeShortAndNeverEmpty)
{
    const std::u16string acute200(200, u'\u00E9');   // 400 UTF-8 bytes
    std::u16string pairs;                            // 100 x U+1F3B5, 4 UTF-8 bytes each
    for (int i = 0; i < 100; ++i)
        pairs += u"\U0001F3B5";
    struct Case {
        const char *label;
        std::u16string name;
        std::u16string expected;
    };
    const Case cases[] = {
        {"ordinary", u"Alpha Band", u"Alpha Band"},
        {"forbidden characters", u"AC/DC: Live?", u"AC,DC; Live "},
        {"control characters", u"RTX\u007Fctl\u0085\t", u"RTX ctl  "},
        {"255 bytes stay", std::u16string(255, u'R'), std::u16string(255, u'R')},
        {"300 bytes are cut to 255", std::u16string(300, u'R'), std::u16string(255, u'R')},
        {"cut between two-byte characters", acute200, std::u16string(127, u'\u00E9')},
        {"cut never splits a pair", pairs, pairs.substr(0, 2 * 63)},
        {"a space left by the cut goes", std::u16string(254, u'R') + u" tail", std::u16string(254, u'R')},
        {"a cut leaving dots only", std::u16string(255, u'.') + u"x", std::u16string(255, u'_')},
        {"dots only", u"..", u"__"},
        {"empty", u"", u"_"},
        {"the kept originals' folder", u".tunvale-kept", u"_tunvale-kept"},
        {"another dot name stays", u".hidden", u".hidden"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const std::u16string name = groupFolderName(c.name);
        EXPECT_EQ(name, c.expected);
        EXPECT_LE(utf8Length(name), kMaxComponentBytes);
    }
}

} // namespace
} // namespace tunvale::output
