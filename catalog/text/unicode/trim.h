#pragma once

// Trims, bounded copies and appends of UTF-8 text: the Unicode forms of catalog/text/trim.h,
// with the same names and the same results on text that Windows-1252 can hold. Limits count
// characters (code points) and never cut a character in half: a cut that would fall inside one
// moves back to its start.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text::unicode {

inline constexpr std::size_t kTagTextCapacity = 1023;      // characters of a tag text field
inline constexpr std::size_t kBoundedAppendLimit = 1021;   // characters

// Skips leading blanks within the first limit characters, copies up to the end or limit
// characters, then removes trailing blanks. Blanks are code points up to 32 and, beyond
// Windows-1252, every Unicode space, separator and control.
std::string trimCopy(std::string_view text, std::size_t limit);
// Drops leading characters until the first letter or digit after folding, reads at most 1022
// characters, removes trailing characters that are not letters or digits except that a
// trailing " ' ( ) [ ] stops the removal. Marks belong to the letter before them.
std::string trimToAlphanumerics(std::string_view text);
// As trimToAlphanumerics, but only letters count at the start and at the end.
std::string trimToLetters(std::string_view text);
// Copies at most count characters and removes trailing blanks (the wide trim: leading blanks
// stay).
std::string trimWideEnd(std::string_view text, std::size_t count);

// At most n characters of text.
std::string boundedCopy(std::string_view text, std::size_t n);
// Appends and keeps the result at 1021 characters at most (a longer destination is cut).
void boundedAppend(std::string &destination, std::string_view text);

// True for an empty text and a text of spaces only (at most 4096 characters looked at).
bool isBlank(std::string_view text);

} // namespace tunvale::text::unicode
