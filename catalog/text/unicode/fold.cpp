#include "catalog/text/unicode/fold.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/utf8.h"

#include <utf8proc.h>

namespace tunvale::text::unicode {

namespace {

constexpr std::size_t kCompareLimit = 520;
constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kFinalSigma = 0x03C2;

// The next code point of text as the folded comparisons see it (folded, then upper case),
// skipping marks that folding drops; 0 at the end.
char32_t nextComparable(std::string_view text, std::size_t &pos)
{
    while (pos < text.size()) {
        const char32_t folded = foldChar(nextCodePoint(text, pos));
        if (folded != 0)
            return toUpper(folded);
    }
    return 0;
}

// Number of code points of text that a comparison looks at.
std::size_t comparableCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; nextComparable(text, pos) != 0;)
        ++count;
    return count;
}

bool isCased(char32_t codePoint)
{
    const utf8proc_category_t category = utf8proc_category(static_cast<utf8proc_int32_t>(codePoint));
    return category == UTF8PROC_CATEGORY_LU || category == UTF8PROC_CATEGORY_LL || category == UTF8PROC_CATEGORY_LT;
}

// A capital sigma at index i ends a word: a cased letter comes before it and none after it
// (marks in between are skipped).
bool endsWord(std::u32string_view codePoints, std::size_t i)
{
    std::size_t before = i;
    while (before > 0 && isWordJoining(codePoints[before - 1]))
        --before;
    if (before == 0 || !isCased(codePoints[before - 1]))
        return false;
    std::size_t after = i + 1;
    while (after < codePoints.size() && isWordJoining(codePoints[after]))
        ++after;
    return after == codePoints.size() || !isCased(codePoints[after]);
}

// Lower case of codePoints[i], with the final sigma where a word ends.
char32_t lowerAt(std::u32string_view codePoints, std::size_t i)
{
    if (codePoints[i] == kCapitalSigma && endsWord(codePoints, i))
        return kFinalSigma;
    return toLower(codePoints[i]);
}

// Folding as the case folds apply it: controls become '_'.
char32_t foldVisible(char32_t codePoint)
{
    if (codePoint < 0x20)
        return '_';
    if (codePoint >= 0x80 && !isCp1252(codePoint) &&
        utf8proc_category(static_cast<utf8proc_int32_t>(codePoint)) == UTF8PROC_CATEGORY_CC)
        return '_';
    return foldChar(codePoint);
}

// Folds every code point, converting those after the first with caseMap first.
template <typename CaseMap>
std::string foldWithCase(std::u32string_view codePoints, CaseMap caseMap)
{
    std::string out;
    out.reserve(codePoints.size());
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const char32_t mapped = i == 0 ? codePoints[i] : caseMap(codePoints, i);
        const char32_t folded = foldVisible(mapped);
        if (folded != 0)
            appendCodePoint(out, folded);
    }
    return out;
}

// Upper-cases the first character of every space-delimited word of 4 characters or more
// after the first word, and the text's first character.
void titleWords(std::u32string &codePoints)
{
    if (codePoints.empty())
        return;
    codePoints[0] = toTitle(codePoints[0]);
    for (std::size_t i = 1; i < codePoints.size(); ++i) {
        if (codePoints[i - 1] != U' ' || codePoints[i] == U' ')
            continue;
        std::size_t end = i;
        while (end < codePoints.size() && codePoints[end] != U' ')
            ++end;
        if (end - i >= 4)
            codePoints[i] = toTitle(codePoints[i]);
    }
}

bool isTitleTrimmed(char32_t codePoint)
{
    return codePoint == U' ' || codePoint == U'_' || (codePoint > 0xFF && isSpaceOrControl(codePoint));
}

} // namespace

int compareFoldedN(std::string_view a, std::string_view b, std::size_t n)
{
    a = untilNul(a);
    b = untilNul(b);
    std::size_t posA = 0;
    std::size_t posB = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t ca = nextComparable(a, posA);
        const char32_t cb = nextComparable(b, posB);
        if (ca != cb)
            return static_cast<int>(ca) - static_cast<int>(cb);
        if (ca == 0)
            return 0;
    }
    return 0;
}

int compareFolded(std::string_view a, std::string_view b) { return compareFoldedN(a, b, kCompareLimit); }

std::size_t containsFolded(std::string_view text, std::string_view pattern)
{
    text = untilNul(text);
    pattern = untilNul(pattern);
    if (pattern.empty())
        return 0;
    std::size_t restStart = 0;
    const char32_t first = toLower(nextCodePoint(pattern, restStart));
    const std::string_view rest = pattern.substr(restStart);
    const std::size_t restCount = comparableCount(rest);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (toLower(nextCodePoint(text, pos)) != first)
            continue;
        if (compareFoldedN(text.substr(pos), rest, restCount) == 0)
            return start;
    }
    return std::string_view::npos;
}

std::string foldToUpper(std::string_view text)
{
    const std::u32string codePoints = toCodePoints(untilNul(text));
    return foldWithCase(codePoints, [](std::u32string_view all, std::size_t i) { return toUpper(all[i]); });
}

std::string foldToLower(std::string_view text, std::size_t limit)
{
    text = untilNul(text);
    const std::size_t room = limit >= 2 ? limit - 2 : 0;
    // A text of no more bytes than room has no more characters either.
    const std::size_t cut = text.size() <= room ? text.size() : cutAtCharacters(text, room);
    const std::u32string codePoints = toCodePoints(text.substr(0, cut));
    return foldWithCase(codePoints, lowerAt);
}

void titleCaseInPlace(std::string &text)
{
    std::u32string folded;
    for (const char32_t codePoint : toCodePoints(untilNul(text))) {
        const char32_t f = foldChar(codePoint);
        if (f != 0)
            folded.push_back(f);
    }
    std::u32string lowered(folded.size(), 0);
    for (std::size_t i = 0; i < folded.size(); ++i)
        lowered[i] = lowerAt(folded, i);
    titleWords(lowered);
    text = toUtf8(lowered);
}

std::string titleCase(std::string_view text)
{
    const std::u32string codePoints = toCodePoints(text);
    std::size_t begin = 0;
    std::size_t end = codePoints.size();
    while (begin < end && isTitleTrimmed(codePoints[begin]))
        ++begin;
    while (end > begin && isTitleTrimmed(codePoints[end - 1]))
        --end;
    const std::u32string_view kept = std::u32string_view(codePoints).substr(begin, end - begin);
    std::u32string out(kept.size(), 0);
    for (std::size_t i = 0; i < kept.size(); ++i)
        out[i] = lowerAt(kept, i);
    titleWords(out);
    return toUtf8(out);
}

std::string lowerCase(std::string_view text)
{
    const std::u32string codePoints = toCodePoints(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < codePoints.size(); ++i)
        appendCodePoint(out, lowerAt(codePoints, i));
    return out;
}

std::string upperFirst(std::string_view text)
{
    if (text.empty())
        return {};
    std::size_t pos = 0;
    const char32_t first = nextCodePoint(text, pos);
    std::string out;
    appendCodePoint(out, toTitle(first));
    out.append(text.substr(pos));
    return out;
}

std::string foldedUpperFirst(std::string_view text)
{
    if (text.empty())
        return {};
    std::size_t pos = 0;
    const char32_t first = nextCodePoint(text, pos);
    const char32_t folded = foldChar(first);
    std::string out;
    appendCodePoint(out, folded == 0 ? first : toTitle(folded));
    out.append(text.substr(pos));
    return out;
}

} // namespace tunvale::text::unicode
