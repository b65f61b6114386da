#include "catalog/grouping/similitude.h"

#include "catalog/text/similarity.h"
#include "catalog/text/unicode/similarity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace tunvale::catalog {
namespace {

struct WorkedExample {
    const char *name;
    WordList shorter;
    WordList longer;
    float score;
    int matchCount;
    bool grouped;   // with the grouping bonus and threshold
};

TEST(Similitude, WorkedExamples)
{
    const std::vector<WorkedExample> examples = {
        // 7 (Beatles with Beatles) over H = (7 + 10) / 2 = 8; The is too short for a prefix.
        {"beatles", {U"Beatles"}, {U"The", U"Beatles"}, 0.875f, 0, true},
        // Near-equal long lists: two common long words of three.
        {"guns_n_roses", {U"Guns", U"Roses"}, {U"Guns", U"N", U"Roses"}, 0.75f, 2, true},
        // 4 + (5 - 1) over H = 9; Pink is a common prefix.
        {"pink_floyd", {U"Pink", U"Floyd"}, {U"Pink", U"Floid"}, 8.0f / 9.0f, 1, true},
        // 9 - 6 over H = 8.
        {"madonna_metallica", {U"Madonna"}, {U"Metallica"}, 0.375f, 0, false},
        // Two decades: 3 + 3 over H = 8, no prefix relation.
        {"decades", {U"1980", U"1989"}, {U"1990", U"1999"}, 0.75f, 0, false},
        // Equal lists ignoring case.
        {"equal_ignoring_case", {U"Live", U"At", U"Leeds"}, {U"LIVE", U"at", U"leeds"}, 1.0f, 3, true},
        // More words first: no similitude at all.
        {"longer_first", {U"A", U"B"}, {U"A"}, 0.0f, 0, false},
        // Near-equal needs the common words to be long: Abc is not.
        {"short_common_words", {U"Abc", U"Def"}, {U"Abc", U"Def", U"Ghi"}, 6.0f / 7.0f, 2, true},
    };
    for (const WorkedExample &example : examples) {
        SCOPED_TRACE(example.name);
        const Similitude result = similitude(example.shorter, example.longer);
        EXPECT_FLOAT_EQ(result.score, example.score);
        EXPECT_EQ(result.matchCount, example.matchCount);
        EXPECT_EQ(reachesGroupingThreshold(result), example.grouped);
    }
}

TEST(Similitude, BonusIsAddedInSinglePrecision)
{
    // 0.75 + 0.05 reaches 0.8 only in single precision; in double it falls short by 1e-8.
    const Similitude result = similitude(WordList{U"Guns", U"Roses"}, WordList{U"Guns", U"N", U"Roses"});
    ASSERT_EQ(result.score, 0.75f);
    EXPECT_LT(static_cast<double>(result.score) + static_cast<double>(kGroupingBonus),
              static_cast<double>(kGroupingThreshold));
    EXPECT_TRUE(reachesGroupingThreshold(result));
    // Without a match count no bonus is added.
    EXPECT_FALSE(reachesGroupingThreshold(Similitude{0.75f, 0}));
}

TEST(Similitude, PrefixCountComparesLongWordsIgnoringCaseAndShortWordsExactly)
{
    // BEAT/Beatles: both long, lowered, "beat" starts "beatles".
    EXPECT_EQ(similitude(WordList{U"BEAT", U"x"}, WordList{U"Beatles", U"y"}).matchCount, 1);
    // Short words keep their case: "AB" does not start "abc".
    EXPECT_EQ(similitude(WordList{U"AB"}, WordList{U"abc"}).matchCount, 0);
    EXPECT_EQ(similitude(WordList{U"ab"}, WordList{U"abc"}).matchCount, 1);
    // Only the same positions count.
    EXPECT_EQ(similitude(WordList{U"Pink", U"Floyd"}, WordList{U"Floyd", U"Pink"}).matchCount, 0);
}

TEST(Similitude, NearEqualCountsEachWordOfTheLongerListOnce)
{
    // Rock matches both Rock words of the longer list: 2 = l - 1 common words.
    const Similitude duplicated = similitude(WordList{U"Rock", U"Jazz", U"Funk"}, WordList{U"Rock", U"Rock", U"Soul"});
    EXPECT_EQ(duplicated.score, 0.75f);
    EXPECT_EQ(duplicated.matchCount, 3);
    // The other way round only one word of the longer list is common.
    const Similitude reversed = similitude(WordList{U"Rock", U"Rock", U"Soul"}, WordList{U"Rock", U"Jazz", U"Funk"});
    EXPECT_NE(reversed.score, 0.75f);
}

TEST(Similitude, EmptyWordsAndEmptyLists)
{
    // Both lists empty: equal.
    EXPECT_EQ(similitude(WordList{}, WordList{}).score, 1.0f);
    // Half of the total length is 0: 1.0.
    EXPECT_EQ(similitude(WordList{U""}, WordList{U"", U"B"}).score, 1.0f);
    EXPECT_EQ(similitude(WordList{}, WordList{U"Abc"}).score, 0.0f);
}

TEST(Similitude, WordSimilarityAgreesWithTextUtilities)
{
    // Short ASCII words take the bit-parallel distance, others (longer than 64 characters, or with
    // characters past ASCII) the table; both must agree with the plain Levenshtein distance.
    std::mt19937 random(7);
    const std::u32string alphabet = U"abcdeAB\u00e9\u20ac\u041a\U0001F600";
    for (int round = 0; round < 20000; ++round) {
        const int maxLength = round % 10 == 0 ? 70 : 12;
        const std::size_t letters = round % 3 == 0 ? alphabet.size() : 5;
        std::u32string a, b;
        for (int i = static_cast<int>(random() % (maxLength + 1)); i > 0; --i)
            a.push_back(alphabet[random() % letters]);
        for (int i = static_cast<int>(random() % (maxLength + 1)); i > 0; --i)
            b.push_back(alphabet[random() % letters]);
        ASSERT_EQ(unitWordSimilarity(a, b), text::unicode::wordSimilarity(a, b)) << round;
    }
    // Longer than the inline row buffer.
    const std::u32string longA(100, U'a');
    const std::u32string longB = std::u32string(50, U'a') + std::u32string(60, U'b');
    EXPECT_EQ(unitWordSimilarity(longA, longB), text::unicode::wordSimilarity(longA, longB));
}

// Every injective assignment of rows to columns, by brute force.
int bruteForceMaximum(const std::vector<int> &cells, std::size_t rows, std::size_t cols)
{
    std::vector<std::size_t> columns(cols);
    std::iota(columns.begin(), columns.end(), 0);
    int best = 0;
    // Permutations of all columns cover every choice of the first `rows` of them.
    do {
        int total = 0;
        for (std::size_t r = 0; r < rows; ++r)
            total += cells[r * cols + columns[r]];
        best = std::max(best, total);
    } while (std::next_permutation(columns.begin(), columns.end()));
    return best;
}

TEST(SimilitudeAssignment, FindsTheMaximumOnRandomTables)
{
    std::mt19937 random(11);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t cols = 1 + random() % 7;
        const std::size_t rows = 1 + random() % cols;
        // Small ranges make ties and all-zero rows frequent.
        const int top = (round % 3 == 0) ? 1 : (round % 3 == 1 ? 3 : 30);
        std::vector<int> cells(rows * cols);
        for (int &cell : cells)
            cell = static_cast<int>(random() % static_cast<unsigned>(top + 1));
        if (round % 5 == 0) {
            const std::size_t zeroRow = random() % rows;
            std::fill_n(cells.begin() + static_cast<std::ptrdiff_t>(zeroRow * cols), cols, 0);
        }
        ASSERT_EQ(maxAssignmentTotal(cells, rows, cols), bruteForceMaximum(cells, rows, cols))
            << "round " << round << " rows " << rows << " cols " << cols;
    }
}

TEST(SimilitudeAssignment, GreedyChoiceIsUndone)
{
    // Row 0 prefers column 0, but the best total gives column 0 to row 1.
    const std::vector<int> cells = {5, 4,
                                    5, 0};
    EXPECT_EQ(maxAssignmentTotal(cells, 2, 2), 9);
    // All-zero table: every row still gets a column and the total is 0.
    EXPECT_EQ(maxAssignmentTotal(std::vector<int>(12, 0), 3, 4), 0);
    // More rows than columns is refused.
    EXPECT_EQ(maxAssignmentTotal(std::vector<int>(6, 1), 3, 2), 0);
}

TEST(SimilitudeAssignment, LargerThanEightWords)
{
    // Twelve by twelve: the identity is the best assignment.
    const std::size_t n = 12;
    std::vector<int> cells(n * n, 1);
    for (std::size_t i = 0; i < n; ++i)
        cells[i * n + i] = 9;
    EXPECT_EQ(maxAssignmentTotal(cells, n, n), 9 * static_cast<int>(n));
}

} // namespace
} // namespace tunvale::catalog
