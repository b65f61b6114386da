#pragma once

// Case and accent folding of UTF-8 text, folded comparison and title case: the Unicode forms
// of the 8-bit rules of catalog/text/fold.h, with the same names and the same results on
// text that Windows-1252 can hold. Characters are code points (see utf8.h); a diacritical
// mark that folding drops takes no place in a comparison or a folded text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text::unicode {

// Folded, upper-cased comparison; the difference of the code points of the first differing
// pair, 0 when equal. compareFolded looks at most 520 characters.
int compareFolded(std::string_view a, std::string_view b);
int compareFoldedN(std::string_view a, std::string_view b, std::size_t n);
// Byte offset of the first place where pattern occurs in text ignoring case (the first
// pattern character compared in lower case only, the later ones folded and upper-cased); 0
// for an empty pattern; npos when absent.
std::size_t containsFolded(std::string_view text, std::string_view pattern);

// Every character folded (controls become '_'); characters after the first converted to
// upper (lower) case before folding, the first only folded.
std::string foldToUpper(std::string_view text);
std::string foldToLower(std::string_view text, std::size_t limit);   // reads at most limit - 2 characters

// Title case of the 8-bit form: every character folded and in lower case, then the first
// character and the first character of every space-delimited word of 4 characters or more
// in title case.
void titleCaseInPlace(std::string &text);
// Title case of the wide form (accents kept): trims spaces and underscores, lower case, then
// the first character and the first of every later word of 4 characters or more in title
// case.
std::string titleCase(std::string_view text);

// Lower case of a whole text; a capital sigma that ends a word becomes the final sigma.
std::string lowerCase(std::string_view text);

// The first character in title case (the wide "first character in upper case").
std::string upperFirst(std::string_view text);
// The first character folded and in upper case, the rest unchanged.
std::string foldedUpperFirst(std::string_view text);

} // namespace tunvale::text::unicode
