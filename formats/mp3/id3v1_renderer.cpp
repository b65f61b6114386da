#include "formats/mp3/id3v1_renderer.h"

#include <id3tag.h>

#include <cstddef>
#include <cstring>

namespace tunvale::formats {

namespace {

constexpr std::uint8_t kNoGenre = 0xFF;
constexpr std::uint8_t kGenreOther = 12;

const id3_ucs4_t *firstString(const id3_tag &tag, const char *id)
{
    const id3_frame *frame = id3_tag_findframe(&tag, id, 0);
    if (!frame)
        return nullptr;
    const id3_field *list = id3_frame_field(frame, 1);
    if (!list || id3_field_type(list) != ID3_FIELD_TYPE_STRINGLIST || id3_field_getnstrings(list) == 0)
        return nullptr;
    return id3_field_getstrings(list, 0);
}

const id3_ucs4_t *commentText(const id3_tag &tag)
{
    const id3_frame *frame = id3_tag_findframe(&tag, "COMM", 0);
    if (!frame)
        return nullptr;
    const id3_field *text = id3_frame_field(frame, 3);
    if (!text || id3_field_type(text) != ID3_FIELD_TYPE_STRINGFULL)
        return nullptr;
    return id3_field_getfullstring(text);
}

// Writes at most width characters, the rest of the field stays zero.
void putField(std::uint8_t *field, std::size_t width, const id3_ucs4_t *text)
{
    if (!text)
        return;
    for (std::size_t i = 0; i < width && text[i]; ++i) {
        const id3_ucs4_t c = text[i];
        field[i] = c == '\n' ? ' ' : c > 0xFF ? '?' : static_cast<std::uint8_t>(c);
    }
}

// The leading decimal number of a text, 0 when there is none or it exceeds 255.
unsigned int smallNumber(const id3_ucs4_t *text)
{
    if (!text)
        return 0;
    unsigned int value = 0;
    std::size_t i = 0;
    for (; text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned int>(text[i] - '0');
        if (value > 255)
            return 0;
    }
    return i == 0 ? 0 : value;
}

bool allDigits(const id3_ucs4_t *text)
{
    if (!text || !*text)
        return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

std::uint8_t genreNumber(const id3_tag &tag)
{
    const id3_frame *frame = id3_tag_findframe(&tag, "TCON", 0);
    if (!frame)
        return kNoGenre;
    const id3_field *list = id3_frame_field(frame, 1);
    if (!list || id3_field_type(list) != ID3_FIELD_TYPE_STRINGLIST)
        return kNoGenre;
    const unsigned int count = id3_field_getnstrings(list);
    for (unsigned int i = 0; i < count; ++i) {
        const id3_ucs4_t *value = id3_field_getstrings(list, i);
        if (!value)
            continue;
        if (allDigits(value)) {
            const unsigned int number = smallNumber(value);
            if (number > 0 || value[0] == '0')
                if (number < kNoGenre)
                    return static_cast<std::uint8_t>(number);
            continue;
        }
        const int number = id3_genre_number(value);
        if (number >= 0 && number < kNoGenre)
            return static_cast<std::uint8_t>(number);
    }
    return count > 0 ? kGenreOther : kNoGenre;
}

} // namespace

std::array<std::uint8_t, 128> renderId3v1(const id3_tag &tag)
{
    std::array<std::uint8_t, 128> out{};
    std::memcpy(out.data(), "TAG", 3);
    putField(out.data() + 3, 30, firstString(tag, "TIT2"));
    putField(out.data() + 33, 30, firstString(tag, "TPE1"));
    putField(out.data() + 63, 30, firstString(tag, "TALB"));
    putField(out.data() + 93, 4, firstString(tag, "TDRC"));
    const unsigned int track = smallNumber(firstString(tag, "TRCK"));
    // ID3v1.1: a zero byte and the track number end the comment field.
    putField(out.data() + 97, track > 0 ? 28 : 30, commentText(tag));
    if (track > 0)
        out[126] = static_cast<std::uint8_t>(track);
    out[127] = genreNumber(tag);
    return out;
}

} // namespace tunvale::formats
