#include "formats/ogg/ogg_tags.h"

#include "formats/taglib/table_results.h"

#include "formats/ogg/ogg_comment_file.h"

namespace tunvale::formats {

namespace {

constexpr OggCodec kOggFileCodecs[] = {kVorbisCodec, kOpusCodec};

} // namespace

TagReadResult readOggTags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                          catalog::PictureTable *pictures)
{
    return readOggComments(path, kOggFileCodecs, tags, pictures);
}

WorkCopyOutcome writeOggTags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                             const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                             bool removePictures)
{
    return writeOggComments(path, workPath, kOggFileCodecs,
                            xiphCommentEdit(title, artist, track, totalTracks, removePictures));
}

ReadResult ReadOggTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    return tableReadResult(readOggTags(path, read.tags, nullptr), "Ogg", path);
}

WriteResult WriteOggTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names)
{
    if (changesNothing(changes))
        return WriteResult::success();
    return tableWriteResult(writeOggTags(path, names.beside(path), changes.title, changes.artist, changes.track,
                                         changes.totalTracks, changes.removePictures));
}

} // namespace tunvale::formats
