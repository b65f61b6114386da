#pragma once

// Conversions between libid3tag's UCS-4 strings and our UTF-16 text.

#include <cstddef>
#include <string>
#include <string_view>

#include <id3tag.h>

namespace tunvale::formats {

using Ucs4String = std::basic_string<id3_ucs4_t>;

// UTF-16 to UCS-4: surrogate pairs combined, a lone surrogate becomes U+FFFD.
Ucs4String utf16ToUcs4(std::u16string_view text);

// UCS-4 to UTF-16 into out; false (out emptied) when the text needs more than maxUnits code
// units. Code points outside Unicode become U+FFFD. A null pointer is an empty text.
bool ucs4ToUtf16(const id3_ucs4_t *text, std::size_t maxUnits, std::u16string &out);

} // namespace tunvale::formats
