#pragma once

// UTF-8 text as the Unicode text rules read it: code points one at a time, the length rule in
// characters, and the normalization of tag text to NFC.
//
// Throughout the Unicode rules a character is a code point of NFC text: on text that
// Windows-1252 can hold, characters and 8-bit bytes correspond one to one, so every limit
// keeps its value. A cut that produces text never separates a character from the marks and
// joiners that belong to it (see clusters.h).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::text::unicode {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::size_t kMaxMeasuredCharacters = 4096;   // lengths stop here

namespace detail {
char32_t decodeMultiByte(std::string_view text, std::size_t &pos);
void appendMultiByte(std::string &out, char32_t codePoint);
} // namespace detail

// Decodes the code point at text[pos] (pos < size) and advances pos past it. An invalid,
// overlong, truncated or surrogate sequence gives U+FFFD and advances pos by one byte.
inline char32_t nextCodePoint(std::string_view text, std::size_t &pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    return detail::decodeMultiByte(text, pos);
}

// Appends the UTF-8 form of a code point (a surrogate or a value past U+10FFFF as U+FFFD).
inline void appendCodePoint(std::string &out, char32_t codePoint)
{
    if (codePoint < 0x80)
        out.push_back(static_cast<char>(codePoint));
    else
        detail::appendMultiByte(out, codePoint);
}

std::u32string toCodePoints(std::string_view utf8);
std::string toUtf8(std::u32string_view codePoints);

// The code points of a text with the byte offset where each starts; offsets has one more
// entry, the text's size.
struct DecodedText {
    std::u32string codePoints;
    std::vector<std::size_t> offsets;
};
DecodedText decodeWithOffsets(std::string_view utf8);

bool isValidUtf8(std::string_view text);

// Number of code points (an invalid byte counts as one).
std::size_t characterCount(std::string_view utf8);

// The text up to its first NUL, as the 8-bit rules read C-string text.
std::string_view untilNul(std::string_view text);

// The length rule: the text up to its first NUL, or empty when that holds more than 4096
// characters (an over-long text counts as length 0).
std::string_view measuredText(std::string_view utf8);
// Characters of the measured text.
std::size_t boundedLength(std::string_view utf8);

// Text read from a tag, made comparable: invalid sequences become U+FFFD, and the text is
// put in Normalization Form C, so that a composed and a decomposed "é" are the same text.
std::string normalizeNfc(std::string_view text);

} // namespace tunvale::text::unicode
