#pragma once

// Conversions of tag text arriving in other encodings into 8-bit Windows-1252 text, and of
// 8-bit text into wide text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text {

// Trim copy (limit 4092), then Windows-1252 to UTF-16; an empty or over-long input gives "".
std::u16string ansiToWide(std::string_view text);

// UTF-8 tag text to 8-bit: euro sign to 0x80, two-byte sequences to their low 8 bits (no-break
// space to a space), control bytes end the text, other high bytes copied; at most limit
// characters, then trim copied.
std::string utf8To8bit(std::string_view utf8, std::size_t limit);

// Raw ID3v2 text bytes (after the encoding byte) to 8-bit: a byte-order mark anywhere selects
// UTF-16 LE/BE; without one, a NUL byte means UTF-16 LE, otherwise UTF-8.
std::string tagTextTo8bit(std::string_view bytes, std::size_t limit = 1023);

} // namespace tunvale::text
