#include "catalog/genre/genre_key.h"

#include "catalog/genre/genre_table.h"
#include "catalog/grouping/similitude.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/tag_text.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"

#include <array>

namespace tunvale::catalog {

namespace {

constexpr std::u16string_view kUndefined = u"Undefined";

// Accepted when the best table match, with its bonus, reaches the threshold (single precision).
constexpr float kMatchBonus = 0.1f;
constexpr float kMatchThreshold = 0.62f;
// Characters of the genre the normalization reads (its limit of 1022, minus 2).
constexpr std::size_t kFoldedCharacters = 1020;

struct Substitution {
    std::string_view pattern;
    std::string_view genre;
};

// Tested in this order; the first contained pattern decides.
constexpr std::array<Substitution, 10> kSubstitutions{{
    {"Song", "Vocal"},
    {"Chanson", "Vocal"},
    {" OST", "Soundtrack"},
    {" O.S.T", "Soundtrack"},
    {"Soundtrack", "Soundtrack"},
    {"Sound track", "Soundtrack"},
    {" B.O.F", "Soundtrack"},
    {"Bande Originale", "Soundtrack"},
    {"Lyri", "Opera"},
    {"Liric", "Opera"},
}};

// The part of the genre the folded form is made of (at most 1020 characters), its control
// characters turned into '_' as folding turns them.
std::string spelledPart(std::string_view genre)
{
    genre = text::unicode::untilNul(genre);
    const std::size_t cut = text::unicode::cutAtCharacters(genre, kFoldedCharacters);
    std::string out;
    for (std::size_t pos = 0; pos < cut;) {
        const char32_t c = text::unicode::nextCodePoint(genre, pos);
        text::unicode::appendCodePoint(out, c < 0x20 ? U'_' : c);
    }
    return out;
}

WordList wordList(const text::unicode::WordSplit &split)
{
    WordList words;
    words.reserve(split.count);
    for (std::size_t i = 0; i < split.count; ++i)
        words.push_back(text::unicode::toCodePoints(split.words[i]));
    return words;
}

// The table entry whose words are most similar to the genre's words, or -1.
int bestTableMatch(const WordList &genreWords, Similitude &best)
{
    int bestIndex = -1;
    best = Similitude{};
    for (int index = 0; index < kGenreCount; ++index) {
        WordList tableWords;
        for (const std::string &word : catalog::genreWords(index)) {
            if (!word.empty())
                tableWords.push_back(text::unicode::toCodePoints(word));
        }
        if (tableWords.empty())
            continue;
        // The list with fewer words goes first; the file's on equal counts.
        const Similitude result = tableWords.size() < genreWords.size()
                                      ? similitude(tableWords, genreWords)
                                      : similitude(genreWords, tableWords);
        if (result.score > 0.0f && result.score > best.score && result.matchCount >= best.matchCount) {
            best = result;
            bestIndex = index;
        }
    }
    return bestIndex;
}

} // namespace

std::string_view genreSubstitution(std::string_view genre)
{
    for (const Substitution &substitution : kSubstitutions) {
        if (text::unicode::containsFolded(genre, substitution.pattern) != std::string_view::npos)
            return substitution.genre;
    }
    return {};
}

GenreKey genreKey(std::string_view genre, std::u16string_view genreWide, bool acceptSimilitudes)
{
    GenreKey out;
    out.genre = std::u16string(genreWide);
    if (genreWide.empty()) {
        out.key = std::u16string(kUndefined);
        return out;
    }

    // Compared folded; named as spelled, in lower case with a capital first letter, so a
    // folder is "Musique québécoise", never "Musique quebecoise".
    std::string normalized = text::unicode::foldedUpperFirst(text::unicode::foldToLower(genre, 1022));
    const std::string spelled = text::unicode::upperFirst(text::unicode::lowerCase(spelledPart(genre)));
    std::u16string wide = text::unicode::tagTextToWide(spelled);
    if (wide.empty() || text::unicode::tagTextToWide(normalized).empty())
        return out;   // no usable text: the key stays empty
    out.key = wide;
    out.genre = wide;
    if (!acceptSimilitudes)
        return out;

    const std::string_view substitute = genreSubstitution(normalized);
    if (!substitute.empty()) {
        normalized = std::string(substitute);
        wide = text::unicode::tagTextToWide(normalized);
        if (wide.empty())
            return out;
        out.key = wide;
        out.genre = wide;
    }

    const WordList words = wordList(text::unicode::splitWords(normalized));
    if (words.empty())
        return out;

    Similitude best;
    const int bestIndex = bestTableMatch(words, best);
    if (bestIndex < 0)
        return out;
    float score = best.score;
    if (best.matchCount >= 1)
        score += kMatchBonus;
    if (score >= kMatchThreshold) {
        out.key = text::unicode::tagTextToWide(genreName(genreParent(bestIndex)));
        out.genre = out.key;
    }
    return out;
}

} // namespace tunvale::catalog
