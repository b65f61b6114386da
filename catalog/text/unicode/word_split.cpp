#include "catalog/text/unicode/word_split.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/utf8.h"

#include <algorithm>

namespace tunvale::text::unicode {

namespace {

constexpr std::size_t kFirstMinimumLength = 4;
constexpr std::size_t kFirstWantedCount = 6;
// Each minimum length 1..4 keeps the first 8 runs that are long enough for it.
constexpr std::size_t kMaxKeptRuns = kMaxKeyWords * kFirstMinimumLength;

constexpr char32_t kIdeographicSpace = 0x3000;

// One run of letters and digits, folded into its key word.
struct Run {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t length = 0;   // characters of the word
    std::array<char32_t, kMaxKeyWordLength> word;   // the first length are set
};

// Builds a key word one code point at a time: folds it, sets its case, stops at 30
// characters and never keeps part of a character.
class WordBuilder {
public:
    explicit WordBuilder(Run &run) : m_run(run) { m_run.length = 0; }

    void add(char32_t codePoint, bool startsCharacter)
    {
        if (m_full)
            return;   // characters past the 30th are skipped, not taken as a new word
        if (startsCharacter)
            m_characterStart = m_run.length;
        const char32_t folded = foldChar(codePoint);
        if (folded == 0)
            return;   // a diacritical mark that folding drops
        if (m_run.length == kMaxKeyWordLength) {
            m_full = true;
            if (!startsCharacter)
                m_run.length = m_characterStart;   // the last character would be cut in half
            return;
        }
        const char32_t lower = caseFold(folded);
        m_run.word[m_run.length] = m_run.length == 0 ? toTitle(lower) : lower;
        ++m_run.length;
    }

private:
    Run &m_run;
    std::size_t m_characterStart = 0;
    bool m_full = false;
};

bool isInterWordSpace(char32_t codePoint) { return codePoint == U' ' || codePoint == kIdeographicSpace; }

// After the spaces at pos: the next character, when it continues an ideographic word (a
// letter of a script written without spaces). Sets next past it.
bool ideographAfterSpaces(std::string_view text, std::size_t pos, std::size_t &next, char32_t &ideograph)
{
    while (pos < text.size()) {
        const char32_t codePoint = nextCodePoint(text, pos);
        if (isInterWordSpace(codePoint))
            continue;
        if (!isIdeographic(codePoint) || !isFoldedAlnum(codePoint))
            return false;
        next = pos;
        ideograph = codePoint;
        return true;
    }
    return false;
}

// Reads the next run of letters and digits from pos; false when the text holds no more.
bool nextRun(std::string_view text, std::size_t &pos, Run &run)
{
    char32_t first = 0;
    for (;;) {
        if (pos == text.size())
            return false;
        run.start = pos;
        first = nextCodePoint(text, pos);
        if (isFoldedAlnum(first))
            break;
    }
    WordBuilder builder(run);
    ClusterBreaker breaker;
    builder.add(first, true);
    char32_t previous = first;
    char32_t lastLetter = first;
    while (pos < text.size()) {
        const std::size_t here = pos;
        const char32_t codePoint = nextCodePoint(text, pos);
        const bool alnum = isFoldedAlnum(codePoint);
        if (alnum || isWordJoining(codePoint)) {
            builder.add(codePoint, breaker.breakBetween(previous, codePoint));
            previous = codePoint;
            if (alnum)
                lastLetter = codePoint;
            continue;
        }
        std::size_t next = 0;
        char32_t ideograph = 0;
        if (isInterWordSpace(codePoint) && isIdeographic(lastLetter) && ideographAfterSpaces(text, pos, next, ideograph)) {
            pos = next;
            breaker.reset();
            builder.add(ideograph, true);
            previous = lastLetter = ideograph;
            continue;
        }
        pos = here;
        break;
    }
    run.end = pos;
    return true;
}

} // namespace

WordSplit splitWords(std::string_view utf8)
{
    WordSplit split;
    const std::string_view text = measuredText(utf8);
    if (text.empty())
        return split;

    // One scan keeps, for each minimum length m = 1..4, the first 8 runs of at least m
    // characters: the passes of the rule (prefer six words of four characters or more, accept
    // shorter words before fewer words) then only choose among them.
    std::array<Run, kMaxKeptRuns> runs;
    std::size_t keptRuns = 0;
    std::array<std::array<std::size_t, kMaxKeyWords>, kFirstMinimumLength + 1> lists{};
    std::array<std::size_t, kFirstMinimumLength + 1> counts{};
    Run run;
    std::size_t pos = 0;
    while (counts[kFirstMinimumLength] < kMaxKeyWords && nextRun(text, pos, run)) {
        bool kept = false;
        for (std::size_t m = 1; m <= kFirstMinimumLength && m <= run.length; ++m) {
            if (counts[m] == kMaxKeyWords)
                continue;
            if (!kept) {
                runs[keptRuns] = run;
                kept = true;
            }
            lists[m][counts[m]++] = keptRuns;
        }
        if (kept)
            ++keptRuns;
    }

    std::size_t minimumLength = kFirstMinimumLength;
    std::size_t wanted = kFirstWantedCount;
    while (counts[minimumLength] < wanted) {
        if (--minimumLength == 0) {
            minimumLength = kFirstMinimumLength;
            if (--wanted == 0)
                return split;   // no words at all
        }
    }
    for (std::size_t k = 0; k < counts[minimumLength]; ++k) {
        const Run &chosen = runs[lists[minimumLength][k]];
        std::string &word = split.words[k];
        for (std::size_t i = 0; i < chosen.length; ++i)
            appendCodePoint(word, chosen.word[i]);
        split.starts[k] = chosen.start;
        split.ends[k] = chosen.end;
    }
    split.count = counts[minimumLength];
    return split;
}

} // namespace tunvale::text::unicode
