#include "output/name_text.h"

#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"

namespace tunvale::output {

std::u16string pathToText(const std::filesystem::path &path)
{
#ifdef _WIN32
    const std::wstring &native = path.native();
    return std::u16string(native.begin(), native.end());
#else
    return text::utf8ToUtf16(path.native());
#endif
}

std::filesystem::path pathFromText(std::u16string_view text)
{
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(text::utf16ToUtf8(text));
#endif
}

namespace {

// Punctuation, symbols, arrows, box drawing, CJK punctuation, specials: not letters.
bool isSymbolBlock(char16_t unit)
{
    return (unit >= 0x2000 && unit <= 0x2BFF) || (unit >= 0x3000 && unit <= 0x303F)
        || (unit >= 0xFE30 && unit <= 0xFE4F) || (unit >= 0xFF00 && unit <= 0xFF0F) || unit >= 0xFFF0;
}

// The byte a unit has in Windows-1252, or -1 when the code page cannot show it.
int cp1252Byte(char16_t unit)
{
    if (unit < 0x80)
        return unit;
    const char byte = text::cp1252FromUnit(unit);
    if (byte == '?')
        return -1;
    return static_cast<unsigned char>(byte);
}

} // namespace

bool isNameLetter(char16_t unit)
{
    const int byte = cp1252Byte(unit);
    if (byte >= 0)
        return text::isFoldedAlpha(static_cast<char>(byte));
    return !isSymbolBlock(unit);
}

bool isNameDigit(char16_t unit)
{
    const int byte = cp1252Byte(unit);
    return byte >= 0 && text::isFoldedDigit(static_cast<char>(byte));
}

bool isNameAlnum(char16_t unit) { return isNameLetter(unit) || isNameDigit(unit); }

std::string projectToCp1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text)
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : text::cp1252FromUnit(unit));
    return out;
}

namespace {
char16_t lowerLatin1(char16_t unit)
{
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7))
        return static_cast<char16_t>(unit + 0x20);
    return unit;
}
} // namespace

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerLatin1(a[i]) != lowerLatin1(b[i]))
            return false;
    }
    return true;
}

std::u16string lowerExtension(std::u16string_view fileName)
{
    const std::size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0)
        return {};
    std::u16string extension(fileName.substr(dot));
    for (char16_t &unit : extension) {
        if (unit >= u'A' && unit <= u'Z')
            unit = static_cast<char16_t>(unit + 0x20);
    }
    return extension;
}

namespace {
std::size_t unitBytes(char16_t unit)
{
    if (unit < 0x80)
        return 1;
    if (unit < 0x800)
        return 2;
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return 2;   // each half of a pair: 4 bytes for the pair
    return 3;
}
} // namespace

std::size_t utf8Length(std::u16string_view text)
{
    std::size_t bytes = 0;
    for (char16_t unit : text)
        bytes += unitBytes(unit);
    return bytes;
}

std::u16string_view utf8Prefix(std::u16string_view text, std::size_t maxBytes)
{
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool highSurrogate = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()
            && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        const std::size_t units = highSurrogate ? 2 : 1;
        const std::size_t need = highSurrogate ? 4 : unitBytes(text[i]);
        if (bytes + need > maxBytes)
            break;
        bytes += need;
        i += units;
    }
    return text.substr(0, i);
}

} // namespace tunvale::output
