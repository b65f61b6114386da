#pragma once

// Raw tag text to UTF-8: the Unicode forms of catalog/text/tag_text.h. The same encodings are
// recognized in the same way, but every character is kept (nothing becomes '?'), and the text
// is put in NFC so that a composed and a decomposed "é" read alike. On text that Windows-1252
// can hold the results are those of the 8-bit conversions.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text::unicode {

// UTF-8 field text (Vorbis comments, ID3v2 encoding 3): a control byte ends the text; bytes
// that do not form UTF-8 are read as Windows-1252 (Latin-1 text in a UTF-8 field is common);
// a no-break space becomes a space; a C1 control (U+0080..U+009F) is the Windows-1252
// character of that byte (Windows-1252 text converted to UTF-8 as if it were Latin-1). At most
// limit characters, then trim copied.
std::string utf8ToTagText(std::string_view utf8, std::size_t limit = 1023);

// Raw ID3v2 text bytes (after the encoding byte): a byte-order mark anywhere selects UTF-16
// LE/BE from there; without one, text with at least half its odd bytes zero is UTF-16 LE,
// anything else UTF-8 as above. UTF-16 ends at its first zero unit; a lone surrogate becomes
// U+FFFD. Trim copied to limit characters.
std::string tagTextToUtf8(std::string_view bytes, std::size_t limit = 1023);

// Windows-1252 field text (ISO-8859-1 frames, ID3v1): up to its first NUL, trim copied.
std::string cp1252ToTagText(std::string_view bytes, std::size_t limit = 1023);

// Text of unknown encoding (RIFF INFO): UTF-8 when it is valid UTF-8 and holds a byte above
// 0x7F, Windows-1252 otherwise. Up to its first NUL, trim copied.
std::string utf8OrCp1252ToTagText(std::string_view bytes, std::size_t limit = 1023);

// Tag text to wide text for the catalog: up to its first NUL, trim copied; empty when that is
// empty or longer than 4092 characters.
std::u16string tagTextToWide(std::string_view utf8);

} // namespace tunvale::text::unicode
