#include "formats/mp3/id3_frame_reader.h"

#include "catalog/genre/genre_table.h"
#include "catalog/text/codepage.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/utf8.h"
#include "formats/mp3/ucs4_text.h"

#include <id3tag.h>

#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace tunvale::formats {

namespace {

using catalog::TagStrings;
using Slot = std::u16string TagStrings::*;

enum class Kind {
    Capitalised, // first UTF-16 unit upper-cased
    Year,        // leading decimal integer
    Pair,        // "n" or "n/total" into two number slots
    Genre,       // trimmed, capitalised, numeric genres by name
};

struct FrameRule {
    const char *id;
    Slot slot;
    Slot totalSlot;   // Pair only
    bool always;      // false: only when the slot is still empty
    Kind kind;
};

constexpr std::array<FrameRule, 19> kTextFrameRules = {{
    {"TCON", &TagStrings::Genre, nullptr, true, Kind::Genre},
    {"TDRC", &TagStrings::Year, nullptr, true, Kind::Year},
    {"TYER", &TagStrings::Year, nullptr, false, Kind::Year},
    {"TORY", &TagStrings::Year, nullptr, false, Kind::Year},
    {"TDRL", &TagStrings::Year, nullptr, false, Kind::Year},
    {"TRCK", &TagStrings::Track, &TagStrings::TrackTotal, true, Kind::Pair},
    {"TPOS", &TagStrings::Disc, &TagStrings::DiscTotal, true, Kind::Pair},
    {"TIT2", &TagStrings::Title, nullptr, true, Kind::Capitalised},
    {"TIT3", &TagStrings::Subtitle, nullptr, true, Kind::Capitalised},
    {"TOPE", &TagStrings::Performer, nullptr, true, Kind::Capitalised},
    {"TCOM", &TagStrings::Composer, nullptr, true, Kind::Capitalised},
    {"TPE1", &TagStrings::Artist, nullptr, true, Kind::Capitalised},
    {"TPE2", &TagStrings::AlbumArtist, nullptr, true, Kind::Capitalised},
    {"TALB", &TagStrings::Album, nullptr, true, Kind::Capitalised},
    {"TOAL", &TagStrings::Album, nullptr, false, Kind::Capitalised},
    {"TSOA", &TagStrings::Album, nullptr, false, Kind::Capitalised},
    {"TPUB", &TagStrings::Publisher, nullptr, true, Kind::Capitalised},
    {"TCOP", &TagStrings::Publisher, nullptr, false, Kind::Capitalised},
    {"TENC", &TagStrings::Encoder, nullptr, true, Kind::Capitalised},
}};

const FrameRule *findTextRule(const char *id)
{
    for (const FrameRule &rule : kTextFrameRules)
        if (std::strcmp(rule.id, id) == 0)
            return &rule;
    return nullptr;
}

bool isSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The leading decimal integer of a text, as a C library reader takes it: leading white space,
// an optional sign, then digits; clamped to 32 bits. None when no digit follows.
std::optional<std::int32_t> leadingInteger(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const std::size_t firstDigit = i;
    long long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (value <= INT_MAX)
            value = value * 10 + (text[i] - u'0');
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    return static_cast<std::int32_t>(value);
}

std::u16string decimal(std::int32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The first character in upper case (Unicode's simple mapping; one that needs a surrogate pair
// keeps its case).
void capitalise(std::u16string &text)
{
    if (text.empty() || (text[0] >= 0xD800 && text[0] <= 0xDFFF))
        return;
    const char32_t upper = text::unicode::toUpper(text[0]);
    if (upper <= 0xFFFF)
        text[0] = static_cast<char16_t>(upper);
}

// A frame value as UTF-16; none when empty or longer than kMaxValueUnits.
std::optional<std::u16string> valueOf(const id3_ucs4_t *ucs4)
{
    std::u16string value;
    if (!ucs4ToUtf16(ucs4, kMaxValueUnits, value) || value.empty())
        return std::nullopt;
    return value;
}

bool equalsAsciiNoCase(std::u16string_view text, std::string_view ascii)
{
    if (text.size() != ascii.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        if (c != static_cast<unsigned char>(ascii[i]))
            return false;
    }
    return true;
}

// POPM rating byte to 1..5; 0 for "no rating".
int scaledRating(long byte)
{
    if (byte <= 0)
        return 0;
    if (byte <= 31)
        return 1;
    if (byte <= 95)
        return 2;
    if (byte <= 159)
        return 3;
    if (byte <= 223)
        return 4;
    return 5;
}

void applyGenre(std::u16string value, bool acceptSimilitudes, TagStrings &slots)
{
    while (!value.empty() && value.back() <= u' ')
        value.pop_back();
    if (value.empty())
        return;
    capitalise(value);
    if (value.size() <= 3) {
        const std::optional<std::int32_t> number = leadingInteger(value);
        if (number && *number >= 0 && *number < catalog::kGenreCount) {
            const int index = acceptSimilitudes ? catalog::genreParent(*number) : *number;
            value = text::utf8ToUtf16(catalog::genreName(index));
        }
    }
    slots.Genre = std::move(value);
}

void applyPair(const std::u16string &value, const FrameRule &rule, TagStrings &slots)
{
    const std::optional<std::int32_t> number = leadingInteger(value);
    if (!number || *number == 0)
        return;
    slots.*rule.slot = decimal(*number);
    const std::size_t slash = value.find(u'/');
    if (slash == std::u16string::npos)
        return;
    const std::optional<std::int32_t> total = leadingInteger(std::u16string_view(value).substr(slash + 1));
    if (total && *total != 0)
        slots.*rule.totalSlot = decimal(*total);
}

void applyTextFrame(const FrameRule &rule, std::u16string value, bool acceptSimilitudes, TagStrings &slots)
{
    if (!rule.always && !(slots.*rule.slot).empty())
        return;
    switch (rule.kind) {
    case Kind::Genre:
        applyGenre(std::move(value), acceptSimilitudes, slots);
        return;
    case Kind::Year:
        if (const std::optional<std::int32_t> year = leadingInteger(value))
            slots.*rule.slot = decimal(*year);
        return;
    case Kind::Pair:
        applyPair(value, rule, slots);
        return;
    case Kind::Capitalised:
        capitalise(value);
        slots.*rule.slot = std::move(value);
        return;
    }
}

void applyPopularimeter(const id3_frame &frame, TagStrings &slots)
{
    const id3_field *field = id3_frame_field(&frame, 1);
    if (!field || id3_field_type(field) != ID3_FIELD_TYPE_INT8)
        return;
    const int rating = scaledRating(id3_field_getint(field));
    if (rating > 0)
        slots.Rating = decimal(rating);
}

void applyComment(const id3_frame &frame, TagStrings &slots)
{
    const id3_field *field = id3_frame_field(&frame, 3);
    if (!field || id3_field_type(field) != ID3_FIELD_TYPE_STRINGFULL)
        return;
    if (std::optional<std::u16string> value = valueOf(id3_field_getfullstring(field)))
        slots.Comment = std::move(*value);
}

void applyUserText(const id3_frame &frame, TagStrings &slots)
{
    const id3_field *descriptionField = id3_frame_field(&frame, 1);
    const id3_field *valueField = id3_frame_field(&frame, 2);
    if (!descriptionField || !valueField || id3_field_type(descriptionField) != ID3_FIELD_TYPE_STRING ||
        id3_field_type(valueField) != ID3_FIELD_TYPE_STRING)
        return;
    const std::optional<std::u16string> description = valueOf(id3_field_getstring(descriptionField));
    std::optional<std::u16string> value = valueOf(id3_field_getstring(valueField));
    if (!description || !value)
        return;
    if (equalsAsciiNoCase(*description, "PERFORMER") || equalsAsciiNoCase(*description, "COMPOSER")) {
        std::u16string &slot = equalsAsciiNoCase(*description, "PERFORMER") ? slots.Performer : slots.Composer;
        if (slot.empty()) {
            capitalise(*value);
            slot = std::move(*value);
        }
    } else if (equalsAsciiNoCase(*description, "TOTALTRACKS") || equalsAsciiNoCase(*description, "RATING")) {
        std::u16string &slot = equalsAsciiNoCase(*description, "RATING") ? slots.Rating : slots.TrackTotal;
        if (!slot.empty())
            return;
        if (const std::optional<std::int32_t> number = leadingInteger(*value))
            slot = decimal(*number);
    }
}

// A frame value as tag text: UTF-8 in NFC. libid3tag reads ISO-8859-1 frames as Latin-1; their
// bytes 0x80-0x9F, C1 controls in Latin-1, are read as the Windows-1252 characters (euro sign,
// curly quotes ...) that the writers of such frames meant.
void copyText(const std::u16string &slot, catalog::TagTextField &field)
{
    if (slot.empty())
        return;
    std::u16string value = slot;
    for (char16_t &unit : value) {
        if (unit >= 0x80 && unit <= 0x9F)
            unit = text::cp1252ToUnit(static_cast<unsigned char>(unit));
    }
    field.set(text::unicode::normalizeNfc(text::utf16ToUtf8(value)));
}

void copyNumber(const std::u16string &slot, std::int32_t &field)
{
    if (slot.empty())
        return;
    if (const std::optional<std::int32_t> number = leadingInteger(slot))
        field = *number;
}

} // namespace

void readId3Frames(const id3_tag &tag, bool acceptSimilitudes, TagStrings &slots)
{
    for (unsigned int i = 0; i < tag.nframes; ++i) {
        const id3_frame *frame = tag.frames ? tag.frames[i] : nullptr;
        if (!frame || frame->id[0] == '\0')
            continue;
        if (frame->nfields >= 3) {
            if (std::strcmp(frame->id, "POPM") == 0)
                applyPopularimeter(*frame, slots);
            else if (std::strcmp(frame->id, "COMM") == 0)
                applyComment(*frame, slots);
            else if (std::strcmp(frame->id, "TXXX") == 0)
                applyUserText(*frame, slots);
            continue;
        }
        if (frame->nfields != 2)
            continue;
        const id3_field *list = id3_frame_field(frame, 1);
        if (!list || id3_field_type(list) != ID3_FIELD_TYPE_STRINGLIST || id3_field_getnstrings(list) == 0)
            continue;
        const FrameRule *rule = findTextRule(frame->id);
        if (!rule)
            continue;
        if (std::optional<std::u16string> value = valueOf(id3_field_getstrings(list, 0)))
            applyTextFrame(*rule, std::move(*value), acceptSimilitudes, slots);
    }
}

void copySlotsToTags(const TagStrings &slots, catalog::CurrentTags &tags)
{
    copyText(slots.Title, tags.Title);
    copyText(slots.Subtitle, tags.Subtitle);
    copyText(slots.Album, tags.Album);
    copyText(slots.Artist, tags.Artist);
    copyText(slots.AlbumArtist, tags.AlbumArtist);
    copyText(slots.Performer, tags.Performer);
    copyText(slots.Composer, tags.Composer);
    copyText(slots.Comment, tags.Comment);
    copyText(slots.Publisher, tags.Publisher);
    copyText(slots.Encoder, tags.Encoder);
    copyText(slots.Genre, tags.Genre);
    copyNumber(slots.Year, tags.Year);
    copyNumber(slots.Track, tags.Track);
    copyNumber(slots.TrackTotal, tags.TrackTotal);
    copyNumber(slots.Disc, tags.Disc);
    copyNumber(slots.DiscTotal, tags.DiscTotal);
    copyNumber(slots.Rating, tags.Rating);
}

} // namespace tunvale::formats
