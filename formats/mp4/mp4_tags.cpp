#include "formats/mp4/mp4_tags.h"

#include "formats/mp4/mp4_atom_walk.h"
#include "formats/mp4/mp4_items.h"
#include "formats/taglib/regular_file_stream.h"
#include "formats/taglib/table_results.h"

#include <taglib/mp4file.h>

#include <limits>
#include <new>

namespace tunvale::formats {

namespace {

bool tooLarge(std::uint64_t size) { return size > static_cast<std::uint64_t>(std::numeric_limits<long>::max()); }

TagReadResult readOpened(RegularFile &opened, const std::filesystem::path &path, catalog::CurrentTags &tags,
                         catalog::PictureTable *pictures, std::string *audioCodec)
{
    char readAhead[RegularFileStream::kReadAheadSize];
    RegularFileStream stream(opened, path, false, readAhead);
    const Mp4Layout layout = walkMp4Atoms(stream);
    if (!layout.result.ok())
        return layout.result;
    TagLib::MP4::File file(&stream, false);
    if (stream.failed())
        return TagReadResult::failure(TagReadError::ReadFailed, "read error");
    if (!file.isValid())
        return TagReadResult::failure(TagReadError::Damaged, "damaged MP4 file");
    if (const TagLib::MP4::Tag *tag = file.tag()) {
        applyMp4Items(tag->itemMap(), tags);
        if (pictures)
            collectMp4Pictures(tag->itemMap(), *pictures);
    }
    if (audioCodec)
        *audioCodec = layout.audioCodec;
    return TagReadResult::success();
}

// The item of key, or an empty one.
TagLib::MP4::Item itemOf(const TagLib::MP4::ItemMap &items, const char *key)
{
    const auto found = items.find(key);
    return found == items.end() ? TagLib::MP4::Item() : found->second;
}

bool rewritable(RegularFileStream &stream)
{
    const Mp4Layout layout = walkMp4Atoms(stream);
    return layout.result.ok() && layout.offsetTablesIntact && layout.consistent;
}

// What a rewritten file must hold: the asked items, read back by a fresh parse of the whole
// file. TagLib's save on a structure it misread could otherwise leave a file it cannot read.
bool holdsChanges(RegularFileStream &stream, const TagLib::MP4::ItemMap &wanted, bool removePictures)
{
    if (!rewritable(stream))
        return false;
    TagLib::MP4::File file(&stream, false);
    const TagLib::MP4::Tag *tag = file.tag();
    if (!file.isValid() || !tag || stream.failed())
        return false;
    const TagLib::MP4::ItemMap &items = tag->itemMap();
    for (const char *key : {"\251nam", "\251ART"}) {
        if (itemOf(items, key).toStringList() != itemOf(wanted, key).toStringList())
            return false;
    }
    const TagLib::MP4::Item::IntPair track = itemOf(items, "trkn").toIntPair();
    const TagLib::MP4::Item::IntPair wantedTrack = itemOf(wanted, "trkn").toIntPair();
    if (track.first != wantedTrack.first || track.second != wantedTrack.second)
        return false;
    return !removePictures || !items.contains("covr");
}

bool editOpened(RegularFileStream &stream, const std::u16string &title, const std::u16string &artist, int track,
                int totalTracks, bool removePictures)
{
    if (!rewritable(stream))
        return false;
    TagLib::MP4::ItemMap wanted;
    {
        TagLib::MP4::File file(&stream, false);
        TagLib::MP4::Tag *tag = file.tag();
        if (!file.isValid() || !tag || stream.failed())
            return false;
        editMp4Items(*tag, title, artist, track, totalTracks, removePictures);
        wanted = tag->itemMap();
        if (!file.save())
            return false;
    }
    return holdsChanges(stream, wanted, removePictures);
}

} // namespace

TagReadResult readMp4Tags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                          catalog::PictureTable *pictures, std::string *audioCodec)
{
    RegularFile opened;
    if (!opened.open(path, RegularFile::Access::Read))
        return TagReadResult::failure(TagReadError::Open, openErrorReason(opened.error()));
    if (tooLarge(opened.size()))
        return TagReadResult::failure(TagReadError::TooLarge, "file too large");
    try {
        return readOpened(opened, path, tags, pictures, audioCodec);
    } catch (const std::bad_alloc &) {
        return TagReadResult::failure(TagReadError::Damaged, "out of memory");
    }
}

WorkCopyOutcome writeMp4Tags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                             const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                             bool removePictures)
{
    return editThroughWorkCopy(path, workPath, [&](RegularFileStream &stream) {
        return editOpened(stream, title, artist, track, totalTracks, removePictures);
    });
}

ReadResult ReadMp4Tags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    return tableReadResult(readMp4Tags(path, read.tags, nullptr), "MP4", path);
}

WriteResult WriteMp4Tags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names)
{
    if (changesNothing(changes))
        return WriteResult::success();
    return tableWriteResult(writeMp4Tags(path, names.beside(path), changes.title, changes.artist, changes.track,
                                         changes.totalTracks, changes.removePictures));
}

} // namespace tunvale::formats
