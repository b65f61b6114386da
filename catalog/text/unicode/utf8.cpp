#include "catalog/text/unicode/utf8.h"

#include "catalog/text/codepage.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

namespace tunvale::text::unicode {

namespace {

// Code points below U+0300 are all in Normalization Form C and never compose with one
// another, so text made of them only needs no normalization.
constexpr unsigned char kFirstLeadAtCombiningMarks = 0xCC;   // lead byte of U+0300

struct FreeDeleter {
    void operator()(utf8proc_uint8_t *p) const { std::free(p); }
};

// The text with every invalid sequence replaced by U+FFFD.
std::string repaired(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();)
        appendCodePoint(out, nextCodePoint(text, pos));
    return out;
}

} // namespace

namespace detail {

char32_t decodeMultiByte(std::string_view text, std::size_t &pos)
{
    const std::int32_t codePoint = text::decodeUtf8(text, pos);
    return codePoint < 0 ? kReplacementCharacter : static_cast<char32_t>(codePoint);
}

void appendMultiByte(std::string &out, char32_t codePoint)
{
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = kReplacementCharacter;
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace detail

std::u32string toCodePoints(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();)
        out.push_back(nextCodePoint(utf8, pos));
    return out;
}

std::string toUtf8(std::u32string_view codePoints)
{
    std::string out;
    out.reserve(codePoints.size());
    for (const char32_t codePoint : codePoints)
        appendCodePoint(out, codePoint);
    return out;
}

DecodedText decodeWithOffsets(std::string_view utf8)
{
    DecodedText decoded;
    decoded.codePoints.reserve(utf8.size());
    decoded.offsets.reserve(utf8.size() + 1);
    for (std::size_t pos = 0; pos < utf8.size();) {
        decoded.offsets.push_back(pos);
        decoded.codePoints.push_back(nextCodePoint(utf8, pos));
    }
    decoded.offsets.push_back(utf8.size());
    return decoded;
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (text::decodeUtf8(text, pos) < 0)
            return false;
    }
    return true;
}

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count)
        nextCodePoint(utf8, pos);
    return count;
}

std::string_view untilNul(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view measuredText(std::string_view utf8)
{
    utf8 = untilNul(utf8);
    // Every character takes at least one byte.
    if (utf8.size() <= kMaxMeasuredCharacters)
        return utf8;
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) {
        if (count == kMaxMeasuredCharacters)
            return {};
        nextCodePoint(utf8, pos);
    }
    return utf8;
}

std::size_t boundedLength(std::string_view utf8) { return characterCount(measuredText(utf8)); }

std::string normalizeNfc(std::string_view text)
{
    bool plain = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= kFirstLeadAtCombiningMarks) {
            plain = false;
            break;
        }
    }
    if (plain && isValidUtf8(text))
        return std::string(text);

    const std::string valid = repaired(text);
    utf8proc_uint8_t *mapped = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(valid.data()),
                     static_cast<utf8proc_ssize_t>(valid.size()), &mapped,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    const std::unique_ptr<utf8proc_uint8_t, FreeDeleter> owned(mapped);
    if (length < 0)
        return valid;   // out of memory: the text stays as it is, whole
    return std::string(reinterpret_cast<const char *>(mapped), static_cast<std::size_t>(length));
}

} // namespace tunvale::text::unicode
