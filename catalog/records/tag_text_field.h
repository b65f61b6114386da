#pragma once

#include "catalog/text/unicode/clusters.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::catalog {

// One tag text field: UTF-8 text in NFC (the readers normalize it) of at most 1023
// characters, cut between characters, never inside one.
class TagTextField {
public:
    static constexpr std::size_t kMaxLength = 1023;   // characters

    // Stores text cut to 1023 characters (and at its first NUL, as a C string would be).
    void set(std::string_view text)
    {
        const std::size_t nul = text.find('\0');
        if (nul != std::string_view::npos)
            text = text.substr(0, nul);
        // Text of at most kMaxLength bytes holds at most kMaxLength characters.
        if (text.size() > kMaxLength)
            text = text.substr(0, text::unicode::cutAtCharacters(text, kMaxLength));
        m_text.assign(text);
    }
    void clear() { m_text.clear(); }

    std::string_view view() const { return m_text; }
    const std::string &str() const { return m_text; }
    const char *c_str() const { return m_text.c_str(); }
    bool empty() const { return m_text.empty(); }
    std::size_t size() const { return m_text.size(); }   // bytes

private:
    std::string m_text;
};

} // namespace tunvale::catalog
