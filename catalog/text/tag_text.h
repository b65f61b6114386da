#pragma once

// Conversions of tag text arriving in other encodings into 8-bit Windows-1252 text, and of
// 8-bit text into wide text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text {

// Trim copy (limit 4092), then Windows-1252 to UTF-16; an empty or over-long input gives "".
std::u16string ansiToWide(std::string_view text);

// UTF-8 tag text to 8-bit: characters up to U+00FF keep their codes (a no-break space becomes a
// space), other characters take their Windows-1252 code (the euro sign 0x80, quotes, dashes)
// or '?'; bytes that do not form UTF-8 are kept as they are (Latin-1 text in a UTF-8 field);
// a control byte ends the text. At most limit characters, then trim copied.
std::string utf8To8bit(std::string_view utf8, std::size_t limit);

// Raw ID3v2 text bytes (after the encoding byte) to 8-bit: a byte-order mark anywhere selects
// UTF-16 LE/BE from there; without one, text with at least half its odd bytes zero is UTF-16 LE,
// anything else UTF-8 (so NUL-terminated or NUL-separated UTF-8 values stay UTF-8). UTF-16
// ends at its first zero unit and goes through our Windows-1252 table ('?' for what it lacks).
std::string tagTextTo8bit(std::string_view bytes, std::size_t limit = 1023);

// Text without a byte-order mark is taken as UTF-16 little-endian when at least half of its
// odd bytes are zero, as the high bytes of Latin text are. Trailing zero bytes are
// terminators and do not count, so NUL-terminated or NUL-separated UTF-8 values (ID3v2.4
// writes both) stay UTF-8.
bool looksLikeUtf16Le(std::string_view bytes);

} // namespace tunvale::text
