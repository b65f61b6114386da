#pragma once

// The similitude of two word lists: a score from 0 to 1 telling how alike two names are, used
// to merge spelling variants into one group and to match free-text genres against the genre
// table. Words are compared as code points, cases alike; key words of Latin text are already folded to plain
// ASCII.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tunvale::catalog {

using WordList = std::vector<std::u32string>;

struct Similitude {
    float score = 0.0f;   // 0..1, single precision
    // Prefix-related word positions (steps 4-6), or the shorter list's word count when the
    // lists are equal or near-equal; callers add their bonus when it is 1 or more.
    int matchCount = 0;
};

// Similitude of the shorter list s and the longer list l (s must not have more words than l;
// otherwise the score is 0). Equal lists score 1.0; long lists differing by at most one word
// score 0.75; otherwise the best one-to-one pairing of word similarities divided by half the
// total length of all words.
Similitude similitude(std::span<const std::u32string> shorter, std::span<const std::u32string> longer);

// Greatest total of a one-to-one assignment of each of `rows` rows to a distinct column of
// `cols` (rows <= cols), by the labelling (Hungarian) method on single-precision labels.
// cells is row-major, rows * cols values.
int maxAssignmentTotal(std::span<const int> cells, std::size_t rows, std::size_t cols);

// Word similarity as the similitude uses it: the greater length minus the Levenshtein
// distance (code points compared exactly); 1 when both are empty.
int unitWordSimilarity(std::u32string_view a, std::u32string_view b);

// Grouping's acceptance rule: the bonus for a match count of 1 or more and the threshold. The
// bonus is added and compared in single precision, so 0.75 + 0.05 reaches 0.8.
inline constexpr float kGroupingBonus = 0.05f;
inline constexpr float kGroupingThreshold = 0.8f;
bool reachesGroupingThreshold(const Similitude &result);

} // namespace tunvale::catalog
