#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tunvale::engine {

// Paths as message text and back. Paths on POSIX are taken as UTF-8 bytes; an invalid byte
// becomes U+FFFD in the text rather than an exception.
std::u16string pathToUtf16(const std::filesystem::path &path);
std::string pathToUtf8(const std::filesystem::path &path);
std::filesystem::path pathFromUtf16(std::u16string_view text);
std::filesystem::path pathFromUtf8(std::string_view text);

// The extension as the platform's extension finder sees it: from the last dot of the final
// component, none when a space follows that dot; empty when there is none.
std::u16string findExtension(const std::filesystem::path &path);
// The final component of the path as text.
std::u16string fileNameText(const std::filesystem::path &path);

// ASCII case-insensitive equality (extensions).
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
std::u16string asciiLower(std::u16string_view text);

} // namespace tunvale::engine
