#include "catalog/grouping/similitude.h"

#include "catalog/text/fold.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstdint>
#include <limits>

namespace tunvale::catalog {

namespace {

// Word lists hold at most eight key words; larger inputs fall back to heap buffers.
constexpr std::size_t kInlineWords = 8;
constexpr std::size_t kInlineWordLength = 64;

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && text::wideToLower(a[i]) != text::wideToLower(b[i]))
            return false;
    }
    return true;
}

// True when the shorter of a and b is the beginning of the longer (in lower case when asked).
bool isPrefixRelated(std::u16string_view a, std::u16string_view b, bool lowerCase)
{
    if (a.size() > b.size())
        std::swap(a, b);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = lowerCase ? text::wideToLower(a[i]) : a[i];
        const char16_t y = lowerCase ? text::wideToLower(b[i]) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool sameWords(std::span<const std::u16string> s, std::span<const std::u16string> l)
{
    if (s.size() != l.size())
        return false;
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (!equalIgnoringCase(s[k], l[k]))
            return false;
    }
    return true;
}

// Words of the longer list (4 characters or more) that equal some word of the shorter one; a
// word of the longer list counts once.
std::size_t commonLongWords(std::span<const std::u16string> s, std::span<const std::u16string> l)
{
    std::size_t common = 0;
    for (const std::u16string &longWord : l) {
        if (longWord.size() < 4)
            continue;
        for (const std::u16string &shortWord : s) {
            if (equalIgnoringCase(shortWord, longWord)) {
                ++common;
                break;
            }
        }
    }
    return common;
}

int prefixCount(std::span<const std::u16string> s, std::span<const std::u16string> l)
{
    int count = 0;
    for (std::size_t k = 0; k < s.size(); ++k) {
        // Words of 4 characters or more are compared in lower case, shorter ones as they are.
        const bool lowerCase = s[k].size() >= 4 && l[k].size() >= 4;
        if (isPrefixRelated(s[k], l[k], lowerCase))
            ++count;
    }
    return count;
}

// The labelling method on one table. Labels are single precision and a cell is tight when it
// equals its row label plus its column label exactly.
class AssignmentSolver {
public:
    AssignmentSolver(std::span<const int> cells, std::size_t rows, std::size_t cols)
        : m_cells(cells)
        , m_rows(rows)
        , m_cols(cols)
    {
        if (rows <= kInlineWords && cols <= kInlineWords) {
            m_rowLabel = m_inlineRowLabel.data();
            m_colLabel = m_inlineColLabel.data();
            m_rowVisited = m_inlineRowVisited.data();
            m_colVisited = m_inlineColVisited.data();
            m_rowAssign = m_inlineRowAssign.data();
            m_colAssign = m_inlineColAssign.data();
        } else {
            m_heapFloats.assign(rows + cols, 0.0f);
            m_heapFlags.assign(rows + cols, 0);
            m_heapAssign.assign(rows + cols, -1);
            m_rowLabel = m_heapFloats.data();
            m_colLabel = m_heapFloats.data() + rows;
            m_rowVisited = m_heapFlags.data();
            m_colVisited = m_heapFlags.data() + rows;
            m_rowAssign = m_heapAssign.data();
            m_colAssign = m_heapAssign.data() + rows;
        }
    }

    int solve()
    {
        for (std::size_t r = 0; r < m_rows; ++r) {
            // Starting from the smallest positive value gives an all-zero row a tiny label.
            float best = FLT_MIN;
            for (std::size_t c = 0; c < m_cols; ++c)
                best = std::max(best, static_cast<float>(cell(r, c)));
            m_rowLabel[r] = best;
            m_rowAssign[r] = -1;
        }
        for (std::size_t c = 0; c < m_cols; ++c) {
            m_colLabel[c] = 0.0f;
            m_colAssign[c] = -1;
        }

        for (std::size_t r = 0; r < m_rows; ++r) {
            // Each relabelling makes at least one more cell tight; the bound only guards
            // against rounding ever stalling the search.
            for (int attempt = 0; m_rowAssign[r] < 0 && attempt < kMaxRelabels; ++attempt) {
                std::fill(m_rowVisited, m_rowVisited + m_rows, 0);
                std::fill(m_colVisited, m_colVisited + m_cols, 0);
                if (augment(r))
                    break;
                if (!relabel())
                    break;
            }
        }

        int total = 0;
        for (std::size_t r = 0; r < m_rows; ++r) {
            if (m_rowAssign[r] >= 0)
                total += cell(r, static_cast<std::size_t>(m_rowAssign[r]));
        }
        return total;
    }

private:
    static constexpr int kMaxRelabels = 100000;

