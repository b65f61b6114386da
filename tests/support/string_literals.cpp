#include "support/string_literals.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tunvale::testing {

namespace {

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isIdentifierChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A value written by a numeric escape: one byte in a plain literal, one character otherwise.
void appendValue(std::string &out, char32_t value, bool wide)
{
    if (wide)
        appendUtf8(out, value);
    else
        out.push_back(static_cast<char>(value & 0xFF));
}

// Decodes the escape sequence after a backslash at source[pos] and advances past it.
void decodeEscape(std::string_view source, std::size_t &pos, std::string &out, bool wide)
{
    if (pos >= source.size())
        return;
    const char c = source[pos++];
    switch (c) {
    case 'n': out.push_back('\n'); return;
    case 't': out.push_back('\t'); return;
    case 'r': out.push_back('\r'); return;
    case 'a': out.push_back('\a'); return;
    case 'b': out.push_back('\b'); return;
    case 'f': out.push_back('\f'); return;
    case 'v': out.push_back('\v'); return;
    case 'x': {
        // As in C++: every hex digit that follows belongs to the escape.
        char32_t value = 0;
        while (pos < source.size() && hexValue(source[pos]) >= 0)
            value = (value << 4) | static_cast<char32_t>(hexValue(source[pos++]));
        appendValue(out, value, wide);
        return;
    }
    case 'u':
    case 'U': {
        const std::size_t digits = c == 'u' ? 4 : 8;
        char32_t value = 0;
        for (std::size_t i = 0; i < digits && pos < source.size() && hexValue(source[pos]) >= 0; ++i)
            value = (value << 4) | static_cast<char32_t>(hexValue(source[pos++]));
        appendUtf8(out, value);   // a universal character name is UTF-8 in a plain literal too
        return;
    }
    default:
        break;
    }
    if (c >= '0' && c <= '7') {
        char32_t value = static_cast<char32_t>(c - '0');
        for (int i = 1; i < 3 && pos < source.size() && source[pos] >= '0' && source[pos] <= '7'; ++i)
            value = value * 8 + static_cast<char32_t>(source[pos++] - '0');
        appendValue(out, value, wide);
        return;
    }
    out.push_back(c);   // \\ \" \' \? and anything else stand for themselves
}

// Reads the literal whose opening quote is at source[pos]; pos ends past the closing quote.
std::string readLiteral(std::string_view source, std::size_t &pos, bool wide, bool raw)
{
    ++pos;   // the opening quote
    std::string value;
    if (raw) {
        const std::size_t open = source.find('(', pos);
        if (open == std::string_view::npos) {
            pos = source.size();
            return value;
        }
        const std::string closing = ")" + std::string(source.substr(pos, open - pos)) + "\"";
        const std::size_t close = source.find(closing, open + 1);
        const std::size_t end = close == std::string_view::npos ? source.size() : close;
        value = std::string(source.substr(open + 1, end - open - 1));
        pos = std::min(source.size(), end + closing.size());
        return value;
    }
    while (pos < source.size() && source[pos] != '"' && source[pos] != '\n') {
        if (source[pos] == '\\') {
            ++pos;
            decodeEscape(source, pos, value, wide);
        } else {
            value.push_back(source[pos++]);
        }
    }
    ++pos;   // the closing quote
    return value;
}

bool isLiteralPrefix(std::string_view identifier)
{
    static constexpr std::string_view kPrefixes[] = {"u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"};
    return std::find(std::begin(kPrefixes), std::end(kPrefixes), identifier) != std::end(kPrefixes);
}

} // namespace

std::vector<StringLiteral> stringLiterals(std::string_view source)
{
    std::vector<StringLiteral> literals;
    bool joinable = false;   // only blanks and comments since the last literal
    std::size_t pos = 0;
    auto addLiteral = [&](std::string_view prefix) {
        const bool raw = !prefix.empty() && prefix.back() == 'R';
        const bool wide = !prefix.empty() && prefix.front() != 'R' && prefix.substr(0, 2) != "u8";
        std::string value = readLiteral(source, pos, wide, raw);
        if (joinable && !literals.empty()) {
            literals.back().value += value;
        } else {
            literals.push_back({std::move(value), wide});
        }
        joinable = true;
    };
    while (pos < source.size()) {
        const char c = source[pos];
        if (source.compare(pos, 2, "//") == 0) {
            const std::size_t end = source.find('\n', pos);
            pos = end == std::string_view::npos ? source.size() : end;
        } else if (source.compare(pos, 2, "/*") == 0) {
            const std::size_t end = source.find("*/", pos + 2);
            pos = end == std::string_view::npos ? source.size() : end + 2;
        } else if (c == '"') {
            addLiteral({});
        } else if (c == '\'') {
            // A character literal ('"' among them); a quote between digits is a separator.
            joinable = false;
            ++pos;
            while (pos < source.size() && source[pos] != '\'' && source[pos] != '\n')
                pos += source[pos] == '\\' ? 2 : 1;
            ++pos;
        } else if (isIdentifierChar(c)) {
            const std::size_t start = pos;
            while (pos < source.size() && isIdentifierChar(source[pos]))
                ++pos;
            const std::string_view identifier = source.substr(start, pos - start);
            if (pos < source.size() && source[pos] == '"' && isLiteralPrefix(identifier)) {
                addLiteral(identifier);
            } else {
                joinable = false;
                // Digit separators (1'000) and character-literal prefixes (u'x') read on.
                if (pos < source.size() && source[pos] == '\'' && (identifier.front() >= '0' && identifier.front() <= '9'))
                    ++pos;
            }
        } else {
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                joinable = false;
            ++pos;
        }
    }
    return literals;
}

std::vector<StringLiteral> stringLiteralsBelow(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<StringLiteral> all;
    for (const auto &file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        for (StringLiteral &literal : stringLiterals(text.str()))
            all.push_back(std::move(literal));
    }
    return all;
}

} // namespace tunvale::testing
