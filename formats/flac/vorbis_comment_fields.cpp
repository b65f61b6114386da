#include "formats/flac/vorbis_comment_fields.h"

#include "catalog/text/unicode/tag_text.h"
#include "catalog/text/unicode/trim.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tunvale::formats {

namespace {

using catalog::CurrentTags;
using catalog::TagTextField;

enum class Rule {
    Text,            // replaces the field
    TextIfBlank,     // only while the field is blank
    Number,
};

struct KeyRow {
    std::string_view prefix;
    Rule rule;
    TagTextField CurrentTags::*text = nullptr;
    std::int32_t CurrentTags::*number = nullptr;
    std::int32_t numberDefault = 0;   // when no digit leads the value
};

// Tried in this order; the first prefix the key begins with wins.
const KeyRow kKeyRows[] = {
    {"TITLE", Rule::Text, &CurrentTags::Title},
    {"TIT2", Rule::Text, &CurrentTags::Title},
    {"SUBTITLE", Rule::Text, &CurrentTags::Subtitle},
    {"ARTIST", Rule::Text, &CurrentTags::Artist},
    {"TPE1", Rule::Text, &CurrentTags::Artist},
    {"ALBUMARTIST", Rule::Text, &CurrentTags::AlbumArtist},
    {"TPE2", Rule::Text, &CurrentTags::AlbumArtist},
    {"COMPOSER", Rule::Text, &CurrentTags::Composer},
    {"WRITER", Rule::Text, &CurrentTags::Composer},
    {"TCOM", Rule::Text, &CurrentTags::Composer},
    {"PERFORMER", Rule::Text, &CurrentTags::Performer},
    {"CONDUCTOR", Rule::Text, &CurrentTags::Performer},
    {"TPE3", Rule::Text, &CurrentTags::Performer},
    {"ENSEMBLE", Rule::TextIfBlank, &CurrentTags::Performer},
    {"PRODUCER", Rule::Text, &CurrentTags::Publisher},
    {"PUBLISH", Rule::Text, &CurrentTags::Publisher},
    {"ORGANI", Rule::Text, &CurrentTags::Publisher},
    {"LABEL", Rule::Text, &CurrentTags::Publisher},
    {"TPUB", Rule::Text, &CurrentTags::Publisher},
    {"TIPL", Rule::Text, &CurrentTags::Publisher},
    {"ENCOD", Rule::Text, &CurrentTags::Encoder},
    {"ALBUM", Rule::Text, &CurrentTags::Album},
    {"TALB", Rule::Text, &CurrentTags::Album},
    {"GENRE", Rule::Text, &CurrentTags::Genre},
    {"TCON", Rule::Text, &CurrentTags::Genre},
    {"COM", Rule::Text, &CurrentTags::Comment},
    {"DESCRIPTION", Rule::Text, &CurrentTags::Comment},
    {"NOTE", Rule::TextIfBlank, &CurrentTags::Comment},
    {"DATE", Rule::Number, nullptr, &CurrentTags::Year, 0},
    {"YEAR", Rule::Number, nullptr, &CurrentTags::Year, 0},
    {"TDRC", Rule::Number, nullptr, &CurrentTags::Year, 0},
    {"TYER", Rule::Number, nullptr, &CurrentTags::Year, 0},
    {"TRACKNUM", Rule::Number, nullptr, &CurrentTags::Track, 1},
    {"TRACKTOT", Rule::Number, nullptr, &CurrentTags::TrackTotal, 1},
    {"DISCNUM", Rule::Number, nullptr, &CurrentTags::Disc, 1},
    {"DISCTOT", Rule::Number, nullptr, &CurrentTags::DiscTotal, 1},
    {"RAT", Rule::Number, nullptr, &CurrentTags::Rating, 0},
    {"POPM", Rule::Number, nullptr, &CurrentTags::Rating, 0},
    {"IRTD", Rule::Number, nullptr, &CurrentTags::Rating, 0},
    {"ISHP", Rule::Number, nullptr, &CurrentTags::Rating, 0},
};

constexpr std::size_t kMaxNumberBytes = 63;

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWithNoCase(std::string_view key, std::string_view prefix)
{
    if (key.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (upperAscii(key[i]) != prefix[i])
            return false;
    }
    return true;
}

// An unsigned decimal number read from the start of at most 63 bytes of the value (leading
// spaces skipped, no sign), saturating at the largest 32-bit value; nothing when no digit
// leads.
bool readLeadingNumber(std::string_view value, std::int32_t &number)
{
    value = value.substr(0, std::min(value.size(), kMaxNumberBytes));
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    if (i == value.size() || value[i] < '0' || value[i] > '9')
        return false;
    std::int64_t n = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > kMax)
            n = kMax;
    }
    number = static_cast<std::int32_t>(n);
    return true;
}

} // namespace

void applyVorbisComment(std::string_view entry, CurrentTags &tags)
{
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos)
        return;
    applyVorbisField(entry.substr(0, equals), entry.substr(equals + 1), tags);
}

void applyVorbisField(std::string_view key, std::string_view value, CurrentTags &tags)
{
    for (const KeyRow &row : kKeyRows) {
        if (!startsWithNoCase(key, row.prefix))
            continue;
        switch (row.rule) {
        case Rule::TextIfBlank:
            if (!text::unicode::isBlank((tags.*row.text).view()))
                break;
            [[fallthrough]];
        case Rule::Text:
            (tags.*row.text).set(text::unicode::utf8ToTagText(value, TagTextField::kMaxLength));
            break;
        case Rule::Number: {
            std::int32_t number = row.numberDefault;
            readLeadingNumber(value, number);
            tags.*row.number = number;
            break;
        }
        }
        return;
    }
}

} // namespace tunvale::formats
