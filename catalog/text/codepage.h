#pragma once

// Windows-1252 is the 8-bit code page of every tag text on every platform. Conversions go
// through our own tables, never through the machine's locale, so results are the same
// everywhere. Characters Windows-1252 cannot show become '?'.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tunvale::text {

// One Windows-1252 byte to its UTF-16 unit (the five unassigned bytes map to themselves).
char16_t cp1252ToUnit(unsigned char byte);
// One UTF-16 unit to its Windows-1252 byte, or '?' when the code page has no such character.
char cp1252FromUnit(char16_t unit);

std::u16string cp1252ToUtf16(std::string_view cp1252);
std::string utf16ToCp1252(std::u16string_view utf16);   // surrogate pairs become one '?'
std::string cp1252ToUtf8(std::string_view cp1252);
std::string utf8ToCp1252(std::string_view utf8);        // invalid sequences become '?'

// UTF-8 <-> UTF-16 for paths, JSON and library strings (invalid input becomes U+FFFD).
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Decodes the UTF-8 sequence at utf8[pos] (pos < size) and advances pos past it. An invalid,
// overlong, truncated or surrogate sequence gives -1 and advances pos by one byte only.
std::int32_t decodeUtf8(std::string_view utf8, std::size_t &pos);

} // namespace tunvale::text
