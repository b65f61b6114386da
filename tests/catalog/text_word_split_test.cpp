#include "catalog/text/word_split.h"

#include "catalog/text/fold.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace tunvale::text {
namespace {

std::vector<std::string> wordsOf(const WordSplit &split)
{
    return std::vector<std::string>(split.words.begin(), split.words.begin() + static_cast<std::ptrdiff_t>(split.count));
}

TEST(WordSplit, Table)
{
    struct Case {
        std::string text;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        // No six words of any length: the pass wanting 4 words of 1 character is the first to succeed.
        {"\xC9lectro-Pop 80's", {"Electro", "Pop", "80", "S"}},
        {"Rock & roll", {"Rock", "Roll"}},
        {"R&b", {"R", "B"}},
        {"Pop", {"Pop"}},
        {"Drum & bass", {"Drum", "Bass"}},
        {"!!! --- ...", {}},
        {"", {}},
        {"m\xD6TLEY cr\xFC" "e", {"Motley", "Crue"}},
        {"ab\x01" "cd", {"Ab", "Cd"}},                   // control bytes separate words
        {"4\xD7" "4", {"4x4"}},                          // the multiplication sign folds to a letter
        // Six long words are enough; short ones are then left out.
        {"a bb ccc dddd eeee ffff gggg hhhh iiii", {"Dddd", "Eeee", "Ffff", "Gggg", "Hhhh", "Iiii"}},
        // Five long words are not: shorter words join, and the split stops at eight.
        {"The Quick Brown Fox Jumps Over The Lazy Dog",
         {"The", "Quick", "Brown", "Fox", "Jumps", "Over", "The", "Lazy"}},
        {std::string("Rock\0Pop", 8), {"Rock"}},          // the text ends at its NUL
    };
    for (const Case &c : cases)
        EXPECT_EQ(wordsOf(splitWords(c.text)), c.words) << c.text;
}

TEST(WordSplit, StartPositions)
{
    const WordSplit split = splitWords("\xC9lectro-Pop 80's");
    ASSERT_EQ(split.count, 4u);
    EXPECT_EQ(split.starts[0], 0u);
    EXPECT_EQ(split.starts[1], 8u);
    EXPECT_EQ(split.starts[2], 12u);
    EXPECT_EQ(split.starts[3], 15u);
}

TEST(WordSplit, LongWordIsCutAndItsRestSkipped)
{
    // 40 letters: one word of 30 characters, the other 10 are not a second word.
    const WordSplit split = splitWords(std::string(40, 'a') + " bb");
    ASSERT_EQ(split.count, 2u);
    EXPECT_EQ(split.words[0], "A" + std::string(29, 'a'));
    EXPECT_EQ(split.words[1], "Bb");
    EXPECT_EQ(split.starts[1], 41u);
}

TEST(WordSplit, LengthRule)
{
    std::string text;
    while (text.size() <= 4096)
        text += "word ";
    EXPECT_EQ(splitWords(text).count, 0u);                 // over 4096: length 0
    EXPECT_EQ(splitWords(text.substr(0, 4096)).count, 8u);
}

// The split as the rule states it, one full scan per pass: the oracle for the implementation,
// which counts the runs once and scans only the pass that succeeds.
std::vector<std::string> literalSplit(const std::string &text)
{
    for (std::size_t wanted = 6; wanted > 0; --wanted) {
        for (std::size_t minimum = 4; minimum > 0; --minimum) {
            std::vector<std::string> words;
            std::size_t pos = 0;
            while (pos < text.size() && words.size() < 8) {
                std::string word;
                while (pos < text.size() && !isFoldedAlnum(text[pos]))
                    ++pos;
                while (pos < text.size() && isFoldedAlnum(text[pos])) {
                    if (word.size() < 30) {
                        const char f = foldChar(text[pos]);
                        word.push_back(static_cast<char>(word.empty() ? std::toupper(f) : std::tolower(f)));
                    }
                    ++pos;
                }
                if (!word.empty() && word.size() >= minimum)
                    words.push_back(word);
            }
            if (words.size() >= wanted)
                return words;
        }
    }
    return {};
}

TEST(WordSplit, MatchesTheLiteralRuleOnRandomTexts)
{
    // Letters, digits, accented letters, separators and spaces, in runs of random length.
    const std::string alphabet = "abcXYZ019 -&'.,\xE9\xC0\xD7\xA0\x80\x01";
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::size_t length = random() % 120;
        while (text.size() < length) {
            const char c = alphabet[random() % alphabet.size()];
            text.append(1 + random() % (random() % 4 == 0 ? 40 : 5), c);
        }
        EXPECT_EQ(wordsOf(splitWords(text)), literalSplit(text)) << text;
    }
}

} // namespace
} // namespace tunvale::text
