#include "catalog/text/fold.h"

#include "catalog/text/trim.h"

namespace tunvale::text {

namespace {

// Plain ASCII replacement of every byte 0x80..0xFF, read as Windows-1252: the euro sign gives
// E, accented letters their base letter, sharp s gives S, the multiplication sign x and the
// division sign /; punctuation becomes the nearest ASCII mark or a space.
constexpr char kFoldTable[129] =
    "E ,S\".++^%S(O Z "      // 0x80
    " ''\"\".-_\"Ts)o zY"     // 0x90
    " !cLoY|S\"Ca\"_-C-"     // 0xA0
    "o~23'uP',1o\"___?"      // 0xB0
    "AAAAAAACEEEEIIII"       // 0xC0
    "DNOOOOOxOUUUUYpS"       // 0xD0
    "aaaaaaaceeeeiiii"       // 0xE0
    "dnooooo/ouuuuypy";      // 0xF0
static_assert(sizeof(kFoldTable) == 129, "one replacement per byte 0x80..0xFF");

constexpr std::size_t kCompareLimit = 520;

unsigned char byteOf(char c) { return static_cast<unsigned char>(c); }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Folded and upper-cased, as the folded comparisons see a byte.
char comparable(char c) { return asciiUpper(foldChar(c)); }

// Folding as the case folds apply it: control bytes become '_'.
char foldVisible(char c) { return byteOf(c) < 0x20 ? '_' : foldChar(c); }

bool isWordSeparator(char16_t unit) { return unit == u' '; }

} // namespace

char foldChar(char c)
{
    const unsigned char byte = byteOf(c);
    return byte >= 0x80 ? kFoldTable[byte - 0x80] : c;
}

bool isFoldedAlpha(char c)
{
    const char f = foldChar(c);
    return (f >= 'a' && f <= 'z') || (f >= 'A' && f <= 'Z');
}

bool isFoldedDigit(char c)
{
    const char f = foldChar(c);
    return f >= '0' && f <= '9';
}

bool isFoldedAlnum(char c) { return isFoldedAlpha(c) || isFoldedDigit(c); }

char cp1252ToUpper(char c)
{
    const unsigned char byte = byteOf(c);
    if (byte >= 'a' && byte <= 'z')
        return static_cast<char>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<char>(byte - 0x20);
    switch (byte) {
    case 0x9A: return static_cast<char>(0x8A);   // s caron
    case 0x9C: return static_cast<char>(0x8C);   // oe
    case 0x9E: return static_cast<char>(0x8E);   // z caron
    case 0xFF: return static_cast<char>(0x9F);   // y diaeresis
    default: return c;
    }
}

char cp1252ToLower(char c)
{
    const unsigned char byte = byteOf(c);
    if (byte >= 'A' && byte <= 'Z')
        return static_cast<char>(byte + 0x20);
    if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)
        return static_cast<char>(byte + 0x20);
    switch (byte) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return c;
    }
}

int compareFoldedN(std::string_view a, std::string_view b, std::size_t n)
{
    a = untilNul(a);
    b = untilNul(b);
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = i < a.size() ? comparable(a[i]) : '\0';
        const char cb = i < b.size() ? comparable(b[i]) : '\0';
        if (ca != cb)
            return static_cast<signed char>(ca) - static_cast<signed char>(cb);
        if (ca == '\0')
            return 0;
    }
    return 0;
}

int compareFolded(std::string_view a, std::string_view b) { return compareFoldedN(a, b, kCompareLimit); }

std::size_t containsFolded(std::string_view text, std::string_view pattern)
{
    text = untilNul(text);
    pattern = untilNul(pattern);
    if (pattern.empty())
        return 0;
    if (pattern.size() > text.size())
        return std::string_view::npos;
    const char first = cp1252ToLower(pattern[0]);
    const std::string_view rest = pattern.substr(1);
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        if (cp1252ToLower(text[i]) != first)
            continue;
        if (compareFoldedN(text.substr(i + 1), rest, rest.size()) == 0)
            return i;
    }
    return std::string_view::npos;
}

std::string foldToUpper(std::string_view text)
{
    text = untilNul(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = i == 0 ? text[i] : cp1252ToUpper(text[i]);
        out.push_back(foldVisible(c));
    }
    return out;
}

std::string foldToLower(std::string_view text, std::size_t limit)
{
    text = untilNul(text);
    const std::size_t room = limit >= 2 ? limit - 2 : 0;
    if (text.size() > room)
        text = text.substr(0, room);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = i == 0 ? text[i] : cp1252ToLower(text[i]);
        out.push_back(foldVisible(c));
    }
    return out;
}

