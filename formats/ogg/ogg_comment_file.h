#pragma once

// Reading and rewriting the comment header of an Ogg stream whose codec keeps its tags in a
// Vorbis comment packet (Vorbis, Opus). TagLib gathers the packets from the pages and writes
// the rewritten packet back into pages; the entries themselves are read and edited here, in
// file order and byte for byte, so that every entry an edit does not touch stays as it was.

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/ogg/xiph_comment_packet.h"
#include "formats/taglib/tag_read_result.h"
#include "formats/taglib/work_copy_edit.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tunvale::formats {

// A codec that carries Vorbis comments: the magic its first (identification) packet and its
// second (comment) packet start with.
struct OggCodec {
    std::string_view name;
    std::string_view identificationMagic;
    std::string_view commentMagic;
};

inline constexpr OggCodec kVorbisCodec{"Vorbis", std::string_view("\x01vorbis", 7), std::string_view("\x03vorbis", 7)};
inline constexpr OggCodec kOpusCodec{"Opus", "OpusHead", "OpusTags"};

// Fills tags from the comment entries of the file at path, through the Vorbis comment key
// table of the FLAC reader, and pictures (when given) from its METADATA_BLOCK_PICTURE
// entries. The stream's codec must be one of codecs. Tags are not completed here.
TagReadResult readOggComments(const std::filesystem::path &path, std::span<const OggCodec> codecs,
                              catalog::CurrentTags &tags, catalog::PictureTable *pictures);

// The comment edit for a placement's changes: title and artist in UTF-8 when not empty, track
// and total as decimal text when above 0.
XiphCommentEdit xiphCommentEdit(const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                                bool removePictures);

// Applies edit to the comment header of the file at path (a stream of one of codecs) through a
// work copy at workPath. A comment header that does not parse completely is refused.
WorkCopyOutcome writeOggComments(const std::filesystem::path &path, const std::filesystem::path &workPath,
                                 std::span<const OggCodec> codecs, const XiphCommentEdit &edit);

} // namespace tunvale::formats
