#include "formats/mp3/id3v23_renderer.h"

#include <id3tag.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>

// ID3v2.3 writer over libid3tag's in-memory frames. The library stores every frame under its
// ID3v2.4 identifier, with ID3v2.4 flags and possibly ID3v2.4-only text encodings; this file
// turns that into a tag any ID3v2.3 reader accepts:
// - frame sizes plain 32-bit big-endian (ID3v2.3 §3.3), frame flags in the 2.3 bit layout;
// - UTF-8 and UTF-16BE text (encodings 3 and 2, new in 2.4) re-encoded as ISO-8859-1 when every
//   character fits, otherwise UTF-16 with a byte-order mark;
// - TDRC becomes TYER (+ TDAT, TIME), TDOR becomes TORY, TIPL becomes IPLS; the 2.3 frames the
//   library keeps as "obsolete" (TYER, TDAT, TIME, TRDA, TSIZ, RVAD, EQUA) get their identifiers
//   back; several strings of a text frame are joined with "/" (TCON as "(n)" references);
// - SEEK is dropped (its offset means nothing once the tag is rewritten), and so are frames
//   marked to be discarded when the tag changes, as the library does when it renders.

namespace tunvale::formats {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMaxSyncsafe = 0x0FFFFFFF;

// ID3v2.3 frame flags (§3.3.1).
constexpr std::uint16_t kV23TagAlter = 0x8000;
constexpr std::uint16_t kV23FileAlter = 0x4000;
constexpr std::uint16_t kV23ReadOnly = 0x2000;
constexpr std::uint16_t kV23Compression = 0x0080;
constexpr std::uint16_t kV23Encryption = 0x0040;
constexpr std::uint16_t kV23Grouping = 0x0020;

void putBigEndian(Bytes &out, unsigned long value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

bool fitsLatin1(const id3_ucs4_t *text)
{
    if (text)
        for (; *text; ++text)
            if (*text > 0xFF)
                return false;
    return true;
}

void putLatin1(Bytes &out, const id3_ucs4_t *text)
{
    if (text)
        for (; *text; ++text)
            out.push_back(*text > 0xFF ? static_cast<std::uint8_t>('?') : static_cast<std::uint8_t>(*text));
}

void putUtf16Unit(Bytes &out, unsigned long unit)
{
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

// UTF-16 little-endian with its byte-order mark, as ID3v2.3 §4.2 requires of encoding 1.
void putUtf16(Bytes &out, const id3_ucs4_t *text)
{
    putUtf16Unit(out, 0xFEFF);
    if (!text)
        return;
    for (; *text; ++text) {
        unsigned long c = *text;
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            putUtf16Unit(out, 0xD800 + (c >> 10));
            putUtf16Unit(out, 0xDC00 + (c & 0x3FF));
        } else {
            putUtf16Unit(out, c);
        }
    }
}

void putString(Bytes &out, const id3_ucs4_t *text, int encoding, bool terminate)
{
    if (encoding == ID3_FIELD_TEXTENCODING_UTF_16) {
        putUtf16(out, text);
        if (terminate) {
            out.push_back(0);
            out.push_back(0);
        }
    } else {
        putLatin1(out, text);
        if (terminate)
            out.push_back(0);
    }
}

void putLatin1Bytes(Bytes &out, const id3_latin1_t *text, bool terminate)
{
    if (text)
        for (; *text; ++text)
            out.push_back(*text);
    if (terminate)
        out.push_back(0);
}

// The encoding a frame gets in ID3v2.3: 0 and 1 stay; 2 (UTF-16BE) and 3 (UTF-8) become
// ISO-8859-1 when every string of the frame fits, otherwise UTF-16.
int v23Encoding(const id3_frame &frame, long encoding)
{
    if (encoding == ID3_FIELD_TEXTENCODING_ISO_8859_1 || encoding == ID3_FIELD_TEXTENCODING_UTF_16)
        return static_cast<int>(encoding);
    for (unsigned int i = 0; i < frame.nfields; ++i) {
        const id3_field &field = frame.fields[i];
        switch (field.type) {
        case ID3_FIELD_TYPE_STRING:
        case ID3_FIELD_TYPE_STRINGFULL:
            if (!fitsLatin1(field.string.ptr))
                return ID3_FIELD_TEXTENCODING_UTF_16;
            break;
        case ID3_FIELD_TYPE_STRINGLIST:
            for (unsigned int s = 0; s < field.stringlist.nstrings; ++s)
                if (!fitsLatin1(field.stringlist.strings[s]))
                    return ID3_FIELD_TEXTENCODING_UTF_16;
            break;
        default:
            break;
        }
    }
    return ID3_FIELD_TEXTENCODING_ISO_8859_1;
}

using Ucs4 = std::basic_string<id3_ucs4_t>;

bool isDigits(const Ucs4 &text)
{
    if (text.empty())
        return false;
    for (const id3_ucs4_t c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

Ucs4 toUcs4(std::string_view ascii) { return Ucs4(ascii.begin(), ascii.end()); }

// A text frame holds one string in ID3v2.3: several values are joined with "/"; genre numbers
// become "(n)" references ahead of the names (ID3v2.3 §4.2.1 TCON).
Ucs4 joinedText(const char *id, const id3_field &list)
{
    Ucs4 references;
    Ucs4 joined;
    const bool genre = std::strcmp(id, "TCON") == 0;
    for (unsigned int i = 0; i < list.stringlist.nstrings; ++i) {
        const id3_ucs4_t *s = list.stringlist.strings[i];
        const Ucs4 value = s ? Ucs4(s) : Ucs4();
        if (genre && (isDigits(value) || value == toUcs4("RX") || value == toUcs4("CR"))) {
            references += toUcs4("(") + value + toUcs4(")");
            continue;
        }
        if (!joined.empty())
            joined += toUcs4("/");
        // A genre name starting with "(" is escaped as "((".
        joined += genre && !value.empty() && value[0] == '(' ? toUcs4("(") + value : value;
    }
    return references + joined;
}

bool isPeopleList(const char *id) { return std::strcmp(id, "TIPL") == 0 || std::strcmp(id, "TMCL") == 0; }

// The frame's fields in ID3v2.3 form; false for a field type it does not know.
bool renderFields(const id3_frame &frame, Bytes &out)
{
    int encoding = ID3_FIELD_TEXTENCODING_ISO_8859_1;
    const bool textFrame = frame.id[0] == 'T' && frame.nfields == 2 && !isPeopleList(frame.id);
    for (unsigned int i = 0; i < frame.nfields; ++i) {
        const id3_field &field = frame.fields[i];
        const bool terminate = i + 1 < frame.nfields;
        switch (field.type) {
        case ID3_FIELD_TYPE_TEXTENCODING:
            encoding = v23Encoding(frame, field.number.value);
            out.push_back(static_cast<std::uint8_t>(encoding));
            break;
        case ID3_FIELD_TYPE_INT8:
            putBigEndian(out, static_cast<unsigned long>(field.number.value), 1);
            break;
        case ID3_FIELD_TYPE_INT16:
            putBigEndian(out, static_cast<unsigned long>(field.number.value), 2);
            break;
        case ID3_FIELD_TYPE_INT24:
            putBigEndian(out, static_cast<unsigned long>(field.number.value), 3);
            break;
        case ID3_FIELD_TYPE_INT32:
            putBigEndian(out, static_cast<unsigned long>(field.number.value), 4);
            break;
        case ID3_FIELD_TYPE_LATIN1:
        case ID3_FIELD_TYPE_LATIN1FULL:
            putLatin1Bytes(out, field.latin1.ptr, terminate);
            break;
        case ID3_FIELD_TYPE_LATIN1LIST:
            for (unsigned int s = 0; s < field.latin1list.nstrings; ++s)
                putLatin1Bytes(out, field.latin1list.strings[s], terminate || s + 1 < field.latin1list.nstrings);
            break;
        case ID3_FIELD_TYPE_STRING:
        case ID3_FIELD_TYPE_STRINGFULL:
            putString(out, field.string.ptr, encoding, terminate);
            break;
        case ID3_FIELD_TYPE_STRINGLIST:
            if (textFrame) {
                if (field.stringlist.nstrings == 1 && std::strcmp(frame.id, "TCON") != 0)
                    putString(out, field.stringlist.strings[0], encoding, terminate);
                else if (field.stringlist.nstrings > 0)
                    putString(out, joinedText(frame.id, field).c_str(), encoding, terminate);
            } else {
                for (unsigned int s = 0; s < field.stringlist.nstrings; ++s)
                    putString(out, field.stringlist.strings[s], encoding,
                              terminate || s + 1 < field.stringlist.nstrings);
            }
            break;
        case ID3_FIELD_TYPE_LANGUAGE:
            out.insert(out.end(), field.immediate.value, field.immediate.value + 3);
            break;
        case ID3_FIELD_TYPE_FRAMEID:
            out.insert(out.end(), field.immediate.value, field.immediate.value + 4);
            break;
        case ID3_FIELD_TYPE_DATE:
            out.insert(out.end(), field.immediate.value, field.immediate.value + 8);
            break;
        case ID3_FIELD_TYPE_INT32PLUS:
        case ID3_FIELD_TYPE_BINARYDATA:
            if (field.binary.data)
                out.insert(out.end(), field.binary.data, field.binary.data + field.binary.length);
            break;
        default:
            return false;
        }
    }
    return true;
}

std::uint16_t v23StatusFlags(int flags)
{
    std::uint16_t result = 0;
    if (flags & ID3_FRAME_FLAG_TAGALTERPRESERVATION)
        result |= kV23TagAlter;
    if (flags & ID3_FRAME_FLAG_FILEALTERPRESERVATION)
        result |= kV23FileAlter;
    if (flags & ID3_FRAME_FLAG_READONLY)
        result |= kV23ReadOnly;
    return result;
}

class TagBuilder {
public:
    bool ok() const { return m_ok; }
    bool empty() const { return m_frames.empty(); }
    const Bytes &frames() const { return m_frames; }

    // One frame: identifier, plain 32-bit size, flags, data.
    void frame(const char *id, std::uint16_t flags, const Bytes &prefix, const Bytes &data)
    {
        const std::size_t size = prefix.size() + data.size();
        if (size > kMaxSyncsafe) {
            m_ok = false;
            return;
        }
        m_frames.insert(m_frames.end(), id, id + 4);
        putBigEndian(m_frames, static_cast<unsigned long>(size), 4);
        putBigEndian(m_frames, flags, 2);
        m_frames.insert(m_frames.end(), prefix.begin(), prefix.end());
        m_frames.insert(m_frames.end(), data.begin(), data.end());
    }

    // A one-string text frame.
    void text(const char *id, const Ucs4 &value)
    {
        Bytes data;
        const int encoding = fitsLatin1(value.c_str()) ? ID3_FIELD_TEXTENCODING_ISO_8859_1 : ID3_FIELD_TEXTENCODING_UTF_16;
        data.push_back(static_cast<std::uint8_t>(encoding));
        putString(data, value.c_str(), encoding, false);
        frame(id, 0, {}, data);
    }

    void fail() { m_ok = false; }

private:
    Bytes m_frames;
    bool m_ok = true;
};

const id3_ucs4_t *firstString(const id3_frame &frame)
{
    const id3_field *list = id3_frame_field(&frame, 1);
    if (!list || list->type != ID3_FIELD_TYPE_STRINGLIST || list->stringlist.nstrings == 0)
        return nullptr;
    return list->stringlist.strings[0];
}

bool digitsAt(const Ucs4 &text, std::size_t position, std::size_t count)
{
    if (position + count > text.size())
        return false;
    for (std::size_t i = position; i < position + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// TDRC (yyyy-MM-ddTHH:mm:ss, any prefix) as ID3v2.3 TYER, TDAT (DDMM) and TIME (HHMM).
void renderRecordingTime(const id3_frame &frame, TagBuilder &builder)
{
    const id3_ucs4_t *value = firstString(frame);
    if (!value || !*value)
        return;
    const Ucs4 stamp(value);
    if (!digitsAt(stamp, 0, 4)) {
        builder.text("TYER", stamp);
        return;
    }
    builder.text("TYER", stamp.substr(0, 4));
    if (digitsAt(stamp, 5, 2) && digitsAt(stamp, 8, 2) && stamp[4] == '-' && stamp[7] == '-')
        builder.text("TDAT", stamp.substr(8, 2) + stamp.substr(5, 2));
    if (digitsAt(stamp, 11, 2) && digitsAt(stamp, 14, 2) && stamp.size() > 10 && stamp[10] == 'T' &&
        stamp[13] == ':')
        builder.text("TIME", stamp.substr(11, 2) + stamp.substr(14, 2));
}

void renderOriginalYear(const id3_frame &frame, TagBuilder &builder)
{
    const id3_ucs4_t *value = firstString(frame);
    if (!value || !*value)
        return;
    const Ucs4 stamp(value);
    builder.text("TORY", digitsAt(stamp, 0, 4) ? stamp.substr(0, 4) : stamp);
}

// The ID3v2.3 frames libid3tag keeps as "obsolete" with their original identifier and data.
bool isRestorableObsolete(const char *id)
{
    static constexpr std::array<const char *, 7> kIds = {"TYER", "TDAT", "TIME", "TRDA", "TSIZ", "RVAD", "EQUA"};
    for (const char *known : kIds)
        if (std::strncmp(id, known, 4) == 0)
            return true;
    return false;
}

bool isDateObsolete(const char *id)
{
    return std::strncmp(id, "TYER", 4) == 0 || std::strncmp(id, "TDAT", 4) == 0 || std::strncmp(id, "TIME", 4) == 0;
}

void renderObsolete(const id3_frame &frame, bool hasRecordingTime, TagBuilder &builder)
{
    const id3_field *idField = id3_frame_field(&frame, 0);
    const id3_field *dataField = id3_frame_field(&frame, 1);
    if (!idField || !dataField || idField->type != ID3_FIELD_TYPE_FRAMEID || dataField->type != ID3_FIELD_TYPE_BINARYDATA)
        return;
    const char *id = idField->immediate.value;
    // libid3tag builds TDRC from TYER, TDAT and TIME; TDRC is written back as those frames.
    if (!isRestorableObsolete(id) || (hasRecordingTime && isDateObsolete(id)))
        return;
    Bytes data;
    if (dataField->binary.data)
        data.assign(dataField->binary.data, dataField->binary.data + dataField->binary.length);
    // A text frame whose encoding byte no ID3v2.3 reader knows is damaged: left out.
    if (id[0] == 'T' && (data.empty() || data[0] > ID3_FIELD_TEXTENCODING_UTF_16))
        return;
    builder.frame(id, 0, {}, data);
}

// An encrypted frame is kept as it was read: ID3v2.3 §3.3.1 puts the decompressed size (when
// compressed), the method byte and the group byte before the data.
void renderEncrypted(const id3_frame &frame, TagBuilder &builder)
{
    std::uint16_t flags = static_cast<std::uint16_t>(v23StatusFlags(frame.flags) | kV23Encryption);
    Bytes prefix;
    if (frame.flags & ID3_FRAME_FLAG_COMPRESSION) {
        flags |= kV23Compression;
        putBigEndian(prefix, frame.decoded_length, 4);
    }
    prefix.push_back(static_cast<std::uint8_t>(frame.encryption_method));
    if (frame.flags & ID3_FRAME_FLAG_GROUPINGIDENTITY) {
        flags |= kV23Grouping;
        prefix.push_back(static_cast<std::uint8_t>(frame.group_id));
    }
    builder.frame(frame.id, flags, prefix, Bytes(frame.encoded, frame.encoded + frame.encoded_length));
}

void renderFrame(const id3_frame &frame, bool hasRecordingTime, TagBuilder &builder)
{
    const std::string_view id(frame.id, ::strnlen(frame.id, 4));
    if (id.size() != 4)
        return;
    // The library marks its "obsolete" holders as to be discarded; the ID3v2.3 frames they
    // hold are restored instead.
    if (id == ID3_FRAME_OBSOLETE) {
        renderObsolete(frame, hasRecordingTime, builder);
        return;
    }
    if (frame.flags & ID3_FRAME_FLAG_TAGALTERPRESERVATION)
        return;
    if (id == "SEEK")
        return;
    if (frame.encoded) {
        // Kept undecoded by the library: only encrypted data can be carried over as it is.
        if (frame.flags & ID3_FRAME_FLAG_ENCRYPTION)
            renderEncrypted(frame, builder);
        else
            builder.fail();
        return;
    }
    if (id == "TDRC") {
        renderRecordingTime(frame, builder);
        return;
    }
    if (id == "TDOR") {
        renderOriginalYear(frame, builder);
        return;
    }

    Bytes data;
    if (!renderFields(frame, data)) {
        builder.fail();
        return;
    }
    std::uint16_t flags = v23StatusFlags(frame.flags);
    Bytes prefix;
    if (frame.flags & ID3_FRAME_FLAG_GROUPINGIDENTITY) {
        flags |= kV23Grouping;
        prefix.push_back(static_cast<std::uint8_t>(frame.group_id));
    }
    builder.frame(id == "TIPL" ? "IPLS" : frame.id, flags, prefix, data);
}

} // namespace

std::vector<std::uint8_t> renderId3v23(const id3_tag *tag, std::size_t minimumLength)
{
    if (!tag)
        return {};
    bool hasRecordingTime = false;
    for (unsigned int i = 0; i < tag->nframes; ++i)
        if (tag->frames[i] && std::strncmp(tag->frames[i]->id, "TDRC", 4) == 0)
            hasRecordingTime = true;

    TagBuilder builder;
    for (unsigned int i = 0; i < tag->nframes && builder.ok(); ++i)
        if (tag->frames[i])
            renderFrame(*tag->frames[i], hasRecordingTime, builder);
    if (!builder.ok())
        return {};

    std::size_t length = 10 + builder.frames().size();
    if (length < minimumLength)
        length = minimumLength;
    // A tag needs at least one frame or some padding after its header.
    if (length <= 10 || length - 10 > kMaxSyncsafe)
        return {};

    Bytes out;
    out.reserve(length);
    out.insert(out.end(), {'I', 'D', '3', 3, 0, 0});
    const std::size_t size = length - 10;
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    out.insert(out.end(), builder.frames().begin(), builder.frames().end());
    out.resize(length, 0);
    return out;
}

} // namespace tunvale::formats
