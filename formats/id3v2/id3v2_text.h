#pragma once

// Text inside ID3v2 frames: encoding byte 0 (ISO-8859-1), 1 (UTF-16 with byte-order mark),
// 2 (UTF-16BE) or 3 (UTF-8), strings ended by one NUL byte (0, 3) or two (1, 2).

#include "formats/audio/byte_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tunvale::formats::id3v2 {

// Splits bytes at the first terminator of the encoding: head before it, rest after it; no
// terminator gives the whole as head and an empty rest.
void splitTerminated(std::uint8_t encoding, ByteSpan bytes, ByteSpan &head, ByteSpan &rest);

// Text up to its terminator as UTF-8 (NFC) of at most 1023 characters, trimmed. ISO-8859-1
// text is read as Windows-1252, as players do.
std::string decodeText(std::uint8_t encoding, ByteSpan bytes);

// The unsigned decimal number at the start of text after leading spaces; 0 when there is
// none; saturates at the largest signed 32-bit number.
std::uint32_t leadingNumber(std::string_view text);

} // namespace tunvale::formats::id3v2
