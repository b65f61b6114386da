#include "engine/session/path_text.h"

#include <algorithm>

#include "catalog/text/codepage.h"
#include "formats/io/platform.h"
#include "output/name_text.h"

namespace tunvale::engine {

std::u16string pathToUtf16(const std::filesystem::path &path)
{
    return output::pathToText(path);
}

std::string pathToUtf8(const std::filesystem::path &path) { return platform::pathToUtf8(path); }

std::filesystem::path pathFromUtf16(std::u16string_view text)
{
    return output::pathFromText(text);
}

std::filesystem::path pathFromUtf8(std::string_view text) { return platform::pathFromUtf8(text); }

std::u16string fileNameText(const std::filesystem::path &path) { return output::fileNameText(path); }

std::u16string findExtension(const std::filesystem::path &path)
{
    const std::u16string name = fileNameText(path);
    std::size_t dot = std::u16string::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == u' ')
            dot = std::u16string::npos;
        else if (name[i] == u'.')
            dot = i;
    }
    return dot == std::u16string::npos ? std::u16string() : name.substr(dot);
}

std::u16string asciiLower(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t &c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + (u'a' - u'A'));
    }
    return lower;
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

} // namespace tunvale::engine
