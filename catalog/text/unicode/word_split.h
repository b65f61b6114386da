#pragma once

// Splitting a UTF-8 name into at most 8 normalized key words: the Unicode form of
// catalog/text/word_split.h, with the same results on text that Windows-1252 can hold.
//
// A word is a run of letters and digits of any script (marks and joiners inside it belong to
// it), accent folded, its first character in title case and the others case folded, at most
// 30 characters, never cut inside a character. In the scripts written without spaces (Han,
// Hiragana, Katakana) a space between two characters does not end the word, so "坂本龍一"
// and "坂本 龍一" give the same key.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text::unicode {

inline constexpr std::size_t kMaxKeyWords = 8;
inline constexpr std::size_t kMaxKeyWordLength = 30;   // characters

struct WordSplit {
    std::array<std::string, kMaxKeyWords> words;     // UTF-8, each at most 30 characters
    std::array<std::size_t, kMaxKeyWords> starts{};  // byte offset where each word starts in the input
    std::array<std::size_t, kMaxKeyWords> ends{};    // byte offset where its run of letters ends
    std::size_t count = 0;
};

// Prefers six words of four characters or more and accepts shorter words before fewer words.
WordSplit splitWords(std::string_view utf8);

} // namespace tunvale::text::unicode
