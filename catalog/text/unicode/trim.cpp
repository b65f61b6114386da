#include "catalog/text/unicode/trim.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/utf8.h"

#include <algorithm>

namespace tunvale::text::unicode {

namespace {

constexpr std::size_t kTrimSourceLimit = 1022;

// A trailing quotation mark, apostrophe, parenthesis or square bracket belongs to the name
// ("Live (1999)", "'Round Midnight'") and ends the removal of trailing characters.
bool keepsTrailing(char32_t c)
{
    return c == U'"' || c == U'\'' || c == U'(' || c == U')' || c == U'[' || c == U']';
}

bool isSpace(char32_t codePoint) { return codePoint == U' ' || (codePoint > 0xFF && isSpaceOrControl(codePoint)); }

// Whether codePoints[i] counts for the trim: a mark or joiner counts as the character it
// belongs to.
template <typename Counts>
bool countsAt(std::u32string_view codePoints, std::size_t i, Counts counts)
{
    while (i > 0 && isWordJoining(codePoints[i]))
        --i;
    return !isWordJoining(codePoints[i]) && counts(codePoints[i]);
}

template <typename Counts>
std::string trimTo(std::string_view text, Counts counts)
{
    text = untilNul(text);
    text = text.substr(0, cutAtCharacters(text, kTrimSourceLimit));
    const DecodedText decoded = decodeWithOffsets(text);
    const std::u32string_view codePoints = decoded.codePoints;
    std::size_t begin = 0;
    while (begin < codePoints.size() && (isWordJoining(codePoints[begin]) || !counts(codePoints[begin])))
        ++begin;
    if (begin == codePoints.size())
        return {};
    std::size_t end = codePoints.size();
    while (end > begin && !countsAt(codePoints, end - 1, counts) && !keepsTrailing(codePoints[end - 1]))
        --end;
    return std::string(text.substr(decoded.offsets[begin], decoded.offsets[end] - decoded.offsets[begin]));
}

// Offset of the end of text once its trailing blanks are removed (never before begin).
std::size_t withoutTrailingBlanks(std::string_view text, std::size_t begin)
{
    const DecodedText decoded = decodeWithOffsets(text.substr(begin));
    std::size_t end = decoded.codePoints.size();
    while (end > 0 && isSpaceOrControl(decoded.codePoints[end - 1]))
        --end;
    return begin + decoded.offsets[end];
}

} // namespace

std::string trimCopy(std::string_view text, std::size_t limit)
{
    text = untilNul(text);
    std::size_t begin = 0;
    std::size_t skipped = 0;
    while (begin < text.size() && skipped < limit) {
        std::size_t next = begin;
        if (!isSpaceOrControl(nextCodePoint(text, next)))
            break;
        begin = next;
        ++skipped;
    }
    const std::string_view rest = text.substr(begin);
    const std::string_view copied = rest.substr(0, cutAtCharacters(rest, limit));
    return std::string(copied.substr(0, withoutTrailingBlanks(copied, 0)));
}

std::string trimToAlphanumerics(std::string_view text)
{
    return trimTo(text, [](char32_t c) { return isFoldedAlnum(c); });
}

std::string trimToLetters(std::string_view text)
{
    return trimTo(text, [](char32_t c) { return isFoldedAlpha(c); });
}

std::string trimWideEnd(std::string_view text, std::size_t count)
{
    const std::string_view copied = text.substr(0, cutAtCharacters(text, count));
    return std::string(copied.substr(0, withoutTrailingBlanks(copied, 0)));
}

std::string boundedCopy(std::string_view text, std::size_t n)
{
    text = untilNul(text);
    // A character takes at least one byte: a text of at most n bytes is never cut.
    if (text.size() <= n)
        return std::string(text);
    return std::string(text.substr(0, cutAtCharacters(text, n)));
}

void boundedAppend(std::string &destination, std::string_view text)
{
    destination.resize(untilNul(destination).size());
    text = untilNul(text);
    // A character takes at least one byte: what fits in bytes fits in characters.
    if (destination.size() + text.size() < kBoundedAppendLimit) {
        destination.append(text);
        return;
    }
    const std::size_t present = characterCount(destination);
    if (present >= kBoundedAppendLimit) {
        destination.resize(cutAtCharacters(destination, kBoundedAppendLimit));
        return;
    }
    destination.append(text.substr(0, cutAtCharacters(text, kBoundedAppendLimit - present)));
}

bool isBlank(std::string_view text)
{
    text = untilNul(text);
    std::size_t looked = 0;
    for (std::size_t pos = 0; pos < text.size() && looked < kMaxMeasuredCharacters; ++looked) {
        if (!isSpace(nextCodePoint(text, pos)))
            return false;
    }
    return true;
}

} // namespace tunvale::text::unicode
