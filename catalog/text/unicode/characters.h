#pragma once

// One code point at a time: accent folding, letter and digit classes, and case mapping.
//
// Characters that Windows-1252 holds follow the 8-bit rules exactly (the accent-folding table
// and the code page's own case pairs), so that results on such text stay byte for byte what
// they were. Every other character follows Unicode:
// - accent folding takes the canonical decomposition and drops its diacritical marks (the
//   combining diacritics shared by Latin, Greek and Cyrillic, Hebrew points and Arabic
//   vowel signs); a few letters without a decomposition map through a small table (Ł to L,
//   Đ to D, ı to i ...). Marks that make a different letter of their script (kana voicing,
//   Indic vowel signs and viramas ...) stay, and no letter ever becomes a letter of another
//   script;
// - a letter of any script is a letter, a decimal digit of any script (and a letter-like
//   number such as a Roman numeral) is a digit;
// - case mapping is Unicode's simple mapping; scripts without case stay as they are.

#include <cstdint>

namespace tunvale::text::unicode {

// The Windows-1252 byte of a code point, or -1 when the code page does not hold it. The five
// bytes the code page leaves unassigned stand for the C1 controls of the same value.
int cp1252ByteOf(char32_t codePoint);
inline bool isCp1252(char32_t codePoint) { return cp1252ByteOf(codePoint) >= 0; }

namespace detail {
char32_t foldCharSlow(char32_t codePoint);
bool isFoldedAlphaSlow(char32_t codePoint);
bool isFoldedDigitSlow(char32_t codePoint);
bool isWordJoiningSlow(char32_t codePoint);
char32_t toUpperSlow(char32_t codePoint);
char32_t toLowerSlow(char32_t codePoint);
char32_t toTitleSlow(char32_t codePoint);
char32_t caseFoldSlow(char32_t codePoint);
inline bool isAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }
inline bool isAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
inline char32_t asciiUpper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 0x20 : c; }
inline char32_t asciiLower(char32_t c) { return (c >= U'A' && c <= U'Z') ? c + 0x20 : c; }
} // namespace detail

// The functions below take ASCII inline: names are mostly ASCII, and grouping and intake run
// them for every character of every entry.

// Accent folding of one code point; 0 when the code point is a diacritical mark that folding
// drops. Windows-1252 characters fold through the 8-bit table, to plain ASCII.
inline char32_t foldChar(char32_t codePoint)
{
    return codePoint < 0x80 ? codePoint : detail::foldCharSlow(codePoint);
}

// Letter, digit, letter or digit, after folding.
inline bool isFoldedAlpha(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::isAsciiLetter(codePoint) : detail::isFoldedAlphaSlow(codePoint);
}
inline bool isFoldedDigit(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::isAsciiDigit(codePoint) : detail::isFoldedDigitSlow(codePoint);
}
inline bool isFoldedAlnum(char32_t codePoint)
{
    if (codePoint < 0x80)
        return detail::isAsciiLetter(codePoint) || detail::isAsciiDigit(codePoint);
    return detail::isFoldedAlphaSlow(codePoint) || detail::isFoldedDigitSlow(codePoint);
}

// A combining mark (Mn, Mc, Me) or a zero-width joiner or non-joiner: it belongs to the
// character before it, inside a word as much as the letter it follows.
inline bool isWordJoining(char32_t codePoint) { return codePoint >= 0x0300 && detail::isWordJoiningSlow(codePoint); }

// Spaces, controls and other blanks that trims remove: code points up to 32 and, beyond
// Windows-1252, every space separator, line and paragraph separator and control.
bool isSpaceOrControl(char32_t codePoint);

// Case mapping. toTitle is the form for the first letter of a word (Dž for the digraph DŽ,
// Georgian letters unchanged). caseFold gives one form for all cases of a letter (final
// sigma and sigma alike), for keys compared without regard to case.
inline char32_t toUpper(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::asciiUpper(codePoint) : detail::toUpperSlow(codePoint);
}
inline char32_t toLower(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::asciiLower(codePoint) : detail::toLowerSlow(codePoint);
}
inline char32_t toTitle(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::asciiUpper(codePoint) : detail::toTitleSlow(codePoint);
}
inline char32_t caseFold(char32_t codePoint)
{
    return codePoint < 0x80 ? detail::asciiLower(codePoint) : detail::caseFoldSlow(codePoint);
}

// A character of the scripts written without spaces between words (Han, Hiragana, Katakana):
// a space between two of them is a spelling variant, not a word boundary.
bool isIdeographic(char32_t codePoint);

} // namespace tunvale::text::unicode
