#pragma once

// Length rule, trims, bounded copies and appends of 8-bit (Windows-1252) tag text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::text {

inline constexpr std::size_t kMaxMeasuredLength = 4096;   // 8-bit lengths stop here
inline constexpr std::size_t kTagTextCapacity = 1023;     // characters of a tag text field
inline constexpr std::size_t kBoundedAppendLimit = 1021;

// 8-bit text is C-string text: it ends at its first NUL byte, as in the fixed tag buffers.
inline std::string_view untilNul(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// The length rule applied to a view: the text up to its first NUL, or empty when that is
// longer than 4096 bytes (an over-long text counts as length 0).
inline std::string_view measuredText(std::string_view text)
{
    text = untilNul(text);
    return text.size() > kMaxMeasuredLength ? std::string_view() : text;
}

// Length of a NUL-terminated buffer: stops at 4096; no terminator within 4097 bytes gives 0;
// a null pointer gives 0. Never reads past byte 4096.
std::size_t boundedLength(const char *text);

// Skips leading bytes <= 32 within the first n, copies up to the end or n bytes, then removes
// trailing bytes <= 32.
std::string trimCopy(std::string_view text, std::size_t limit);
// Drops leading characters until the first letter or digit after folding, reads at most 1022
// characters, removes trailing non-alphanumerics except that a trailing " ' ( ) [ ] stops it.
std::string trimToAlphanumerics(std::string_view text);
// As trimToAlphanumerics, but only letters count at the start and at the end.
std::string trimToLetters(std::string_view text);
// Copies at most count units and removes trailing units <= 32.
std::u16string trimWideEnd(std::u16string_view text, std::size_t count);

// At most n characters of text.
std::string boundedCopy(std::string_view text, std::size_t n);
// Appends and keeps the result at 1021 characters at most (a longer destination is cut).
void boundedAppend(std::string &destination, std::string_view text);

// True for an empty string and a string of spaces only (at most 4096 looked at).
bool isBlank(std::string_view text);

} // namespace tunvale::text
