#include "catalog/text/names.h"

#include "catalog/text/trim.h"

namespace tunvale::text {

namespace {

constexpr std::size_t kMaxSeparators = 16;
constexpr std::size_t kShortLength = 40;
constexpr std::size_t kShortMinimum = 21;   // the lowest cut position looked at on the left

bool isCutMark(char c) { return c == ' ' || c == ',' || c == '.'; }

// Cuts text before the run of cut marks that ends at position end (inclusive) and appends
// "...".
void cutBefore(std::string &text, std::size_t end)
{
    std::size_t keep = end;
    while (keep > 0 && isCutMark(text[keep - 1]))
        --keep;
    text.resize(keep);
    text += "...";
}

} // namespace

bool isNameSeparator(char c)
{
    return c == '-' || c == ',' || c == ';' || c == '\\' || c == '/' || c == '|';
}

std::vector<std::size_t> separatorPositions(std::string_view text)
{
    text = untilNul(text);
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < text.size() && positions.size() < kMaxSeparators; ++i) {
        if (isNameSeparator(text[i]))
            positions.push_back(i);
    }
    return positions;
}

std::u16string fileNameSafe(std::u16string_view text)
{
    std::u16string out(text);
    bool onlyDots = !out.empty();
    for (char16_t &unit : out) {
        switch (unit) {
        case u'"':
        case u'<':
        case u'>': unit = u'\''; break;
        case u'*':
        case u'?': unit = u' '; break;
        case u'/':
        case u'\\':
        case u'|': unit = u','; break;
        case u':': unit = u';'; break;
        default:
            // Control characters (NUL, DEL and the C1 range among them) are not allowed in
            // Windows names, would cut a path short or show as nothing; they become spaces
            // like the other forbidden characters.
            if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F))
                unit = u' ';
            break;
        }
        if (unit != u'.')
            onlyDots = false;
    }
    // A name of dots only ("." or "..") would name the folder itself or its parent and let a
    // tag place files outside the destination tree.
    if (onlyDots)
        out.assign(out.size(), u'_');
    return out;
}

void shortenTo40(std::string &text)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    if (text.size() <= kShortLength)
        return;
    if (isCutMark(text[kShortLength])) {
        cutBefore(text, kShortLength);
        return;
    }
    for (std::size_t i = kShortLength - 1; i >= kShortMinimum; --i) {
        if (isCutMark(text[i])) {
            cutBefore(text, i);
            return;
        }
    }
    for (std::size_t i = kShortLength + 1; i < text.size(); ++i) {
        if (isCutMark(text[i])) {
            text.resize(i);
            text += "...";
            return;
        }
    }
}

} // namespace tunvale::text
