#include "formats/ogg/ogg_comment_file.h"

#include "catalog/text/codepage.h"
#include "formats/flac/vorbis_comment_fields.h"
#include "formats/ogg/ogg_header_scan.h"
#include "formats/ogg/xiph_pictures.h"
#include "formats/taglib/regular_file_stream.h"

#include <taglib/oggfile.h>

#include <limits>
#include <new>

namespace tunvale::formats {

namespace {

// TagLib's Ogg layer on its own: packets in, packets out, no codec of its choosing.
class OggPacketFile final : public TagLib::Ogg::File {
public:
    explicit OggPacketFile(TagLib::IOStream *stream) : TagLib::Ogg::File(stream) {}
    TagLib::Tag *tag() const override { return nullptr; }
    TagLib::AudioProperties *audioProperties() const override { return nullptr; }
    bool save() override { return TagLib::Ogg::File::save(); }
};

std::string_view view(const TagLib::ByteVector &bytes) { return {bytes.data(), bytes.size()}; }

// The codec whose identification magic packet 0 starts with, or nullptr.
const OggCodec *codecOf(std::string_view identification, std::span<const OggCodec> codecs)
{
    for (const OggCodec &codec : codecs) {
        if (identification.starts_with(codec.identificationMagic))
            return &codec;
    }
    return nullptr;
}

// "not an Opus stream", "not Ogg Vorbis or Opus"
std::string unsupportedReason(std::span<const OggCodec> codecs)
{
    if (codecs.size() == 1)
        return "not an " + std::string(codecs.front().name) + " stream";
    std::string names;
    for (std::size_t i = 0; i < codecs.size(); ++i)
        names += (i == 0 ? "" : i + 1 == codecs.size() ? " or " : ", ") + std::string(codecs[i].name);
    return "not Ogg " + names;
}

// The comment header of a stream: its codec and the packet (magic included).
struct CommentHeader {
    TagReadResult result;
    const OggCodec *codec = nullptr;
    TagLib::ByteVector packet;

    std::string_view body() const { return view(packet).substr(codec->commentMagic.size()); }
};

CommentHeader readCommentHeader(OggPacketFile &file, RegularFileStream &stream, std::span<const OggCodec> codecs)
{
    CommentHeader header;
    const OggHeaderScan scan = scanOggHeaders(stream);
    if (!scan.ok) {
        const TagReadError error = scan.notOgg ? TagReadError::NotRecognized
            : scan.unsupported                 ? TagReadError::Unsupported
                                               : TagReadError::Damaged;
        header.result = TagReadResult::failure(error, scan.problem);
        return header;
    }
    header.codec = codecOf(view(file.packet(0)), codecs);
    if (!header.codec) {
        header.result = TagReadResult::failure(TagReadError::Unsupported, unsupportedReason(codecs));
        return header;
    }
    header.packet = file.packet(1);
    if (!view(header.packet).starts_with(header.codec->commentMagic)) {
        header.result = TagReadResult::failure(TagReadError::Damaged, "no comment header");
        return header;
    }
    if (stream.failed())
        header.result = TagReadResult::failure(TagReadError::ReadFailed, "read error");
    return header;
}

bool tooLarge(const RegularFile &file)
{
    return file.size() > static_cast<std::uint64_t>(std::numeric_limits<long>::max());
}

TagReadResult readOpened(RegularFile &opened, const std::filesystem::path &path, std::span<const OggCodec> codecs,
                         catalog::CurrentTags &tags, catalog::PictureTable *pictures)
{
    char readAhead[RegularFileStream::kReadAheadSize];
    RegularFileStream stream(opened, path, false, readAhead);
    OggPacketFile file(&stream);
    const CommentHeader header = readCommentHeader(file, stream, codecs);
    if (!header.result.ok())
        return header.result;
    XiphCommentPacket comments;
    if (!parseXiphComments(header.body(), comments))
        return TagReadResult::failure(TagReadError::Damaged, "damaged comment header");
    // Entries read before any damage are taken, as the FLAC reader takes what libFLAC gives.
    for (const std::string_view entry : comments.entries)
        applyVorbisComment(entry, tags);
    if (pictures)
        collectXiphPictures(comments.entries, *pictures);
    return TagReadResult::success();
}

bool editOpened(RegularFileStream &stream, std::span<const OggCodec> codecs, const XiphCommentEdit &edit)
{
    OggPacketFile file(&stream);
    const CommentHeader header = readCommentHeader(file, stream, codecs);
    if (!header.result.ok())
        return false;
    XiphCommentPacket comments;
    if (!parseXiphComments(header.body(), comments) || !comments.complete)
        return false;
    const std::string body = renderXiphComments(comments, edit);
    if (body.empty())
        return false;
    TagLib::ByteVector packet(header.codec->commentMagic.data(), static_cast<unsigned int>(header.codec->commentMagic.size()));
    packet.append(TagLib::ByteVector(body.data(), static_cast<unsigned int>(body.size())));
    if (packet == header.packet)
        return true;
    file.setPacket(1, packet);
    if (!file.save())
        return false;
    // Read back from the pages as written: the stream must hold exactly the new packet.
    OggPacketFile written(&stream);
    const CommentHeader check = readCommentHeader(written, stream, codecs);
    return check.result.ok() && check.codec == header.codec && check.packet == packet;
}

} // namespace

XiphCommentEdit xiphCommentEdit(const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                                bool removePictures)
{
    XiphCommentEdit edit;
    edit.title = text::utf16ToUtf8(title);
    edit.artist = text::utf16ToUtf8(artist);
    if (track > 0)
        edit.track = std::to_string(track);
    if (totalTracks > 0)
        edit.totalTracks = std::to_string(totalTracks);
    edit.removePictures = removePictures;
    return edit;
}

TagReadResult readOggComments(const std::filesystem::path &path, std::span<const OggCodec> codecs,
                              catalog::CurrentTags &tags, catalog::PictureTable *pictures)
{
    RegularFile opened;
    if (!opened.open(path, RegularFile::Access::Read))
        return TagReadResult::failure(TagReadError::Open, openErrorReason(opened.error()));
    if (tooLarge(opened))
        return TagReadResult::failure(TagReadError::TooLarge, "file too large");
    try {
        return readOpened(opened, path, codecs, tags, pictures);
    } catch (const std::bad_alloc &) {
        return TagReadResult::failure(TagReadError::Damaged, "out of memory");
    }
}

WorkCopyOutcome writeOggComments(const std::filesystem::path &path, const std::filesystem::path &workPath,
                                 std::span<const OggCodec> codecs, const XiphCommentEdit &edit)
{
    return editThroughWorkCopy(path, workPath, [&](RegularFileStream &stream) {
        return editOpened(stream, codecs, edit);
    });
}

} // namespace tunvale::formats
