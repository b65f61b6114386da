#include "formats/id3v2/id3v2_text.h"

#include "catalog/text/unicode/tag_text.h"

namespace tunvale::formats::id3v2 {

namespace {
constexpr std::size_t kTextLimit = 1023;

std::string_view asChars(ByteSpan bytes)
{
    return std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}
} // namespace

void splitTerminated(std::uint8_t encoding, ByteSpan bytes, ByteSpan &head, ByteSpan &rest)
{
    const bool wide = encoding == 1 || encoding == 2;
    if (wide) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0) {
                head = bytes.first(i);
                rest = bytes.subspan(i + 2);
                return;
            }
        }
    } else {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == 0) {
                head = bytes.first(i);
                rest = bytes.subspan(i + 1);
                return;
            }
        }
    }
    head = bytes;
    rest = ByteSpan();
}

std::string decodeText(std::uint8_t encoding, ByteSpan bytes)
{
    ByteSpan text;
    ByteSpan ignored;
    splitTerminated(encoding, bytes, text, ignored);
    if (encoding == 0)
        return text::unicode::cp1252ToTagText(asChars(text), kTextLimit);
    if (encoding == 2 && !(text.size() >= 2 && ((text[0] == 0xFE && text[1] == 0xFF) || (text[0] == 0xFF && text[1] == 0xFE)))) {
        // UTF-16BE carries no byte-order mark (ID3v2.4 §4.2); give it one so it is not taken
        // for little-endian text.
        std::string marked("\xFE\xFF", 2);
        marked.append(asChars(text));
        return text::unicode::tagTextToUtf8(marked, kTextLimit);
    }
    return text::unicode::tagTextToUtf8(asChars(text), kTextLimit);
}

std::uint32_t leadingNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32)
        ++pos;
    std::uint64_t value = 0;
    bool any = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        any = true;
        value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF;
    }
    return any ? static_cast<std::uint32_t>(value) : 0;
}

} // namespace tunvale::formats::id3v2
