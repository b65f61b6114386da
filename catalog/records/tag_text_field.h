#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tunvale::catalog {

// One 8-bit (Windows-1252) tag text field: a fixed 1024-byte buffer holding at most 1023
// characters and always terminated, so the whole tag block can be cleared in one operation.
class TagTextField {
public:
    static constexpr std::size_t kCapacity = 1024;
    static constexpr std::size_t kMaxLength = kCapacity - 1;

    // Stores text cut to 1023 bytes (and at its first NUL, as a C string would be).
    void set(std::string_view text)
    {
        const std::size_t nul = text.find('\0');
        if (nul != std::string_view::npos)
            text = text.substr(0, nul);
        const std::size_t n = text.size() < kMaxLength ? text.size() : kMaxLength;
        std::memcpy(m_bytes.data(), text.data(), n);
        m_bytes[n] = '\0';
    }
    void clear() { m_bytes[0] = '\0'; }

    std::string_view view() const { return std::string_view(m_bytes.data()); }
    std::string str() const { return std::string(view()); }
    const char *c_str() const { return m_bytes.data(); }
    bool empty() const { return m_bytes[0] == '\0'; }
    std::size_t size() const { return view().size(); }

private:
    std::array<char, kCapacity> m_bytes{};
};

} // namespace tunvale::catalog
