#include "catalog/text/unicode/clusters.h"

#include "catalog/text/unicode/utf8.h"

#include <utf8proc.h>

namespace tunvale::text::unicode {

bool ClusterBreaker::breakSlow(char32_t previous, char32_t next)
{
    const bool cut = utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                                      static_cast<utf8proc_int32_t>(next), &m_state);
    // The state may be cleared after a cut; the next pair is then judged from its own classes.
    if (cut)
        m_state = 0;
    return cut;
}

namespace {

// Walks the text and returns the offset of the last cut point whose position (counted by
// measure: characters or bytes) does not pass the limit.
template <typename Measure>
std::size_t cutWithin(std::string_view utf8, std::size_t limit, Measure measure)
{
    ClusterBreaker breaker;
    std::size_t lastCut = 0;
    std::size_t pos = 0;
    std::size_t characters = 0;
    char32_t previous = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t current = nextCodePoint(utf8, pos);
        if (characters > 0 && breaker.breakBetween(previous, current))
            lastCut = start;
        ++characters;
        if (measure(characters, pos) > limit)
            return lastCut;
        previous = current;
    }
    return utf8.size();
}

} // namespace

std::size_t cutAtCharacters(std::string_view utf8, std::size_t maxCharacters)
{
    return cutWithin(utf8, maxCharacters, [](std::size_t characters, std::size_t) { return characters; });
}

std::size_t cutAtBytes(std::string_view utf8, std::size_t maxBytes)
{
    return cutWithin(utf8, maxBytes, [](std::size_t, std::size_t bytes) { return bytes; });
}

std::size_t cutPointAtOrBefore(std::u32string_view codePoints, std::size_t index)
{
    if (index == 0 || index >= codePoints.size())
        return index >= codePoints.size() ? codePoints.size() : 0;
    ClusterBreaker breaker;
    std::size_t lastCut = 0;
    for (std::size_t i = 1; i <= index; ++i) {
        if (breaker.breakBetween(codePoints[i - 1], codePoints[i]))
            lastCut = i;
    }
    return lastCut;
}

} // namespace tunvale::text::unicode
