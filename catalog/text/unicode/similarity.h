#pragma once

// Levenshtein distances and the word and string similarities built on them, over characters
// (code points) rather than bytes: the Unicode forms of catalog/text/similarity.h, with the
// same results on text that Windows-1252 can hold.

#include <array>
#include <cstddef>
#include <string_view>

namespace tunvale::text::unicode {

// Unit costs, code points compared exactly.
int editDistance(std::u32string_view a, std::u32string_view b);
// The same on UTF-8 text; each input ends at its first NUL and is read up to 1023 characters.
int editDistance(std::string_view a, std::string_view b);

// Greater length minus the edit distance; 1 when both are empty.
int wordSimilarity(std::u32string_view a, std::u32string_view b);
int wordSimilarity(std::string_view a, std::string_view b);
// (L - distance) / L with L the greater length in characters; 0.0 when L is 0; clamped to 0..1.
float stringSimilarity(std::string_view a, std::string_view b);
// stringSimilarity(a, b) > threshold, without measuring the distance of texts whose lengths
// alone keep them at or below it.
bool similarityAbove(std::string_view a, std::string_view b, float threshold);
bool similarityAbove(std::u32string_view a, std::u32string_view b, float threshold);

// A word decoded once for comparing it with many others (as stringSimilarity decodes it: up to
// a NUL), its code points on the stack. It refers to the text it was made from.
class ComparedWord {
public:
    ComparedWord() = default;
    explicit ComparedWord(std::string_view utf8);
    std::u32string_view view() const { return {m_points.data(), m_size}; }

private:
    friend bool similarityAbove(const ComparedWord &a, const ComparedWord &b, float threshold);
    std::string_view m_utf8;
    std::array<char32_t, 64> m_points;
    std::size_t m_size = 0;
    bool m_onStack = true;   // false when the word is longer than m_points: compared as text
};
bool similarityAbove(const ComparedWord &a, const ComparedWord &b, float threshold);

} // namespace tunvale::text::unicode
