#include "formats/opus/opus_tags.h"

#include "formats/taglib/table_results.h"

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

ReadResult ReadOpusTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    return tableReadResult(readOpusTags(path, read.tags, nullptr), "Opus", path);
}

WriteResult WriteOpusTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names)
{
    if (changesNothing(changes))
        return WriteResult::success();
    return tableWriteResult(writeOpusTags(path, names.beside(path), changes.title, changes.artist, changes.track,
                                          changes.totalTracks, changes.removePictures));
}

} // namespace tunvale::formats
