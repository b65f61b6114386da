#pragma once

// Name separators, file-name safe replacement, the 40-character shortening and the byte
// limit of file and folder names, on UTF-8 text: the Unicode forms of catalog/text/names.h,
// with the same results on text that Windows-1252 can hold.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::text::unicode {

// Longest file or folder name, in bytes of UTF-8 (the common limit of Linux and macOS file
// systems; Windows counts 255 UTF-16 units, which a name of 255 bytes never exceeds).
inline constexpr std::size_t kMaxNameBytes = 255;

// The name separators "-,;\/|", and their full-width, ideographic and Arabic forms
// (，、；／＼｜－ ، ؛).
bool isNameSeparator(char32_t codePoint);

struct SeparatorPosition {
    std::size_t character = 0;   // index of the separator among the text's characters
    std::size_t byte = 0;        // its byte offset
};
// Positions of name separators in text, at most 16.
std::vector<SeparatorPosition> separatorPositions(std::string_view text);

// What file systems refuse, mapped: " < > become '; * ? and control characters (C0, DEL,
// C1) become a space; / \ | become ,; : becomes ;. Every other character, of any script,
// stays. A name of dots only ("." or "..") becomes underscores, so it never names a folder
// or its parent. The result is valid UTF-8 (an invalid sequence becomes U+FFFD).
std::string fileNameSafe(std::string_view text);

// Shortens an artist or composer of more than 40 characters at a space, comma or period (or
// their ideographic and full-width forms) and appends "...".
void shortenTo40(std::string &text);

// The longest start of a name that fits in maxBytes bytes without cutting a character; a
// result of dots only becomes underscores, as in fileNameSafe.
std::string fitNameBytes(std::string_view name, std::size_t maxBytes = kMaxNameBytes);

} // namespace tunvale::text::unicode
