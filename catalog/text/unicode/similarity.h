#pragma once

// Levenshtein distances and the word and string similarities built on them, over characters
// (code points) rather than bytes: the Unicode forms of catalog/text/similarity.h, with the
// same results on text that Windows-1252 can hold.

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

} // namespace tunvale::text::unicode
