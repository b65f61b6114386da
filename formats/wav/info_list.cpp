#include "formats/wav/info_list.h"

#include "catalog/records/current_tags.h"
#include "catalog/text/tag_text.h"
#include "catalog/text/trim.h"
#include "formats/id3v2/id3v2_text.h"
#include "formats/riff/chunk_walker.h"

#include <string_view>

namespace tunvale::formats {

namespace {

using catalog::CurrentTags;
using catalog::TagTextField;

constexpr std::uint32_t kMaxTextSize = 1024;
constexpr std::uint32_t kMaxNumberSize = 16;

struct TextRule {
    const char *id;
    TagTextField CurrentTags::*field;
};

constexpr TextRule kTextRules[] = {
    {"INAM", &CurrentTags::Title},   {"IART", &CurrentTags::Artist},  {"IPRD", &CurrentTags::Album},
    {"IGNR", &CurrentTags::Genre},   {"ICMT", &CurrentTags::Comment}, {"ICOP", &CurrentTags::Publisher},
    {"ISFT", &CurrentTags::Publisher},
};

std::string_view asChars(ByteSpan bytes)
{
    return std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// The number in the first four bytes of a date or track text ("2004-05-06", "07").
std::int32_t leadingNumber4(ByteSpan data)
{
    return static_cast<std::int32_t>(id3v2::leadingNumber(asChars(data.first(std::min<std::size_t>(data.size(), 4)))));
}

} // namespace

void ReadInfoList(ByteSpan list, CurrentTags &tags)
{
    std::size_t pos = 0;
    while (list.size() - pos > 8) {
        FourCC id;
        for (std::size_t i = 0; i < 4; ++i)
            id[i] = static_cast<char>(list[pos + i]);
        const std::uint32_t size = loadU32LE(list.data() + pos + 4);
        const std::size_t dataPos = pos + 8;

        const TextRule *textRule = nullptr;
        for (const TextRule &rule : kTextRules) {
            if (sameIdIgnoringCase(id, rule.id))
                textRule = &rule;
        }
        const bool year = sameIdIgnoringCase(id, "ICRD");
        const bool track = sameIdIgnoringCase(id, "ITRK");
        if (!textRule && !year && !track) {
            // Unknown sub-chunk: step one byte, which also carries the walk over pad bytes
            // whether or not the writer put them in.
            ++pos;
            continue;
        }
        const std::uint32_t limit = textRule ? kMaxTextSize : kMaxNumberSize;
        if (size > limit || !fitsWithin(dataPos, size, list.size())) {
            pos += 4;   // not used; the walk goes on at its size field
            continue;
        }
        const ByteSpan data = list.subspan(dataPos, size);
        if (textRule) {
            TagTextField &field = tags.*(textRule->field);
            if (text::isBlank(field.view()))
                field.set(text::utf8To8bit(asChars(data), TagTextField::kMaxLength));
        } else if (year) {
            if (tags.Year == 0)
                tags.Year = leadingNumber4(data);
        } else if (tags.Track == 0) {
            tags.Track = leadingNumber4(data);
        }
        pos = dataPos + size;
    }
    if (text::isBlank(tags.Title.view()))
        tags.Title.set(tags.Comment.view());
}

} // namespace tunvale::formats