    int cell(std::size_t r, std::size_t c) const { return m_cells[r * m_cols + c]; }

    // Depth-first search along tight cells, columns in ascending order; flips the assignment
    // along the path when it reaches an unassigned column.
    bool augment(std::size_t r)
    {
        m_rowVisited[r] = 1;
        for (std::size_t c = 0; c < m_cols; ++c) {
            if (m_colVisited[c])
                continue;
            if (static_cast<float>(cell(r, c)) != m_rowLabel[r] + m_colLabel[c])
                continue;
            m_colVisited[c] = 1;
            const int owner = m_colAssign[c];
            if (owner < 0 || augment(static_cast<std::size_t>(owner))) {
                m_colAssign[c] = static_cast<int>(r);
                m_rowAssign[r] = static_cast<int>(c);
                return true;
            }
        }
        return false;
    }

    // Lowers the visited rows and raises the visited columns by the smallest slack between a
    // visited row and an unvisited column. False when no such slack exists.
    bool relabel()
    {
        float d = std::numeric_limits<float>::infinity();
        for (std::size_t r = 0; r < m_rows; ++r) {
            if (!m_rowVisited[r])
                continue;
            for (std::size_t c = 0; c < m_cols; ++c) {
                if (m_colVisited[c])
                    continue;
                const float slack = m_rowLabel[r] + m_colLabel[c] - static_cast<float>(cell(r, c));
                d = std::min(d, slack);
            }
        }
        if (!(d > 0.0f) || d == std::numeric_limits<float>::infinity())
            return false;
        for (std::size_t r = 0; r < m_rows; ++r) {
            if (m_rowVisited[r])
                m_rowLabel[r] -= d;
        }
        for (std::size_t c = 0; c < m_cols; ++c) {
            if (m_colVisited[c])
                m_colLabel[c] += d;
        }
        return true;
    }

    std::span<const int> m_cells;
    std::size_t m_rows;
    std::size_t m_cols;

    std::array<float, kInlineWords> m_inlineRowLabel{};
    std::array<float, kInlineWords> m_inlineColLabel{};
    std::array<unsigned char, kInlineWords> m_inlineRowVisited{};
    std::array<unsigned char, kInlineWords> m_inlineColVisited{};
    std::array<int, kInlineWords> m_inlineRowAssign{};
    std::array<int, kInlineWords> m_inlineColAssign{};
    std::vector<float> m_heapFloats;
    std::vector<unsigned char> m_heapFlags;
    std::vector<int> m_heapAssign;

    float *m_rowLabel = nullptr;
    float *m_colLabel = nullptr;
    unsigned char *m_rowVisited = nullptr;
    unsigned char *m_colVisited = nullptr;
    int *m_rowAssign = nullptr;
    int *m_colAssign = nullptr;
};

} // namespace

