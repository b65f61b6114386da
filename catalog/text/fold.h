#pragma once

// Accent folding, case folding, folded comparison and title case of 8-bit text, and the
// wide title case. Every compare, group and name step uses these and no other case rules.

#include <string>
#include <string_view>

namespace tunvale::text {

// The accent-folding table: bytes >= 0x80 become plain ASCII; others are unchanged.
char foldChar(char c);
bool isFoldedAlpha(char c);   // ASCII letter after folding
bool isFoldedAlnum(char c);   // ASCII letter or digit after folding
bool isFoldedDigit(char c);

// Case mapping of one Windows-1252 byte (ASCII, the accented letters, S/Z/OE with caron or
// ligature, y with diaeresis); other bytes are returned unchanged.
char cp1252ToUpper(char c);
char cp1252ToLower(char c);

// Folded, upper-cased comparison; difference of the first differing pair as signed 8-bit
// values, 0 when equal. compareFolded looks at most 520 characters.
int compareFolded(std::string_view a, std::string_view b);
int compareFoldedN(std::string_view a, std::string_view b, std::size_t n);
// First position of pattern in text ignoring case (first pattern character by lower case
// only, later ones folded and upper-cased); 0 for an empty pattern; npos when absent.
std::size_t containsFolded(std::string_view text, std::string_view pattern);

// Every character folded (bytes < 0x20 become '_'); characters after the first converted to
// upper (lower) case before folding, the first only folded.
std::string foldToUpper(std::string_view text);
std::string foldToLower(std::string_view text, std::size_t limit);   // at most limit - 2 characters

// 8-bit title case: all folded and lower case, first character upper case, and the first
// character of every space-delimited word of 4 characters or more upper case.
void titleCaseInPlace(std::string &text);
// Wide title case: trims spaces and underscores, lower case, then upper-cases the first
// character and the first character of every later word of 4 characters or more.
std::u16string titleCaseWide(std::u16string_view text);

// Wide case mapping of one UTF-16 unit, independent of the locale (Latin-1 and the common
// Latin Extended and Greek/Cyrillic ranges).
char16_t wideToUpper(char16_t unit);
char16_t wideToLower(char16_t unit);

} // namespace tunvale::text
