#pragma once

// Levenshtein distances and the word and string similarities built on them.

#include <string_view>

namespace tunvale::text {

// Unit costs, characters compared exactly.
int editDistance(std::u16string_view a, std::u16string_view b);
int editDistance(std::string_view a, std::string_view b);   // each input at most 1023 characters

// Greater length minus the edit distance; 1 when both are empty.
int wordSimilarity(std::u16string_view a, std::u16string_view b);
// (L - distance) / L with L the greater length; 0.0 when L is 0; clamped to 0..1.
float stringSimilarity(std::string_view a, std::string_view b);

} // namespace tunvale::text