namespace {

// Levenshtein distance by dynamic programming, one row over the shorter word b.
int dynamicDistance(std::u16string_view a, std::u16string_view b)
{
    std::array<int, kInlineWordLength + 1> inlineRow{};
    std::vector<int> heapRow;
    int *row = inlineRow.data();
    if (b.size() > kInlineWordLength) {
        heapRow.resize(b.size() + 1);
        row = heapRow.data();
    }
    for (std::size_t k = 0; k <= b.size(); ++k)
        row[k] = static_cast<int>(k);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t k = 1; k <= b.size(); ++k) {
            const int above = row[k];
            const int substitution = diagonal + (a[i - 1] == b[k - 1] ? 0 : 1);
            row[k] = std::min({above + 1, row[k - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool isAscii(std::u16string_view word)
{
    for (const char16_t unit : word) {
        if (unit >= 128)
            return false;
    }
    return true;
}

// Levenshtein distance with the bit-parallel method of Myers (in Hyyrö's form for whole
// strings): one machine word holds a column of the table. The pattern must be non-empty, at
// most 64 units and ASCII like the text.
int bitParallelDistance(std::u16string_view pattern, std::u16string_view text)
{
    // Per character, where it occurs in the pattern. Only the entries of the characters of the
    // two words are ever read, so only they are cleared, on each call: clearing the whole table
    // would cost more than the distance itself.
    std::array<std::uint64_t, 128> positions;
    for (const char16_t unit : text)
        positions[unit] = 0;
    for (const char16_t unit : pattern)
        positions[unit] = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        positions[pattern[i]] |= std::uint64_t{1} << i;
    const std::uint64_t last = std::uint64_t{1} << (pattern.size() - 1);
    std::uint64_t plusVertical = ~std::uint64_t{0};
    std::uint64_t minusVertical = 0;
    int distance = static_cast<int>(pattern.size());
    for (const char16_t unit : text) {
        const std::uint64_t equal = positions[unit];
        const std::uint64_t xv = equal | minusVertical;
        const std::uint64_t xh = (((equal & plusVertical) + plusVertical) ^ plusVertical) | equal;
        std::uint64_t plusHorizontal = minusVertical | ~(xh | plusVertical);
        std::uint64_t minusHorizontal = plusVertical & xh;
        if (plusHorizontal & last)
            ++distance;
        else if (minusHorizontal & last)
            --distance;
        plusHorizontal = (plusHorizontal << 1) | 1;
        minusHorizontal <<= 1;
        plusVertical = minusHorizontal | ~(xv | plusHorizontal);
        minusVertical = plusHorizontal & xv;
    }
    return distance;
}

} // namespace

int unitWordSimilarity(std::u16string_view a, std::u16string_view b)
{
    if (a.empty() && b.empty())
        return 1;
    if (a.size() < b.size())
        std::swap(a, b);
    if (b.empty())
        return 0;
    // Key words are short plain ASCII; anything else takes the table.
    const int distance = (b.size() <= 64 && isAscii(a) && isAscii(b)) ? bitParallelDistance(b, a)
                                                                       : dynamicDistance(a, b);
    return static_cast<int>(a.size()) - distance;
}

int maxAssignmentTotal(std::span<const int> cells, std::size_t rows, std::size_t cols)
{
    if (rows == 0 || rows > cols || cells.size() < rows * cols)
        return 0;
    AssignmentSolver solver(cells, rows, cols);
    return solver.solve();
}

Similitude similitude(std::span<const std::u16string> shorter, std::span<const std::u16string> longer)
{
    Similitude result;
    const std::size_t s = shorter.size();
    const std::size_t l = longer.size();
    if (l < s)
        return result;

    if (sameWords(shorter, longer)) {
        result.matchCount = static_cast<int>(s);
        result.score = 1.0f;
        return result;
    }

    // Long lists that differ by at most one word.
    if (l >= 3 && l - s <= 1 && commonLongWords(shorter, longer) + 1 >= l) {
        result.matchCount = static_cast<int>(s);
        result.score = 0.75f;
        return result;
    }

    result.matchCount = prefixCount(shorter, longer);

    std::array<int, kInlineWords * kInlineWords> inlineCells{};
    std::vector<int> heapCells;
    std::span<int> cells(inlineCells.data(), s * l);
    if (s * l > inlineCells.size()) {
        heapCells.resize(s * l);
        cells = std::span<int>(heapCells);
    }
    for (std::size_t i = 0; i < s; ++i) {
        for (std::size_t k = 0; k < l; ++k)
            cells[i * l + k] = unitWordSimilarity(shorter[i], longer[k]);
    }
    const int total = s == 0 ? 0 : maxAssignmentTotal(cells, s, l);

    std::size_t lengths = 0;
    for (const std::u16string &word : shorter)
        lengths += word.size();
    for (const std::u16string &word : longer)
        lengths += word.size();
    const std::size_t half = lengths / 2;
    if (half == 0) {
        result.score = 1.0f;
        return result;
    }
    result.score = static_cast<float>(total) / static_cast<float>(half);
    return result;
}

bool reachesGroupingThreshold(const Similitude &result)
{
    float score = result.score;
    if (result.matchCount >= 1)
        score += kGroupingBonus;
    return score >= kGroupingThreshold;
}

} // namespace tunvale::catalog
