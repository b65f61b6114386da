#include "catalog/text/unicode/names.h"

#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/utf8.h"

namespace tunvale::text::unicode {

namespace {

constexpr std::size_t kMaxSeparators = 16;
constexpr std::size_t kShortLength = 40;
constexpr std::size_t kShortMinimum = 21;   // the lowest cut position looked at on the left

bool isCutMark(char32_t c)
{
    switch (c) {
    case U' ':
    case U',':
    case U'.':
    case 0x3000:   // ideographic space
    case 0x3001:   // ideographic comma
    case 0x3002:   // ideographic full stop
    case 0x060C:   // Arabic comma
    case 0xFF0C:   // full-width comma
    case 0xFF0E:   // full-width full stop
        return true;
    default:
        return false;
    }
}

// A name of dots only would name the folder itself or its parent and let a tag place files
// outside the destination tree.
void replaceDotsOnly(std::string &name)
{
    if (!name.empty() && name.find_first_not_of('.') == std::string::npos)
        name.assign(name.size(), '_');
}

// Cuts the text (decoded) before code point index cut, moved back to a character's start,
// and appends "...".
void cutAndEllipsize(std::string &text, const DecodedText &decoded, std::size_t cut)
{
    cut = cutPointAtOrBefore(decoded.codePoints, cut);
    text.resize(decoded.offsets[cut]);
    text += "...";
}

// Cuts before the run of cut marks that ends at index end (inclusive).
void cutBefore(std::string &text, const DecodedText &decoded, std::size_t end)
{
    std::size_t keep = end;
    while (keep > 0 && isCutMark(decoded.codePoints[keep - 1]))
        --keep;
    cutAndEllipsize(text, decoded, keep);
}

} // namespace

bool isNameSeparator(char32_t c)
{
    switch (c) {
    case U'-':
    case U',':
    case U';':
    case U'\\':
    case U'/':
    case U'|':
    case 0x060C:   // Arabic comma
    case 0x061B:   // Arabic semicolon
    case 0x3001:   // ideographic comma
    case 0xFF0C:   // full-width comma
    case 0xFF0D:   // full-width hyphen-minus
    case 0xFF0F:   // full-width solidus
    case 0xFF1B:   // full-width semicolon
    case 0xFF3C:   // full-width reverse solidus
    case 0xFF5C:   // full-width vertical line
        return true;
    default:
        return false;
    }
}

std::vector<SeparatorPosition> separatorPositions(std::string_view text)
{
    text = untilNul(text);
    std::vector<SeparatorPosition> positions;
    std::size_t character = 0;
    for (std::size_t pos = 0; pos < text.size() && positions.size() < kMaxSeparators; ++character) {
        const std::size_t start = pos;
        if (isNameSeparator(nextCodePoint(text, pos)))
            positions.push_back({character, start});
    }
    return positions;
}

std::string fileNameSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = nextCodePoint(text, pos);
        switch (c) {
        case U'"':
        case U'<':
        case U'>': c = U'\''; break;
        case U'*':
        case U'?': c = U' '; break;
        case U'/':
        case U'\\':
        case U'|': c = U','; break;
        case U':': c = U';'; break;
        default:
            // Control characters (NUL, DEL and the C1 range among them) are not allowed in
            // Windows names, would cut a path short or show as nothing.
            if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
                c = U' ';
            break;
        }
        appendCodePoint(out, c);
    }
    replaceDotsOnly(out);
    return out;
}

void shortenTo40(std::string &text)
{
    text.resize(untilNul(text).size());
    if (text.size() <= kShortLength)
        return;   // 40 bytes hold at most 40 characters
    const DecodedText decoded = decodeWithOffsets(text);
    const std::u32string_view codePoints = decoded.codePoints;
    if (codePoints.size() <= kShortLength)
        return;
    if (isCutMark(codePoints[kShortLength])) {
        cutBefore(text, decoded, kShortLength);
        return;
    }
    for (std::size_t i = kShortLength - 1; i >= kShortMinimum; --i) {
        if (isCutMark(codePoints[i])) {
            cutBefore(text, decoded, i);
            return;
        }
    }
    for (std::size_t i = kShortLength + 1; i < codePoints.size(); ++i) {
        if (isCutMark(codePoints[i])) {
            cutAndEllipsize(text, decoded, i);
            return;
        }
    }
}

std::string fitNameBytes(std::string_view name, std::size_t maxBytes)
{
    std::string out(name.substr(0, cutAtBytes(name, maxBytes)));
    replaceDotsOnly(out);
    return out;
}

} // namespace tunvale::text::unicode
