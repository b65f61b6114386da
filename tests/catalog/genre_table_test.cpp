#include "catalog/genre/genre_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tunvale::catalog {
namespace {

TEST(GenreTable, NamesByIndex)
{
    struct Case {
        int index;
        std::string_view name;
    };
    const Case cases[] = {
        {0, "Blues"},         {1, "Classic rock"},  {7, "Hip-hop"},     {14, "R&b"},
        {22, "Death Metal"},  {29, "Jazz+funk"},    {40, "Alternrock"}, {60, "Hit Top"},
        {62, "Pop/funk"},     {78, "Rock & roll"},  {123, "A capella"}, {127, "Drum & bass"},
        {137, "Heavy metal"}, {140, "Contemporary christian"},          {141, "Christian rock "},
        {147, "Synthpop"},    {148, "Song"},        {150, "Pop Rock"},  {158, "Electro Pop"},
        {159, "Soul Funk"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(genreName(c.index), c.name) << c.index;
}

TEST(GenreTable, HasExactly160DistinctNames)
{
    EXPECT_EQ(kGenreCount, 160);
    std::set<std::string_view> names;
    for (int i = 0; i < kGenreCount; ++i) {
        EXPECT_FALSE(genreName(i).empty()) << i;
        names.insert(genreName(i));
    }
    EXPECT_EQ(names.size(), 160u);
    // Indices outside the table give nothing rather than reading past it.
    EXPECT_TRUE(genreName(160).empty());
    EXPECT_TRUE(genreName(-1).empty());
}

TEST(GenreTable, OnlyChristianRockHasATrailingSpace)
{
    for (int i = 0; i < kGenreCount; ++i) {
        const std::string_view name = genreName(i);
        EXPECT_EQ(name.back() == ' ', i == 141) << i;
        EXPECT_NE(name.front(), ' ') << i;
    }
}

TEST(GenreTable, ParentMap)
{
    const std::map<int, int> parents = {
        {1, 17},   {22, 9},   {25, 18},  {27, 7},   {46, 33},  {47, 33},  {51, 18},  {53, 80},
        {54, 3},   {56, 17},  {61, 15},  {62, 5},   {73, 34},  {74, 34},  {75, 3},   {76, 11},
        {77, 33},  {78, 17},  {79, 17},  {81, 80},  {82, 80},  {83, 3},   {91, 49},  {93, 67},
        {94, 92},  {104, 32}, {113, 3},  {114, 3},  {118, 42}, {121, 17}, {124, 35}, {125, 3},
        {128, 35}, {133, 43}, {134, 43}, {136, 15}, {137, 15}, {138, 9},  {141, 17}, {142, 3},
        {143, 3},  {144, 9},  {146, 13}, {148, 28}, {149, 38}, {150, 17}, {152, 42}, {153, 95},
        {156, 33}, {157, 13}, {158, 52}, {159, 42},
    };
    ASSERT_EQ(parents.size(), 52u);
    for (int i = 0; i < kGenreCount; ++i) {
        const auto found = parents.find(i);
        const int expected = found == parents.end() ? i : found->second;
        EXPECT_EQ(genreParent(i), expected) << i << " " << genreName(i);
    }
    EXPECT_EQ(genreParent(137), 15);   // Heavy metal goes to Rap, not to Metal
}

TEST(GenreTable, GenreWords)
{
    struct Case {
        int index;
        std::string first;
        std::string second;
    };
    const Case cases[] = {
        {78, "Rock", "Roll"},     {14, "R", "B"},         {127, "Drum", "Bass"},
        {140, "Contemporary", "Christian"},               {13, "Pop", ""},
        {29, "Jazz", "Funk"},     {60, "Hit", "Top"},     {123, "A", "Capella"},
        {136, "Christian", "Gangsta"},                    {141, "Christian", "Rock"},
        {7, "Hip", "Hop"},        {62, "Pop", "Funk"},    {37, "Sound", "Clip"},
    };
    for (const Case &c : cases) {
        const auto &words = genreWords(c.index);
        EXPECT_EQ(words[0], c.first) << genreName(c.index);
        EXPECT_EQ(words[1], c.second) << genreName(c.index);
    }
    for (int i = 0; i < kGenreCount; ++i) {
        EXPECT_FALSE(genreWords(i)[0].empty()) << i;
        EXPECT_LE(genreWords(i)[0].size(), 23u);
        EXPECT_LE(genreWords(i)[1].size(), 23u);
    }
    EXPECT_TRUE(genreWords(160)[0].empty());
    EXPECT_TRUE(genreWords(-5)[1].empty());
}

TEST(GenreTable, WordsAreTheSameFromEveryThread)
{
    std::vector<std::thread> threads;
    std::vector<std::string> seen(8);
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] { seen[t] = genreWords(static_cast<int>(78 + t % 2))[1]; });
    for (auto &thread : threads)
        thread.join();
    for (std::size_t t = 0; t < seen.size(); ++t)
        EXPECT_EQ(seen[t], t % 2 == 0 ? "Roll" : "Rock") << t;
}

} // namespace
} // namespace tunvale::catalog
