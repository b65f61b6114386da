#include "catalog/text/similarity.h"
#include "catalog/text/unicode/similarity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

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

// The textbook full-matrix distance, as an oracle for the two-row version with its common
// prefix and suffix skipped.
int matrixDistance(const std::string &a, const std::string &b)
{
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    return d[a.size()][b.size()];
}

TEST(EditDistance, MatchesTheFullMatrixOnRandomTexts)
{
    std::mt19937 random(777);
    const auto randomText = [&random] {
        std::string text(random() % 25, 'a');
        for (char &c : text)
            c = static_cast<char>('a' + random() % 3);   // few letters: many shared runs
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        const std::string a = randomText();
        const std::string b = randomText();
        const int expected = matrixDistance(a, b);
        EXPECT_EQ(editDistance(a, b), expected) << a << " / " << b;
        EXPECT_EQ(editDistance(std::u16string(a.begin(), a.end()), std::u16string(b.begin(), b.end())), expected);
    }
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

// The threshold test skips the distance when the lengths alone decide: it must answer as the
// score does for every pair, near the threshold above all (lengths 7 and 10 give exactly 0.7).
TEST(Similarity, AboveThresholdAgreesWithTheScore)
{
    const std::vector<std::string> letters = {"a", "b", "e", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xb5"};
    std::mt19937 random(7);
    const auto word = [&] {
        std::string text;
        const std::size_t length = random() % 12;
        for (std::size_t i = 0; i < length; ++i)
            text += letters[random() % letters.size()];
        return text;
    };
    for (int n = 0; n < 4000; ++n) {
        const std::string a = word();
        const std::string b = word();
        for (const float threshold : {0.0f, 0.5f, 0.7f, 0.9f}) {
            EXPECT_EQ(unicode::similarityAbove(a, b, threshold), unicode::stringSimilarity(a, b) > threshold)
                << a << " / " << b << " at " << threshold;
        }
    }
    EXPECT_FALSE(unicode::similarityAbove("abcdefg", "abcdefghij", 0.7f));   // 7/10 is not above 0.7
    EXPECT_TRUE(unicode::similarityAbove("abcdefgh", "abcdefghij", 0.7f));
}

} // namespace
} // namespace tunvale::text
