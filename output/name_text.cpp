#include "output/name_text.h"

#include "catalog/text/codepage.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "formats/io/platform.h"

namespace tunvale::output {

std::u16string pathToText(const std::filesystem::path &path) { return platform::pathToUtf16(path); }

std::filesystem::path pathFromText(std::u16string_view text) { return platform::pathFromUtf16(text); }

bool isPathSeparator(std::filesystem::path::value_type c)
{
    return c == std::filesystem::path::value_type('/') || c == std::filesystem::path::preferred_separator;
}

std::size_t lastComponentStart(PathText text)
{
    std::size_t start = text.size();
    while (start > 0 && !isPathSeparator(text[start - 1]))
        --start;
    return start;
}

std::u16string fileNameText(const std::filesystem::path &path)
{
    const PathText text = path.native();
    const std::size_t start = lastComponentStart(text);
    if (start == 0 || start == text.size())
        return pathToText(path.filename());
    return pathToText(std::filesystem::path(text.substr(start)));
}

namespace {
// A unit of a surrogate pair stands for a character outside the BMP: a letter for these tests
// (most such characters in names are ideographs).
bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
} // namespace

bool isNameLetter(char16_t unit)
{
    return isSurrogate(unit) || text::unicode::isFoldedAlpha(unit) || text::unicode::isWordJoining(unit);
}

bool isNameDigit(char16_t unit) { return !isSurrogate(unit) && text::unicode::isFoldedDigit(unit); }

bool isNameAlnum(char16_t unit) { return isNameLetter(unit) || isNameDigit(unit); }

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

std::size_t utf8Length(std::u16string_view text) { return text::utf16ToUtf8(text).size(); }

std::u16string_view utf8Prefix(std::u16string_view text, std::size_t maxBytes)
{
    const std::string utf8 = text::utf16ToUtf8(text);
    if (utf8.size() <= maxBytes)
        return text;
    // UTF-16 and UTF-8 hold the same characters (a lone surrogate becomes one U+FFFD unit), so
    // the units of the cut UTF-8 count the units to keep.
    const std::size_t cut = text::unicode::cutAtBytes(utf8, maxBytes);
    return text.substr(0, text::utf8ToUtf16(std::string_view(utf8).substr(0, cut)).size());
}

} // namespace tunvale::output
