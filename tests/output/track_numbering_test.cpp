#include "output/track_numbering.h"

#include <gtest/gtest.h>

namespace tunvale::output {
namespace {

TEST(TrackNumbering, NumberTextWidthAndStep)
{
    struct Case {
        int n;
        int step;
        const char16_t *expected;
    };
    const Case cases[] = {
        {3, 1, u"03"},    {3, 10, u"030"},   {1, 10, u"010"},
        {12, 10, u"120"}, {100, 1, u"100"},  // the width is a minimum
        {7, 1, u"07"},    {150, 10, u"1500"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(numberText(c.n, c.step), c.expected) << c.n << " step " << c.step;
}

TEST(TrackNumbering, TrackTextOfBuiltNames)
{
    PlacementOptions renumber;
    renumber.alphaTrack = true;
    PlacementOptions keep;
    keep.alphaTrack = false;
    PlacementOptions keepStep10 = keep;
    keepStep10.trackStep = 10;
    PlacementOptions renumberStep10 = renumber;
    renumberStep10.trackStep = 10;

    EXPECT_EQ(trackTextFor(u"09", 2, renumber), u"02");
    EXPECT_EQ(trackTextFor(u"09", 2, renumberStep10), u"020");
    EXPECT_EQ(trackTextFor(u"09", 2, keep), u"09");
    EXPECT_EQ(trackTextFor(u"", 2, keep), u"01");
    // Without a track number of its own the name starts with 001, although tagged entries
    // of the same folder start with two digits.
    EXPECT_EQ(trackTextFor(u"", 2, keepStep10), u"001");
    EXPECT_EQ(trackTextFor(u"05", 2, keepStep10), u"05");
}

TEST(TrackNumbering, TagNumbers)
{
    EXPECT_EQ(tagNumbers(true, 1, 2, 3).track, 2);
    EXPECT_EQ(tagNumbers(true, 1, 2, 3).total, 3);
    EXPECT_EQ(tagNumbers(true, 10, 12, 12).track, 120);
    EXPECT_EQ(tagNumbers(true, 10, 12, 12).total, 120);
    EXPECT_EQ(tagNumbers(false, 10, 12, 12).track, 0);
    EXPECT_EQ(tagNumbers(false, 10, 12, 12).total, 0);
}

TEST(TrackNumbering, MiscellaneousNames)
{
    struct Case {
        const char16_t *name;
        int m;
        int step;
        const char16_t *expected;
    };
    const Case cases[] = {
        {u"07 - Artist - Title", 3, 1, u"03 - Artist - Title"},
        {u"07 - Artist - Title", 3, 10, u"030 - Artist - Title"},
        {u"Song", 3, 1, u"Song"},                         // no leading digit: unchanged
        {u"07abc - Title", 4, 1, u"04 - Title"},          // the whole leading run goes
        {u"7", 12, 1, u"12"},
        {u"", 1, 1, u""},
        {u"01 - \u00c9t\u00e9", 2, 1, u"02 - \u00c9t\u00e9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(renumberMiscellaneousName(c.name, c.m, c.step), c.expected);
}

} // namespace
} // namespace tunvale::output
