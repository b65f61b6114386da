#include "catalog/text/unicode/similarity.h"

#include "catalog/text/levenshtein.h"
#include "catalog/text/unicode/utf8.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tunvale::text::unicode {

namespace {

constexpr std::size_t kMaxDistanceInput = 1023;

// Code points of a UTF-8 text, up to a limit, on the stack: grouping compares many pairs of
// short words and should allocate nothing.
class CodePoints {
public:
    CodePoints(std::string_view utf8, std::size_t limit)
    {
        for (std::size_t pos = 0; pos < utf8.size() && m_size < limit;) {
            const char32_t codePoint = nextCodePoint(utf8, pos);
            if (m_size < m_inline.size()) {
                m_inline[m_size] = codePoint;
            } else {
                if (m_heap.empty())
                    m_heap.assign(m_inline.begin(), m_inline.end());
                m_heap.push_back(codePoint);
            }
            ++m_size;
        }
    }
    std::u32string_view view() const
    {
        return m_heap.empty() ? std::u32string_view(m_inline.data(), m_size) : std::u32string_view(m_heap.data(), m_size);
    }

private:
    std::array<char32_t, kMaxDistanceInput> m_inline;
    std::vector<char32_t> m_heap;
    std::size_t m_size = 0;
};

int distance(std::u32string_view a, std::u32string_view b)
{
    const std::size_t row = std::min(a.size(), b.size()) + 1;
    if (row <= kMaxDistanceInput + 1) {
        std::array<int, kMaxDistanceInput + 1> previous;
        std::array<int, kMaxDistanceInput + 1> current;
        return text::detail::levenshtein(a, b, previous.data(), current.data());
    }
    std::vector<int> previous(row);
    std::vector<int> current(row);
    return text::detail::levenshtein(a, b, previous.data(), current.data());
}

} // namespace

int editDistance(std::u32string_view a, std::u32string_view b) { return distance(a, b); }

int editDistance(std::string_view a, std::string_view b)
{
    const CodePoints left(untilNul(a), kMaxDistanceInput);
    const CodePoints right(untilNul(b), kMaxDistanceInput);
    return distance(left.view(), right.view());
}

int wordSimilarity(std::u32string_view a, std::u32string_view b)
{
    if (a.empty() && b.empty())
        return 1;
    return static_cast<int>(std::max(a.size(), b.size())) - distance(a, b);
}

int wordSimilarity(std::string_view a, std::string_view b)
{
    const CodePoints left(a, a.size());
    const CodePoints right(b, b.size());
    return wordSimilarity(left.view(), right.view());
}

float stringSimilarity(std::string_view a, std::string_view b)
{
    const CodePoints left(untilNul(a), kMaxDistanceInput);
    const CodePoints right(untilNul(b), kMaxDistanceInput);
    const std::size_t longer = std::max(left.view().size(), right.view().size());
    if (longer == 0)
        return 0.0f;
    const float length = static_cast<float>(longer);
    const float score = (length - static_cast<float>(distance(left.view(), right.view()))) / length;
    return std::clamp(score, 0.0f, 1.0f);
}

bool similarityAbove(std::u32string_view a, std::u32string_view b, float threshold)
{
    const std::size_t longer = std::max(a.size(), b.size());
    if (longer == 0)
        return 0.0f > threshold;
    // The distance is at least the difference in length, so the score is at most
    // shorter / longer: when that bound is not above the threshold, the distance is not needed.
    const std::size_t shorter = std::min(a.size(), b.size());
    const float length = static_cast<float>(longer);
    if (!(static_cast<float>(shorter) / length > threshold))
        return false;
    const float score = (length - static_cast<float>(distance(a, b))) / length;
    return std::clamp(score, 0.0f, 1.0f) > threshold;
}

bool similarityAbove(std::string_view a, std::string_view b, float threshold)
{
    const CodePoints left(untilNul(a), kMaxDistanceInput);
    const CodePoints right(untilNul(b), kMaxDistanceInput);
    return similarityAbove(left.view(), right.view(), threshold);
}

ComparedWord::ComparedWord(std::string_view utf8)
    : m_utf8(untilNul(utf8))
{
    for (std::size_t pos = 0; pos < m_utf8.size(); ++m_size) {
        if (m_size == m_points.size()) {
            m_onStack = false;   // longer than the stack holds: compared as text
            return;
        }
        m_points[m_size] = nextCodePoint(m_utf8, pos);
    }
}

bool similarityAbove(const ComparedWord &a, const ComparedWord &b, float threshold)
{
    if (!a.m_onStack || !b.m_onStack)
        return similarityAbove(a.m_utf8, b.m_utf8, threshold);
    return similarityAbove(a.view(), b.view(), threshold);
}

} // namespace tunvale::text::unicode
