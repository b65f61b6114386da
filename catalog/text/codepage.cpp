#include "catalog/text/codepage.h"

#include <array>
#include <cstdint>

namespace tunvale::text {

namespace {

// Windows-1252 0x80..0x9F. The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control of the same value, as the Windows converters do, so a
// round trip keeps them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,   // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,   // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,   // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,   // 0x98
};

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string &out, std::uint32_t codePoint);

} // namespace

std::int32_t decodeUtf8(std::string_view utf8, std::size_t &pos)
{
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t extra = 0;
    std::int32_t codePoint = 0;
    std::int32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return -1;
    }
    if (utf8.size() - pos - 1 < extra) {
        ++pos;
        return -1;
    }
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(utf8[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += extra + 1;
    return codePoint;
}

namespace {

std::size_t putUtf8(char *out, std::uint32_t codePoint)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

void appendUtf8(std::string &out, std::uint32_t codePoint)
{
    char bytes[4];
    out.append(bytes, putUtf8(bytes, codePoint));
}

} // namespace

char16_t cp1252ToUnit(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

char cp1252FromUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::u16string cp1252ToUtf16(std::string_view cp1252)
{
    std::u16string out;
    out.reserve(cp1252.size());
    for (char c : cp1252)
        out.push_back(cp1252ToUnit(static_cast<unsigned char>(c)));
    return out;
}

std::string utf16ToCp1252(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (isHighSurrogate(unit) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            ++i;   // a character outside the BMP is never in the code page
            out.push_back('?');
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            out.push_back('?');
        } else {
            out.push_back(cp1252FromUnit(unit));
        }
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 2);
    for (char c : cp1252)
        appendUtf8(out, cp1252ToUnit(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::int32_t codePoint = decodeUtf8(utf8, pos);
        if (codePoint < 0 || codePoint > 0xFFFF)
            out.push_back('?');
        else
            out.push_back(cp1252FromUnit(static_cast<char16_t>(codePoint)));
    }
    return out;
}

// Both converters write into a buffer sized for the longest result and cut it to length after:
// names and tags are mostly ASCII, and a character at a time through push_back cost more than
// anything else in planning a file's name.
std::u16string utf8ToUtf16(std::string_view utf8)
{
    std::u16string out(utf8.size(), u'\0');   // every code unit takes at least one byte
    std::size_t size = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            out[size++] = byte;
            ++pos;
            continue;
        }
        const std::int32_t codePoint = decodeUtf8(utf8, pos);
        if (codePoint < 0) {
            out[size++] = kReplacement;
        } else if (codePoint >= 0x10000) {
            const std::uint32_t v = static_cast<std::uint32_t>(codePoint) - 0x10000;
            out[size++] = static_cast<char16_t>(0xD800 + (v >> 10));
            out[size++] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out[size++] = static_cast<char16_t>(codePoint);
        }
    }
    out.resize(size);
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16)
{
    std::string out(utf16.size() * 3, '\0');   // a unit gives at most three bytes, a pair four
    std::size_t size = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit < 0x80) {
            out[size++] = static_cast<char>(unit);
        } else if (isHighSurrogate(unit) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            const std::uint32_t codePoint =
                0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            size += putUtf8(&out[size], codePoint);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            size += putUtf8(&out[size], kReplacement);
        } else {
            size += putUtf8(&out[size], unit);
        }
    }
    out.resize(size);
    return out;
}

} // namespace tunvale::text
