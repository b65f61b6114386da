#pragma once

// The Levenshtein distance shared by the 8-bit, wide and Unicode text rules.

#include <algorithm>
#include <cstddef>
#include <utility>

namespace tunvale::text::detail {

// Distance with unit costs over two rows of at least min(|a|, |b|) + 1 cells; the shorter
// text indexes the row. View is any string view type; elements are compared exactly.
template <typename View>
int levenshtein(View a, View b, int *previous, int *current)
{
    // A common prefix or suffix never changes the distance.
    while (!a.empty() && !b.empty() && a.front() == b.front()) {
        a.remove_prefix(1);
        b.remove_prefix(1);
    }
    while (!a.empty() && !b.empty() && a.back() == b.back()) {
        a.remove_suffix(1);
        b.remove_suffix(1);
    }
    if (a.size() < b.size())
        std::swap(a, b);
    if (b.empty())
        return static_cast<int>(a.size());
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

} // namespace tunvale::text::detail
