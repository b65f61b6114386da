#include "catalog/text/similarity.h"

#include "catalog/text/levenshtein.h"
#include "catalog/text/trim.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tunvale::text {

namespace {

constexpr std::size_t kMaxDistanceInput = 1023;

// 8-bit inputs end at their first NUL and are read up to 1023 characters.
std::string_view distanceInput(std::string_view text)
{
    text = untilNul(text);
    return text.substr(0, std::min(text.size(), kMaxDistanceInput));
}

// 8-bit inputs are at most 1023 characters: the rows fit on the stack and grouping, which
// compares many pairs, allocates nothing.
int narrowDistance(std::string_view a, std::string_view b)
{
    std::array<int, kMaxDistanceInput + 1> first;
    std::array<int, kMaxDistanceInput + 1> second;
    return detail::levenshtein(a, b, first.data(), second.data());
}

} // namespace

int editDistance(std::u16string_view a, std::u16string_view b)
{
    const std::size_t row = std::min(a.size(), b.size()) + 1;
    std::vector<int> previous(row);
    std::vector<int> current(row);
    return detail::levenshtein(a, b, previous.data(), current.data());
}

int editDistance(std::string_view a, std::string_view b)
{
    return narrowDistance(distanceInput(a), distanceInput(b));
}

int wordSimilarity(std::u16string_view a, std::u16string_view b)
{
    if (a.empty() && b.empty())
        return 1;
    return static_cast<int>(std::max(a.size(), b.size())) - editDistance(a, b);
}

float stringSimilarity(std::string_view a, std::string_view b)
{
    a = distanceInput(a);
    b = distanceInput(b);
    const std::size_t longer = std::max(a.size(), b.size());
    if (longer == 0)
        return 0.0f;
    const float length = static_cast<float>(longer);
    const float score = (length - static_cast<float>(narrowDistance(a, b))) / length;
    return std::clamp(score, 0.0f, 1.0f);
}

} // namespace tunvale::text
