#include "catalog/text/unicode/tag_text.h"

#include "catalog/text/codepage.h"
#include "catalog/text/tag_text.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"

namespace tunvale::text::unicode {

namespace {

unsigned char byteAt(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UTF-16 text up to its end or its first zero unit (an odd last byte is ignored).
std::string utf16BytesToTagText(std::string_view bytes, bool bigEndian, std::size_t limit)
{
    std::string out;
    out.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        const unsigned first = byteAt(bytes, i);
        const unsigned second = byteAt(bytes, i + 1);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit == 0)
            break;
        if (isHighSurrogate(unit) && i + 3 < bytes.size() && isLowSurrogate(unitAt(i + 2))) {
            appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
            i += 2;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendCodePoint(out, kReplacementCharacter);
        } else {
            appendCodePoint(out, unit);
        }
    }
    return trimCopy(normalizeNfc(out), limit);
}

bool hasHighByte(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

std::string utf8ToTagText(std::string_view utf8, std::size_t limit)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char byte = byteAt(utf8, pos);
        if (byte < 0x20 || byte == 0x7F)
            break;   // a control byte (NUL among them) ends the text
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        std::size_t next = pos;
        const std::int32_t codePoint = text::decodeUtf8(utf8, next);
        if (codePoint < 0) {
            // Not UTF-8 after all: the byte is a Windows-1252 character.
            appendCodePoint(out, text::cp1252ToUnit(byte));
            ++pos;
            continue;
        }
        pos = next;
        char32_t c = static_cast<char32_t>(codePoint);
        if (c == 0xA0)
            c = U' ';
        else if (c >= 0x80 && c <= 0x9F)
            c = text::cp1252ToUnit(static_cast<unsigned char>(c));   // Windows-1252 text encoded as if Latin-1
        appendCodePoint(out, c);
    }
    const std::string normalized = normalizeNfc(out);
    const std::string_view view = normalized;
    return trimCopy(view.substr(0, cutAtCharacters(view, limit)), limit);
}

std::string tagTextToUtf8(std::string_view bytes, std::size_t limit)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const unsigned char first = byteAt(bytes, i);
        const unsigned char second = byteAt(bytes, i + 1);
        if (first == 0xFF && second == 0xFE)
            return utf16BytesToTagText(bytes.substr(i + 2), false, limit);
        if (first == 0xFE && second == 0xFF)
            return utf16BytesToTagText(bytes.substr(i + 2), true, limit);
    }
    std::size_t start = 0;
    while (start < bytes.size() && byteAt(bytes, start) < 0x20)
        ++start;
    const std::string_view text = bytes.substr(start);
    if (text::looksLikeUtf16Le(text))
        return utf16BytesToTagText(text, false, limit);
    return utf8ToTagText(text, limit);
}

std::string cp1252ToTagText(std::string_view bytes, std::size_t limit)
{
    return trimCopy(text::cp1252ToUtf8(untilNul(bytes)), limit);
}

std::string utf8OrCp1252ToTagText(std::string_view bytes, std::size_t limit)
{
    bytes = untilNul(bytes);
    if (hasHighByte(bytes) && isValidUtf8(bytes))
        return trimCopy(normalizeNfc(bytes), limit);
    return cp1252ToTagText(bytes, limit);
}

std::u16string tagTextToWide(std::string_view utf8)
{
    constexpr std::size_t kWideLimit = 4092;
    utf8 = untilNul(utf8);
    if (utf8.empty() || (utf8.size() > kWideLimit && characterCount(utf8) > kWideLimit))
        return {};
    return utf8ToUtf16(trimCopy(utf8, kWideLimit));
}

} // namespace tunvale::text::unicode
