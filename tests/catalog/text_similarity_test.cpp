#include "catalog/text/similarity.h"

#include <gtest/gtest.h>

#include <string>

namespace tunvale::text {
namespace {

TEST(EditDistance, NarrowAndWideAgree)
{
    struct Case {
        std::u16string a;
        std::u16string b;
        int distance;
    };
    const Case cases[] = {
        {u"kitten", u"sitting", 3}, {u"", u"abc", 3}, {u"abc", u"", 3}, {u"", u"", 0},
        {u"flaw", u"lawn", 2},      {u"a", u"A", 1},  {u"abcd", u"abce", 1}, {u"abc", u"cab", 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(editDistance(c.a, c.b), c.distance);
        EXPECT_EQ(editDistance(c.b, c.a), c.distance);
        const std::string a(c.a.begin(), c.a.end());
        const std::string b(c.b.begin(), c.b.end());
        EXPECT_EQ(editDistance(a, b), c.distance) << a << " / " << b;
    }
    EXPECT_EQ(editDistance(u"\u00E9t\u00E9", u"ete"), 2);
}

TEST(EditDistance, NarrowInputsAreReadUpTo1023Characters)
{
    const std::string a(1500, 'a');
    const std::string b = std::string(1023, 'a') + std::string(477, 'b');
    EXPECT_EQ(editDistance(a, b), 0);
    EXPECT_EQ(editDistance(std::string_view("ab\0cd", 5), "ab"), 0);
}

TEST(Similarity, WordSimilarity)
{
    EXPECT_EQ(wordSimilarity(u"", u""), 1);
    EXPECT_EQ(wordSimilarity(u"abc", u"abd"), 2);
    EXPECT_EQ(wordSimilarity(u"abc", u""), 0);
    EXPECT_EQ(wordSimilarity(u"Rock", u"Rock"), 4);
}

TEST(Similarity, StringSimilarity)
{
    EXPECT_FLOAT_EQ(stringSimilarity("abcd", "abce"), 0.75f);
    EXPECT_EQ(stringSimilarity("", ""), 0.0f);
    EXPECT_EQ(stringSimilarity("abc", "abc"), 1.0f);
    EXPECT_EQ(stringSimilarity("abc", "xyz"), 0.0f);
    EXPECT_EQ(stringSimilarity("ab", "abcd"), 0.5f);
    EXPECT_EQ(stringSimilarity("", "abc"), 0.0f);
    EXPECT_FLOAT_EQ(stringSimilarity("Beatles", "Beatle"), 6.0f / 7.0f);
}

} // namespace
} // namespace tunvale::text
