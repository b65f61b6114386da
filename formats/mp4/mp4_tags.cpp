#include "formats/mp4/mp4_tags.h"

#include "formats/mp4/mp4_atom_walk.h"
#include "formats/mp4/mp4_items.h"
#include "formats/taglib/regular_file_stream.h"
#include "formats/taglib/table_results.h"

#include <taglib/mp4file.h>
#include <taglib/tbytevectorstream.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>

namespace tunvale::formats {

namespace {

bool tooLarge(std::uint64_t size) { return size > static_cast<std::uint64_t>(std::numeric_limits<long>::max()); }

// The items TagLib reads, alone: a movie atom holding a user data atom holding a meta atom
// holding an item list of the file's own item atoms, byte for byte, in their order (the cover
// art left out unless it is wanted). TagLib finds in it the items it finds in the whole file,
// without building the tree of every track first, which is most of the cost of loading a
// small file. Empty when the file needs the whole parse: an atom that does not lie within its
// parent (TagLib reads past such an atom's end), or items too large for 32-bit atom sizes.
TagLib::ByteVector itemsAlone(RegularFileStream &stream, const Mp4Layout &layout, bool withPictures)
{
    constexpr std::uint64_t kHeaderSize = 8;
    constexpr std::uint64_t kWrapperSize = 4 * kHeaderSize;   // moov, udta, meta, ilst
    constexpr std::uint64_t kMaxSize = std::numeric_limits<std::uint32_t>::max();
    if (!layout.consistent)
        return {};
    const auto wanted = [&](const Mp4ItemAtom &item) {
        return withPictures || std::string_view(item.name, sizeof item.name) != "covr";
    };
    std::uint64_t size = kWrapperSize;
    for (const Mp4ItemAtom &item : layout.items) {
        if (wanted(item))
            size += item.length;
        if (size > kMaxSize)
            return {};
    }
    TagLib::ByteVector bytes(static_cast<unsigned int>(size));
    char *out = bytes.data();
    for (const char *name : {"moov", "udta", "meta", "ilst"}) {
        const std::uint64_t atomSize = size - static_cast<std::uint64_t>(out - bytes.data());
        for (int shift = 24; shift >= 0; shift -= 8)
            *out++ = static_cast<char>((atomSize >> shift) & 0xFF);
        out = std::copy_n(name, 4, out);
    }
    for (const Mp4ItemAtom &item : layout.items) {
        if (!wanted(item))
            continue;
        if (stream.copyAt(item.offset, out, static_cast<std::size_t>(item.length)) != item.length)
            return {};
        out += item.length;
    }
    return bytes;
}

// Reads the items of the MP4 file source holds: the whole file (source is stream) or the item
// atoms alone. Read errors are the file's stream's.
TagReadResult parseItems(TagLib::IOStream &source, const RegularFileStream &stream, catalog::CurrentTags &tags,
                         catalog::PictureTable *pictures)
{
    TagLib::MP4::File file(&source, false);
    if (stream.failed())
        return TagReadResult::failure(TagReadError::ReadFailed, "read error");
    if (!file.isValid())
        return TagReadResult::failure(TagReadError::Damaged, "damaged MP4 file");
    if (const TagLib::MP4::Tag *tag = file.tag()) {
        applyMp4Items(tag->itemMap(), tags);
        if (pictures)
            collectMp4Pictures(tag->itemMap(), *pictures);
    }
    return TagReadResult::success();
}

TagReadResult readOpened(RegularFile &opened, const std::filesystem::path &path, catalog::CurrentTags &tags,
                         catalog::PictureTable *pictures, std::string *audioCodec, Mp4ItemParse parse)
{
    char readAhead[RegularFileStream::kReadAheadSize];
    RegularFileStream stream(opened, path, false, readAhead);
    const Mp4Layout layout = walkMp4Atoms(stream);
    if (!layout.result.ok())
        return layout.result;
    if (stream.failed())
        return TagReadResult::failure(TagReadError::ReadFailed, "read error");
    TagLib::ByteVector items;
    if (parse == Mp4ItemParse::ItemsAlone)
        items = itemsAlone(stream, layout, pictures != nullptr);
    TagReadResult result = TagReadResult::success();
    if (items.isEmpty()) {
        result = parseItems(stream, stream, tags, pictures);
    } else {
        TagLib::ByteVectorStream itemsStream(items);
        result = parseItems(itemsStream, stream, tags, pictures);
    }
    if (result.ok() && audioCodec)
        *audioCodec = layout.audioCodec;
    return result;
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
                          catalog::PictureTable *pictures, std::string *audioCodec, Mp4ItemParse parse)
{
    RegularFile opened;
    if (!opened.open(path, RegularFile::Access::Read))
        return TagReadResult::failure(TagReadError::Open, openErrorReason(opened.error()));
    if (tooLarge(opened.size()))
        return TagReadResult::failure(TagReadError::TooLarge, "file too large");
    try {
        return readOpened(opened, path, tags, pictures, audioCodec, parse);
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
