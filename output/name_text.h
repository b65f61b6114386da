#pragma once

// Helpers shared by the name builders and placement: wide text of paths, the letter and digit
// tests of name building, and byte lengths of names.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tunvale::output {

// The longest file name component the builders produce, in UTF-8 bytes: 255 (the usual file
// system limit) less room for a collision suffix "(63)" and an extension such as ".flac".
inline constexpr std::size_t kMaxComponentBytes = 255;
inline constexpr std::size_t kMaxBuiltNameBytes = 240;

// Path <-> UTF-16 without throwing: invalid UTF-8 in a POSIX path becomes U+FFFD.
std::u16string pathToText(const std::filesystem::path &path);
std::filesystem::path pathFromText(std::u16string_view text);
// pathToText(path.filename()), read from the path's spelling when its last component follows a
// separator: filename() builds a path of its own, which placement would pay for every file.
std::u16string fileNameText(const std::filesystem::path &path);

// A path's spelling, for reading its components without building a path for each.
using PathText = std::basic_string_view<std::filesystem::path::value_type>;
bool isPathSeparator(std::filesystem::path::value_type c);
// Where the last component of a spelling starts: just after its last separator, 0 when it has
// none (text.size() when it ends in one).
std::size_t lastComponentStart(PathText text);

// Letter and digit tests of name building: a letter or digit of any script after accent
// folding (a combining mark goes with its letter; a unit of a surrogate pair counts as a
// letter).
bool isNameLetter(char16_t unit);
bool isNameDigit(char16_t unit);
bool isNameAlnum(char16_t unit);

// Case-insensitive (ASCII and Latin-1) equality of two wide texts.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

// The extension of a file name (from its last '.', with the dot) in ASCII lower case; empty
// when the name has no extension. A leading dot alone does not start an extension.
std::u16string lowerExtension(std::u16string_view fileName);

// UTF-8 length of wide text (a surrogate pair counts 4 bytes).
std::size_t utf8Length(std::u16string_view text);
// The longest prefix of text whose UTF-8 form fits in maxBytes, never cutting a character
// (a letter keeps its marks, a surrogate pair stays whole).
std::u16string_view utf8Prefix(std::u16string_view text, std::size_t maxBytes);

} // namespace tunvale::output
