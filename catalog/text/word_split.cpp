#include "catalog/text/word_split.h"

#include "catalog/text/fold.h"
#include "catalog/text/trim.h"

#include <algorithm>

namespace tunvale::text {

namespace {

constexpr std::size_t kFirstMinimumLength = 4;
constexpr std::size_t kFirstWantedCount = 6;

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Runs of letters and digits, by length: counts[m] is the number of runs of at least m
// characters (m = 1..4), counted up to 8.
std::array<std::size_t, kFirstMinimumLength + 1> countRuns(std::string_view text)
{
    std::array<std::size_t, kFirstMinimumLength + 1> counts{};
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && !isFoldedAlnum(text[pos]))
            ++pos;
        std::size_t length = 0;
        while (pos < text.size() && isFoldedAlnum(text[pos])) {
            ++length;
            ++pos;
        }
        for (std::size_t m = 1; m <= kFirstMinimumLength && m <= length; ++m)
            counts[m] = std::min(counts[m] + 1, kMaxKeyWords);
    }
    return counts;
}

// One scan of the text keeping the first 8 words of at least minimumLength characters.
void scanWords(std::string_view text, std::size_t minimumLength, WordSplit &split)
{
    split = WordSplit{};
    std::size_t pos = 0;
    while (pos < text.size() && split.count < kMaxKeyWords) {
        while (pos < text.size() && !isFoldedAlnum(text[pos]))
            ++pos;
        if (pos == text.size())
            break;
        const std::size_t start = pos;
        char word[kMaxKeyWordLength];
        std::size_t length = 0;
        while (pos < text.size() && isFoldedAlnum(text[pos])) {
            // Characters past the 30th are skipped, not taken as the start of a new word.
            if (length < kMaxKeyWordLength) {
                const char folded = foldChar(text[pos]);
                word[length] = length == 0 ? asciiUpper(folded) : asciiLower(folded);
                ++length;
            }
            ++pos;
        }
        if (length >= minimumLength) {
            split.words[split.count].assign(word, length);
            split.starts[split.count] = start;
            ++split.count;
        }
    }
}

} // namespace

WordSplit splitWords(std::string_view text)
{
    WordSplit split;
    text = measuredText(text);
    if (text.empty())
        return split;
    // Prefer six or more words of four characters or more; accept shorter words before
    // accepting fewer words. A pass with minimum length m stores the first 8 words of at least
    // m characters, so its word count is known from one count of the runs, and only the pass
    // that succeeds is scanned for its words.
    const auto counts = countRuns(text);
    std::size_t minimumLength = kFirstMinimumLength;
    std::size_t wanted = kFirstWantedCount;
    for (;;) {
        if (counts[minimumLength] >= wanted) {
            scanWords(text, minimumLength, split);
            return split;
        }
        if (--minimumLength == 0) {
            minimumLength = kFirstMinimumLength;
            if (--wanted == 0)
                return split;   // no words at all
        }
    }
}

} // namespace tunvale::text
