#include "formats/id3v2/id3v2_chunk.h"

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "catalog/text/fold.h"
#include "catalog/text/tag_text.h"
#include "catalog/text/trim.h"
#include "formats/id3v2/id3v2_frames.h"
#include "formats/id3v2/id3v2_text.h"

#include <limits>
#include <new>

namespace tunvale::formats {

namespace {

using catalog::CurrentTags;
using catalog::TagTextField;
using id3v2::Frame;

void replaceWhenNotBlank(TagTextField &field, const std::string &text)
{
    if (!text::isBlank(text))
        field.set(text);
}

void setWhileBlank(TagTextField &field, const std::string &text)
{
    if (text::isBlank(field.view()) && !text::isBlank(text))
        field.set(text);
}

// A frame's content as text: the encoding byte, then the text.
std::string frameText(ByteSpan content)
{
    if (content.empty())
        return {};
    return id3v2::decodeText(content[0], content.subspan(1));
}

// "n" or "n/m".
void readNumberPair(const std::string &text, std::int32_t &number, std::int32_t &total)
{
    const std::uint32_t n = id3v2::leadingNumber(text);
    if (number == 0 && n != 0)
        number = static_cast<std::int32_t>(n);
    const std::size_t slash = text.find('/');
    if (slash != std::string::npos) {
        const std::uint32_t m = id3v2::leadingNumber(std::string_view(text).substr(slash + 1));
        if (total == 0 && m != 0)
            total = static_cast<std::int32_t>(m);
    }
}

// COMM: encoding, language (3 bytes), description, text.
void readComment(ByteSpan content, CurrentTags &tags)
{
    if (content.size() < 4)
        return;
    const std::uint8_t encoding = content[0];
    ByteSpan description;
    ByteSpan value;
    id3v2::splitTerminated(encoding, content.subspan(4), description, value);
    const std::string head = id3v2::decodeText(encoding, description);
    const std::string body = id3v2::decodeText(encoding, value);
    std::string comment = head.empty() ? body : head + "-" + body;
    if (comment.size() > TagTextField::kMaxLength)
        comment.resize(TagTextField::kMaxLength);
    replaceWhenNotBlank(tags.Comment, comment);
}

// The number in a TXXX value after at most three leading non-digit characters.
std::uint32_t txxxNumber(const std::string &value)
{
    std::size_t skip = 0;
    while (skip < 3 && skip < value.size() && !(value[skip] >= '0' && value[skip] <= '9'))
        ++skip;
    return id3v2::leadingNumber(std::string_view(value).substr(skip));
}

void readUserText(ByteSpan content, CurrentTags &tags)
{
    if (content.empty())
        return;
    const std::uint8_t encoding = content[0];
    ByteSpan description;
    ByteSpan value;
    id3v2::splitTerminated(encoding, content.subspan(1), description, value);
    const std::string name = id3v2::decodeText(encoding, description);
    const std::string text = id3v2::decodeText(encoding, value);
    if (text::compareFolded(name, "PERFORMER") == 0) {
        setWhileBlank(tags.Performer, text);
    } else if (text::compareFolded(name, "COMPOSER") == 0) {
        setWhileBlank(tags.Composer, text);
    } else if (text::compareFolded(name, "TOTALTRACKS") == 0) {
        const std::uint32_t total = txxxNumber(text);
        if (total != 0)
            tags.TrackTotal = static_cast<std::int32_t>(total);
    } else if (text::compareFolded(name, "RATING") == 0) {
        const std::uint32_t rating = txxxNumber(text);
        if (rating != 0 && tags.Rating == 0)
            tags.Rating = static_cast<std::int32_t>(rating);
    }
}

// POPM: e-mail (ISO-8859-1, NUL-terminated), rating byte, play counter. Only the rating of
// Windows Media Player is understood; its 1..255 scale maps onto five stars.
void readPopularimeter(ByteSpan content, CurrentTags &tags)
{
    ByteSpan email;
    ByteSpan rest;
    id3v2::splitTerminated(0, content, email, rest);
    if (email.size() == content.size() || rest.empty())
        return;   // no terminator or no rating byte
    const std::string folded = text::foldToUpper(
        std::string_view(reinterpret_cast<const char *>(email.data()), email.size()));
    if (folded.find("MEDIA PLAYER") == std::string::npos)
        return;
    const std::uint8_t rating = rest[0];
    if (rating == 0)
        return;
    tags.Rating = rating < 32 ? 1 : rating < 96 ? 2 : rating < 160 ? 3 : rating < 224 ? 4 : 5;
}

// APIC: encoding, MIME type (ISO-8859-1, NUL-terminated), picture type, description, data.
void readPicture(ByteSpan content, catalog::PictureTable &pictures)
{
    if (content.empty() || pictures.count() >= static_cast<std::int32_t>(catalog::PictureTable::kMaxPictures))
        return;
    const std::uint8_t encoding = content[0];
    ByteSpan mime;
    ByteSpan rest;
    id3v2::splitTerminated(0, content.subspan(1), mime, rest);
    if (rest.empty())
        return;
    const std::uint8_t type = rest[0];
    ByteSpan description;
    ByteSpan data;
    id3v2::splitTerminated(encoding, rest.subspan(1), description, data);
    try {
        catalog::Picture picture;
        picture.mimeType.assign(reinterpret_cast<const char *>(mime.data()),
                                std::min(mime.size(), catalog::PictureTable::kMaxMimeType));
        picture.type = type;
        picture.description = id3v2::decodeText(encoding, description);
        picture.data.assign(data.begin(), data.end());
        pictures.add(std::move(picture));
    } catch (const std::bad_alloc &) {
        // A picture that does not fit in memory is left out; the tags still count.
    }
}

void readFrame(std::uint8_t major, const Frame &frame, CurrentTags &tags, catalog::PictureTable *pictures)
{
    const std::optional<ByteSpan> maybeContent = id3v2::frameContent(major, frame);
    if (!maybeContent || frame.size == 0)
        return;
    const ByteSpan content = *maybeContent;

    struct TextRule {
        const char *id;
        TagTextField CurrentTags::*field;
    };
    static constexpr TextRule kReplacing[] = {
        {"TALB", &CurrentTags::Album},     {"TOAL", &CurrentTags::Album},   {"TSOA", &CurrentTags::Album},
        {"TIT2", &CurrentTags::Title},     {"TIT3", &CurrentTags::Subtitle}, {"TPE1", &CurrentTags::Artist},
        {"TPE2", &CurrentTags::AlbumArtist}, {"TCON", &CurrentTags::Genre}, {"TCOM", &CurrentTags::Composer},
        {"TPUB", &CurrentTags::Publisher}, {"TENC", &CurrentTags::Encoder},
    };
    for (const TextRule &rule : kReplacing) {
        if (frame.is(rule.id)) {
            replaceWhenNotBlank(tags.*rule.field, frameText(content));
            return;
        }
    }
    if (frame.is("TCOP")) {
        setWhileBlank(tags.Publisher, frameText(content));
    } else if (frame.is("TSSE")) {
        setWhileBlank(tags.Encoder, frameText(content));
    } else if (frame.is("TYER") || frame.is("TORY") || frame.is("TDRC") || frame.is("TDRL")) {
        const std::uint32_t year = id3v2::leadingNumber(frameText(content));
        if (year != 0)
            tags.Year = static_cast<std::int32_t>(year);
    } else if (frame.is("TRCK")) {
        readNumberPair(frameText(content), tags.Track, tags.TrackTotal);
    } else if (frame.is("TPOS")) {
        readNumberPair(frameText(content), tags.Disc, tags.DiscTotal);
    } else if (frame.is("COMM")) {
        readComment(content, tags);
    } else if (frame.is("TXXX")) {
        readUserText(content, tags);
    } else if (frame.is("POPM")) {
        readPopularimeter(content, tags);
    } else if (frame.is("APIC") && pictures != nullptr) {
        readPicture(content, *pictures);
    }
}

} // namespace

int ParseId3v2Tag(ByteSpan tag, std::uint32_t chunkSize, CurrentTags &tags, catalog::PictureTable *pictures)
{
    const std::optional<id3v2::Header> header = id3v2::readHeader(tag);
    if (!header || header->size > chunkSize)
        return 0;
    id3v2::FrameWalker walker(tag, *header);
    id3v2::Frame frame;
    for (;;) {
        switch (walker.next(frame, chunkSize)) {
        case id3v2::FrameWalker::Step::Frame:
            readFrame(header->major, frame, tags, pictures);
            break;
        case id3v2::FrameWalker::Step::Oversize:
            return 0;
        case id3v2::FrameWalker::Step::End:
        case id3v2::FrameWalker::Step::Overrun:
            // A last frame cut off by the end of the tag is left unread; the rest stands.
            return 1;
        }
    }
}

} // namespace tunvale::formats
