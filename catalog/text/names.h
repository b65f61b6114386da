#pragma once

// File-name safe replacement, name separators and the 40-character shortening.

#include <string>
#include <string_view>
#include <vector>

namespace tunvale::text {

// The name separators "-,;\/|".
bool isNameSeparator(char c);
// Positions of name separators in text, at most 16.
std::vector<std::size_t> separatorPositions(std::string_view text);

// " < > become '; * ? and control characters (C0, DEL, C1) become a space; / \ | become ,;
// : becomes ;.
// A name of dots only ("." or "..") becomes underscores, so it never names a folder's parent.
std::u16string fileNameSafe(std::u16string_view text);

// Shortens an artist or composer of more than 40 characters at a space, comma or period and
// appends "...".
void shortenTo40(std::string &text);

} // namespace tunvale::text
