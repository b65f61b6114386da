#include "catalog/text/word_split.h"

#include "catalog/text/fold.h"
#include "catalog/text/trim.h"

namespace tunvale::text {

namespace {

constexpr std::size_t kFirstMinimumLength = 4;
constexpr std::size_t kFirstWantedCount = 6;

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One scan of the text keeping the words of at least minimumLength characters.
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
        std::string word;
        while (pos < text.size() && isFoldedAlnum(text[pos])) {
            // Characters past the 30th are skipped, not taken as the start of a new word.
            if (word.size() < kMaxKeyWordLength) {
                const char folded = foldChar(text[pos]);
                word.push_back(word.empty() ? asciiUpper(folded) : asciiLower(folded));
            }
            ++pos;
        }
        if (word.size() >= minimumLength) {
            split.words[split.count] = std::move(word);
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
    // accepting fewer words.
    std::size_t minimumLength = kFirstMinimumLength;
    std::size_t wanted = kFirstWantedCount;
    for (;;) {
        scanWords(text, minimumLength, split);
        if (split.count >= wanted)
            return split;
        if (--minimumLength == 0) {
            minimumLength = kFirstMinimumLength;
            if (--wanted == 0)
                return split;
        }
    }
}

} // namespace tunvale::text
