#include "output/conversion_tag.h"

#include "catalog/text/unicode/utf8.h"
#include "formats/mp3/id3v23_renderer.h"

#include <id3tag.h>

#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace tunvale::output {

namespace {

// The e-mail field Windows Media Player writes in its POPM frames; players look for it.
constexpr const char *kPopmEmail = "Windows Media Player 9 Series";

using Ucs4 = std::basic_string<id3_ucs4_t>;

struct TagDeleter {
    void operator()(id3_tag *tag) const { id3_tag_delete(tag); }
};
using TagPtr = std::unique_ptr<id3_tag, TagDeleter>;

// Tag text (UTF-8) to the code points libid3tag stores.
Ucs4 toUcs4(std::string_view utf8)
{
    Ucs4 result;
    result.reserve(utf8.size());
    for (const char32_t c : text::unicode::toCodePoints(utf8))
        result.push_back(c);
    return result;
}

bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Plain ASCII stays ISO-8859-1 (one byte a character); anything else is written in UTF-16
// with a byte-order mark, which every ID3v2.3 reader takes whole.
id3_field_textencoding encodingFor(std::string_view text)
{
    return isAscii(text) ? ID3_FIELD_TEXTENCODING_ISO_8859_1 : ID3_FIELD_TEXTENCODING_UTF_16;
}

// Builds frames into one tag; any libid3tag failure marks the whole build as failed.
class FrameBuilder {
public:
    explicit FrameBuilder(id3_tag *tag) : m_tag(tag) {}
    bool ok() const { return m_ok; }

    // A text frame (TIT2, TALB, ...): encoding, then a one-string list.
    void text(const char *id, std::string_view value)
    {
        if (value.empty())
            return;
        id3_frame *frame = newFrame(id);
        if (!frame)
            return;
        Ucs4 ucs4 = toUcs4(value);
        id3_ucs4_t *strings[] = {ucs4.data()};
        check(id3_field_settextencoding(id3_frame_field(frame, 0), encodingFor(value)));
        check(id3_field_setstrings(id3_frame_field(frame, 1), 1, strings));
        attach(frame);
    }

    void number(const char *id, std::int32_t value)
    {
        if (value > 0)
            text(id, std::to_string(value));
    }

    // TXXX: encoding, description, value. The encoding must suit both strings.
    void userText(std::string_view description, std::string_view value)
    {
        if (value.empty())
            return;
        id3_frame *frame = newFrame("TXXX");
        if (!frame)
            return;
        const Ucs4 ucs4Description = toUcs4(description);
        const Ucs4 ucs4Value = toUcs4(value);
        const bool ascii = isAscii(description) && isAscii(value);
        check(id3_field_settextencoding(id3_frame_field(frame, 0),
                                        ascii ? ID3_FIELD_TEXTENCODING_ISO_8859_1 : ID3_FIELD_TEXTENCODING_UTF_16));
        check(id3_field_setstring(id3_frame_field(frame, 1), ucs4Description.c_str()));
        check(id3_field_setstring(id3_frame_field(frame, 2), ucs4Value.c_str()));
        attach(frame);
    }

    void userNumber(std::string_view description, std::int32_t value)
    {
        if (value > 0)
            userText(description, std::to_string(value));
    }

    // COMM: encoding, language (left empty), short description (empty), the comment.
    void comment(std::string_view value)
    {
        if (value.empty())
            return;
        id3_frame *frame = newFrame("COMM");
        if (!frame)
            return;
        const Ucs4 empty;
        const Ucs4 ucs4 = toUcs4(value);
        check(id3_field_settextencoding(id3_frame_field(frame, 0), encodingFor(value)));
        check(id3_field_setstring(id3_frame_field(frame, 2), empty.c_str()));
        check(id3_field_setfullstring(id3_frame_field(frame, 3), ucs4.c_str()));
        attach(frame);
    }

    // POPM: e-mail, rating byte, no play counter.
    void popularimeter(std::int32_t rating)
    {
        if (rating <= 0)
            return;
        id3_frame *frame = newFrame("POPM");
        if (!frame)
            return;
        check(id3_field_setlatin1(id3_frame_field(frame, 0), reinterpret_cast<const id3_latin1_t *>(kPopmEmail)));
        // libid3tag holds 8-bit fields as signed values (-128..127) and renders their low byte.
        check(id3_field_setint(id3_frame_field(frame, 1), static_cast<std::int8_t>(popmRatingByte(rating))));
        attach(frame);
    }

