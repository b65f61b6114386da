#include "formats/opus/opus_tags.h"

#include "formats/ogg/ogg_comment_file.h"

namespace tunvale::formats {

namespace {

constexpr OggCodec kOpusFileCodecs[] = {kOpusCodec};

} // namespace

TagReadResult readOpusTags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                           catalog::PictureTable *pictures)
{
    return readOggComments(path, kOpusFileCodecs, tags, pictures);
}

WorkCopyOutcome writeOpusTags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                              const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                              bool removePictures)
{
    return writeOggComments(path, workPath, kOpusFileCodecs,
                            xiphCommentEdit(title, artist, track, totalTracks, removePictures));
}

} // namespace tunvale::formats
