#include "formats/mp3/ucs4_text.h"

namespace tunvale::formats {

namespace {
constexpr id3_ucs4_t kReplacement = 0xFFFD;
bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
} // namespace

Ucs4String utf16ToUcs4(std::u16string_view text)
{
    Ucs4String result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            result.push_back(0x10000 + ((static_cast<id3_ucs4_t>(unit) - 0xD800) << 10) +
                             (static_cast<id3_ucs4_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            result.push_back(kReplacement);
        } else {
            result.push_back(unit);
        }
    }
    return result;
}

bool ucs4ToUtf16(const id3_ucs4_t *text, std::size_t maxUnits, std::u16string &out)
{
    out.clear();
    if (!text)
        return true;
    for (; *text; ++text) {
        id3_ucs4_t c = *text;
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = kReplacement;
        const std::size_t units = c >= 0x10000 ? 2 : 1;
        if (out.size() + units > maxUnits) {
            out.clear();
            return false;
        }
        if (units == 2) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return true;
}

} // namespace tunvale::formats