    // APIC: encoding, MIME type, picture type, description, data. ISO-8859-1 unless the
    // description holds a character Latin-1 lacks (the euro sign, curly quotes, ...).
    void picture(const catalog::Picture &picture)
    {
        id3_frame *frame = newFrame("APIC");
        if (!frame)
            return;
        const Ucs4 description = toUcs4(picture.description);
        bool latin1 = true;
        for (const id3_ucs4_t c : description)
            latin1 = latin1 && c <= 0xFF;
        std::string mime = picture.mimeType;
        check(id3_field_settextencoding(id3_frame_field(frame, 0),
                                        latin1 ? ID3_FIELD_TEXTENCODING_ISO_8859_1 : ID3_FIELD_TEXTENCODING_UTF_16));
        check(id3_field_setlatin1(id3_frame_field(frame, 1), reinterpret_cast<const id3_latin1_t *>(mime.c_str())));
        check(id3_field_setint(id3_frame_field(frame, 2), picture.type));
        check(id3_field_setstring(id3_frame_field(frame, 3), description.c_str()));
        // id3_length_t is 32-bit on Windows; a picture that does not fit fails the tag rather
        // than being cut (no tag holds one: a frame is at most 256 MiB).
        if (picture.data.size() > std::numeric_limits<id3_length_t>::max())
            check(-1);
        else
            check(id3_field_setbinarydata(id3_frame_field(frame, 4), picture.data.data(),
                                          static_cast<id3_length_t>(picture.data.size())));
        attach(frame);
    }

private:
    id3_frame *newFrame(const char *id)
    {
        if (!m_ok)
            return nullptr;
        id3_frame *frame = id3_frame_new(id);
        m_ok = frame != nullptr;
        return frame;
    }

    void check(int result) { m_ok = m_ok && result == 0; }

    void attach(id3_frame *frame)
    {
        // The tag takes the frame only when attaching succeeds.
        if (!m_ok || id3_tag_attachframe(m_tag, frame) != 0) {
            id3_frame_delete(frame);
            m_ok = false;
        }
    }

    id3_tag *m_tag;
    bool m_ok = true;
};

} // namespace

std::uint8_t popmRatingByte(std::int32_t rating)
{
    switch (rating) {
    case 1: return 1;
    case 2: return 64;
    case 3: return 128;
    case 4: return 196;
    case 5: return 255;
    default: return 0;
    }
}

std::vector<std::uint8_t> buildConversionTag(const catalog::CurrentTags &tags, const catalog::PictureTable *pictures)
{
    TagPtr tag(id3_tag_new());
    if (!tag)
        return {};
    FrameBuilder frames(tag.get());
    frames.text("TIT2", tags.Title.view());
    frames.text("TIT3", tags.Subtitle.view());
    frames.text("TALB", tags.Album.view());
    frames.text("TPE1", tags.Artist.view());
    frames.text("TPE2", tags.AlbumArtist.view());
    frames.text("TCOM", tags.Composer.view());
    frames.comment(tags.Comment.view());
    frames.userText("Performer", tags.Performer.view());
    frames.text("TPUB", tags.Publisher.view());
    frames.text("TENC", tags.Encoder.view());
    frames.text("TCON", tags.Genre.view());
    frames.number("TDRC", tags.Year);
    frames.number("TRCK", tags.Track);
    frames.userNumber("TOTALTRACKS", tags.TrackTotal);
    frames.number("TPOS", tags.Disc);
    frames.userNumber("TOTALDISCS", tags.DiscTotal);
    frames.popularimeter(tags.Rating);
    if (pictures)
        for (const catalog::Picture &picture : pictures->pictures())
            frames.picture(picture);
    if (!frames.ok())
        return {};
    id3_tag_options(tag.get(), ID3_TAG_OPTION_COMPRESSION, 0);
    return formats::renderId3v23(tag.get());
}

} // namespace tunvale::output
