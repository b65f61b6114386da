#include "catalog/text/tag_text.h"

#include "catalog/text/codepage.h"
#include "catalog/text/trim.h"

#include <algorithm>

namespace tunvale::text {

namespace {

constexpr std::size_t kWideLimit = 4092;

unsigned char byteAt(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

// UTF-16 text up to its end or its first zero unit (an odd last byte is ignored), converted
// through our Windows-1252 table: Latin-1 keeps its codes, other characters become '?'.
std::string utf16BytesTo8bit(std::string_view bytes, bool bigEndian, std::size_t limit)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = byteAt(bytes, i);
        const unsigned second = byteAt(bytes, i + 1);
        const auto unit = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return trimCopy(utf16ToCp1252(units), limit);
}

} // namespace

bool looksLikeUtf16Le(std::string_view bytes)
{
    std::size_t end = bytes.size();
    while (end > 0 && bytes[end - 1] == '\0')
        --end;
    std::size_t oddBytes = 0;
    std::size_t zeroOddBytes = 0;
    bool anyZero = false;
    for (std::size_t i = 0; i < end; ++i) {
        const bool zero = bytes[i] == '\0';
        anyZero = anyZero || zero;
        if (i % 2 == 1) {
            ++oddBytes;
            if (zero)
                ++zeroOddBytes;
        }
    }
    return anyZero && zeroOddBytes * 2 >= oddBytes;
}

std::u16string ansiToWide(std::string_view text)
{
    text = untilNul(text);
    if (text.empty() || text.size() > kWideLimit)
        return {};
    return cp1252ToUtf16(trimCopy(text, kWideLimit));
}

std::string utf8To8bit(std::string_view utf8, std::size_t limit)
{
    std::string out;
    out.reserve(std::min(utf8.size(), limit));
    std::size_t pos = 0;
    while (pos < utf8.size() && out.size() < limit) {
        const unsigned char byte = byteAt(utf8, pos);
        if (byte < 0x20 || byte == 0x7F)
            break;   // a control byte (NUL among them) ends the text
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        std::size_t next = pos;
        const std::int32_t codePoint = decodeUtf8(utf8, next);
        if (codePoint < 0) {
            // Not UTF-8 after all (Latin-1 text in a UTF-8 frame is common): keep the byte.
            out.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        pos = next;
        if (codePoint == 0xA0)
            out.push_back(' ');
        else if (codePoint <= 0xFF)
            out.push_back(static_cast<char>(codePoint));   // Latin-1 and the C1 range as bytes
        else if (codePoint <= 0xFFFF)
            out.push_back(cp1252FromUnit(static_cast<char16_t>(codePoint)));   // euro sign to 0x80, ...
        else
            out.push_back('?');
    }
    return trimCopy(out, limit);
}

std::string tagTextTo8bit(std::string_view bytes, std::size_t limit)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const unsigned char first = byteAt(bytes, i);
        const unsigned char second = byteAt(bytes, i + 1);
        if (first == 0xFF && second == 0xFE)
            return utf16BytesTo8bit(bytes.substr(i + 2), false, limit);
        if (first == 0xFE && second == 0xFF)
            return utf16BytesTo8bit(bytes.substr(i + 2), true, limit);
    }
    std::size_t start = 0;
    while (start < bytes.size() && byteAt(bytes, start) < 0x20)
        ++start;
    const std::string_view text = bytes.substr(start);
    if (looksLikeUtf16Le(text))
        return utf16BytesTo8bit(text, false, limit);
    return utf8To8bit(text, limit);
}

} // namespace tunvale::text
