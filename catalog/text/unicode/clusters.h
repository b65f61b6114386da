#pragma once

// Where text may be cut: between user-perceived characters (extended grapheme clusters), so
// that a cut never leaves a letter without its accents, splits a Hangul syllable of jamo or an
// emoji sequence, or separates a flag's two halves. Control characters stand alone, CR and LF
// included, so that cuts on Windows-1252 text fall where the 8-bit rules cut.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tunvale::text::unicode {

// Feed it the code points of a text in order: it tells whether a cut may fall between each
// one and the next.
class ClusterBreaker {
public:
    // True when a cut may fall between previous and next (the code point just before it).
    bool breakBetween(char32_t previous, char32_t next)
    {
        // Below U+0300 there are no marks, joiners, jamo or pictographic sequences: every
        // boundary is a cut point (CR LF too, by the rule above).
        if (previous < 0x300 && next < 0x300) {
            m_state = 0;
            return true;
        }
        return breakSlow(previous, next);
    }
    void reset() { m_state = 0; }

private:
    bool breakSlow(char32_t previous, char32_t next);
    std::int32_t m_state = 0;
};

// Byte offset of the longest start of text that holds at most maxCharacters code points and
// ends on a cut point.
std::size_t cutAtCharacters(std::string_view utf8, std::size_t maxCharacters);
// Byte offset of the longest start of text of at most maxBytes bytes that ends on a cut point.
std::size_t cutAtBytes(std::string_view utf8, std::size_t maxBytes);

// Index of the last cut point at or before index in the code points (0..size); index itself
// when it is one.
std::size_t cutPointAtOrBefore(std::u32string_view codePoints, std::size_t index);

} // namespace tunvale::text::unicode