void titleCaseInPlace(std::string &text)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    for (char &c : text)
        c = asciiLower(foldChar(c));
    if (text.empty())
        return;
    text[0] = asciiUpper(text[0]);
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i - 1] != ' ' || text[i] == ' ')
            continue;
        std::size_t end = text.find(' ', i);
        if (end == std::string::npos)
            end = text.size();
        if (end - i >= 4)
            text[i] = asciiUpper(text[i]);
    }
}

std::u16string titleCaseWide(std::u16string_view text)
{
    const auto trimmed = [](char16_t unit) { return unit == u' ' || unit == u'_'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && trimmed(text[begin]))
        ++begin;
    while (end > begin && trimmed(text[end - 1]))
        --end;
    std::u16string out(text.substr(begin, end - begin));
    for (char16_t &unit : out)
        unit = wideToLower(unit);
    if (out.empty())
        return out;
    out[0] = wideToUpper(out[0]);
    for (std::size_t i = 1; i < out.size(); ++i) {
        if (!isWordSeparator(out[i - 1]) || isWordSeparator(out[i]))
            continue;
        std::size_t wordEnd = i;
        while (wordEnd < out.size() && !isWordSeparator(out[wordEnd]))
            ++wordEnd;
        if (wordEnd - i >= 4)
            out[i] = wideToUpper(out[i]);
    }
    return out;
}

namespace {

// Blocks where upper and lower case alternate: even unit upper case when evenUpper.
struct AlternatingBlock {
    char16_t first;
    char16_t last;
    bool evenUpper;
};

constexpr AlternatingBlock kAlternating[] = {
    {0x0100, 0x012F, true},   // Latin Extended-A, A macron .. i ogonek
    {0x0132, 0x0137, true},   // IJ .. k cedilla
    {0x0139, 0x0148, false},  // L acute .. n caron
    {0x014A, 0x0177, true},   // ENG .. y circumflex
    {0x0179, 0x017E, false},  // Z acute .. z caron
    {0x0460, 0x0481, true},   // Cyrillic historic letters
    {0x048A, 0x04BF, true},   // Cyrillic extended letters
    {0x04D0, 0x04FF, true},
    {0x1E00, 0x1E95, true},   // Latin Extended Additional
    {0x1EA0, 0x1EFF, true},   // Vietnamese letters
};

// Blocks where the lower-case letter is the upper-case one plus a fixed offset.
struct OffsetBlock {
    char16_t firstUpper;
    char16_t lastUpper;
    char16_t offset;
    char16_t skip;   // a unit inside the range that has no partner (0: none)
};

constexpr OffsetBlock kOffsets[] = {
    {0x0041, 0x005A, 0x20, 0},
    {0x00C0, 0x00DE, 0x20, 0x00D7},   // Latin-1 letters, not the multiplication sign
    {0x0388, 0x038A, 0x25, 0},        // Greek accented E, H, I
    {0x038E, 0x038F, 0x3F, 0},        // Greek accented Y, OMEGA
    {0x0391, 0x03AB, 0x20, 0x03A2},   // Greek capitals
    {0x0400, 0x040F, 0x50, 0},        // Cyrillic with marks
    {0x0410, 0x042F, 0x20, 0},        // Cyrillic basic
};

} // namespace

char16_t wideToUpper(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
    switch (unit) {
    case 0x00FF: return 0x0178;
    case 0x0386 + 0x26: return 0x0386;   // alpha with tonos
    case 0x038C + 0x40: return 0x038C;   // omicron with tonos
    case 0x03C2: return 0x03A3;          // final sigma
    default: break;
    }
    for (const OffsetBlock &block : kOffsets) {
        const char16_t upper = static_cast<char16_t>(unit - block.offset);
        if (unit >= block.firstUpper + block.offset && unit <= block.lastUpper + block.offset
            && upper != block.skip)
            return upper;
    }
    for (const AlternatingBlock &block : kAlternating) {
        if (unit >= block.first && unit <= block.last) {
            const bool even = (unit % 2) == 0;
            if (even != block.evenUpper && unit > block.first)
                return static_cast<char16_t>(unit - 1);
            return unit;
        }
    }
    return unit;
}

char16_t wideToLower(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
    switch (unit) {
    case 0x0178: return 0x00FF;
    case 0x0386: return 0x0386 + 0x26;
    case 0x038C: return 0x038C + 0x40;
    default: break;
    }
    for (const OffsetBlock &block : kOffsets) {
        if (unit >= block.firstUpper && unit <= block.lastUpper && unit != block.skip)
            return static_cast<char16_t>(unit + block.offset);
    }
    for (const AlternatingBlock &block : kAlternating) {
        if (unit >= block.first && unit <= block.last) {
            const bool even = (unit % 2) == 0;
            if (even == block.evenUpper && unit < block.last)
                return static_cast<char16_t>(unit + 1);
            return unit;
        }
    }
    return unit;
}

} // namespace tunvale::text
