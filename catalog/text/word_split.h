#pragma once

// Splitting a name into at most 8 normalized key words (first letter upper case, rest lower
// case, accents folded, at most 30 characters), preferring 6 words of 4 letters or more and
// accepting shorter words before fewer words.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text {

inline constexpr std::size_t kMaxKeyWords = 8;
inline constexpr std::size_t kMaxKeyWordLength = 30;

struct WordSplit {
    std::array<std::string, kMaxKeyWords> words;   // each at most 30 characters
    std::array<std::size_t, kMaxKeyWords> starts{}; // where each word starts in the input
    std::size_t count = 0;
};

WordSplit splitWords(std::string_view text);

} // namespace tunvale::text
