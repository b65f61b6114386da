#include "catalog/text/trim.h"

#include "catalog/text/fold.h"

#include <algorithm>

namespace tunvale::text {

namespace {

constexpr std::size_t kTrimSourceLimit = 1022;

bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// A trailing quotation mark, apostrophe, parenthesis or square bracket belongs to the name
// ("Live (1999)", "'Round Midnight'") and ends the removal of trailing characters.
bool keepsTrailing(char c)
{
    return c == '"' || c == '\'' || c == '(' || c == ')' || c == '[' || c == ']';
}

template <typename Counts>
std::string trimTo(std::string_view text, Counts counts)
{
    text = untilNul(text);
    if (text.size() > kTrimSourceLimit)
        text = text.substr(0, kTrimSourceLimit);
    std::size_t begin = 0;
    while (begin < text.size() && !counts(text[begin]))
        ++begin;
    if (begin == text.size())
        return {};
    std::size_t end = text.size();
    while (end > begin && !counts(text[end - 1]) && !keepsTrailing(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

} // namespace

std::size_t boundedLength(const char *text)
{
    if (text == nullptr)
        return 0;
    // Byte by byte, so that a short buffer is never read past its terminator.
    for (std::size_t i = 0; i <= kMaxMeasuredLength; ++i) {
        if (text[i] == '\0')
            return i;
    }
    return 0;
}

std::string trimCopy(std::string_view text, std::size_t limit)
{
    text = untilNul(text);
    std::size_t begin = 0;
    while (begin < text.size() && begin < limit && isSpaceOrControl(text[begin]))
        ++begin;
    std::size_t end = begin + std::min(limit, text.size() - begin);
    while (end > begin && isSpaceOrControl(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string trimToAlphanumerics(std::string_view text) { return trimTo(text, isFoldedAlnum); }

std::string trimToLetters(std::string_view text) { return trimTo(text, isFoldedAlpha); }

std::u16string trimWideEnd(std::u16string_view text, std::size_t count)
{
    std::size_t end = std::min(count, text.size());
    while (end > 0 && text[end - 1] <= 32)
        --end;
    return std::u16string(text.substr(0, end));
}

std::string boundedCopy(std::string_view text, std::size_t n)
{
    text = untilNul(text);
    return std::string(text.substr(0, std::min(n, text.size())));
}

void boundedAppend(std::string &destination, std::string_view text)
{
    const std::size_t nul = destination.find('\0');
    if (nul != std::string::npos)
        destination.resize(nul);
    if (destination.size() >= kBoundedAppendLimit) {
        destination.resize(kBoundedAppendLimit);
        return;
    }
    text = untilNul(text);
    const std::size_t room = kBoundedAppendLimit - destination.size();
    destination.append(text.substr(0, std::min(room, text.size())));
}

bool isBlank(std::string_view text)
{
    text = untilNul(text);
    const std::size_t looked = std::min(text.size(), kMaxMeasuredLength);
    for (std::size_t i = 0; i < looked; ++i) {
        if (text[i] != ' ')
            return false;
    }
    return true;
}

} // namespace tunvale::text
