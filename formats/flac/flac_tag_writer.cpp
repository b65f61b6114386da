// WriteFlacTags: title, artist, track number and track total in the VORBIS_COMMENT block of a
// copied FLAC file, and removal of its PICTURE blocks, through libFLAC's simple iterator.

#include "formats/flac/flac_tags.h"

#include "catalog/text/codepage.h"
#include "formats/audio/regular_file.h"
#include "formats/flac/flac_file_name.h"

#include <FLAC/metadata.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace tunvale::formats {

namespace {

// More metadata blocks than this are not walked; such a file is reported as not rewritten.
constexpr int kMaxBlocks = 100;

struct IteratorDeleter {
    void operator()(FLAC__Metadata_SimpleIterator *it) const { FLAC__metadata_simple_iterator_delete(it); }
};
struct BlockDeleter {
    void operator()(FLAC__StreamMetadata *block) const { FLAC__metadata_object_delete(block); }
};
using IteratorPtr = std::unique_ptr<FLAC__Metadata_SimpleIterator, IteratorDeleter>;
using BlockPtr = std::unique_ptr<FLAC__StreamMetadata, BlockDeleter>;

struct CommentValue {
    const char *key;
    std::string utf8;
};

// Replaces every comment of each key by one entry (the first keeps its place, a missing key
// is appended); false on any libFLAC failure.
bool setComments(FLAC__StreamMetadata *block, const std::vector<CommentValue> &values)
{
    for (const CommentValue &value : values) {
        FLAC__StreamMetadata_VorbisComment_Entry entry{};
        if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, value.key, value.utf8.c_str()))
            return false;
        // The block copies the entry, so ours is freed whatever happens.
        const bool ok = FLAC__metadata_object_vorbiscomment_replace_comment(block, entry, true, true);
        std::free(entry.entry);
        if (!ok)
            return false;
    }
    return true;
}

// One libFLAC step that writes the file. libFLAC tells a failed write only by its status; the
// system's reason is still in errno, and is kept in systemError for the caller.
template <class Step> bool writeStep(FLAC__Metadata_SimpleIterator *it, Step step, int &systemError)
{
    errno = 0;
    if (step())
        return true;
    const int error = errno;
    switch (FLAC__metadata_simple_iterator_status(it)) {
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_ERROR_OPENING_FILE:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_NOT_WRITABLE:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_READ_ERROR:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_SEEK_ERROR:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_WRITE_ERROR:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_RENAME_ERROR:
    case FLAC__METADATA_SIMPLE_ITERATOR_STATUS_UNLINK_ERROR:
        if (error != 0)
            systemError = error;
        break;
    default:
        break;
    }
    return false;
}

IteratorPtr openForWriting(const std::string &fileName)
{
    IteratorPtr it(FLAC__metadata_simple_iterator_new());
    if (!it)
        return nullptr;
    if (!FLAC__metadata_simple_iterator_init(it.get(), fileName.c_str(), false, false) ||
        !FLAC__metadata_simple_iterator_is_writable(it.get()))
        return nullptr;
    return it;
}

} // namespace

namespace {

bool writeFlacTags(const std::filesystem::path &path, const TagChanges &changes, int &systemError)
{
    const std::u16string &title = changes.title;
    const std::u16string &artist = changes.artist;
    const int track = changes.track;
    const int totalTracks = changes.totalTracks;
    const bool removePictures = changes.removePictures;
    if (path.empty())
        return false;
    if (title.empty() && artist.empty() && track == 0 && totalTracks == 0 && !removePictures)
        return true;

    std::vector<CommentValue> values;
    if (!title.empty())
        values.push_back({"TITLE", text::utf16ToUtf8(title)});
    if (!artist.empty())
        values.push_back({"ARTIST", text::utf16ToUtf8(artist)});
    // The track number is written bare, without "/total".
    if (track > 0)
        values.push_back({"TRACKNUMBER", std::to_string(track)});
    if (totalTracks > 0)
        values.push_back({"TRACKTOTAL", std::to_string(totalTracks)});

    const std::optional<std::string> fileName = flacFileName(path);
    if (!fileName)
        return false;
    // libFLAC's iterator opens by name and would wait on a FIFO: only a regular file (checked
    // without blocking) is handed to it.
    if (RegularFile check; !check.open(path, RegularFile::Access::Read))
        return false;
    IteratorPtr it = openForWriting(*fileName);
    if (!it)
        return false;

    bool sawComments = false;
    for (int visited = 1;; ++visited) {
        const FLAC__MetadataType type = FLAC__metadata_simple_iterator_get_block_type(it.get());
        if (type == FLAC__METADATA_TYPE_VORBIS_COMMENT && !values.empty()) {
            sawComments = true;
            BlockPtr block(FLAC__metadata_simple_iterator_get_block(it.get()));
            const auto setBlock = [&] { return FLAC__metadata_simple_iterator_set_block(it.get(), block.get(), true); };
            if (!block || !setComments(block.get(), values) || !writeStep(it.get(), setBlock, systemError))
                return false;
        } else if (type == FLAC__METADATA_TYPE_PICTURE && removePictures) {
            // The iterator moves back to the previous block; next() then reaches the following one.
            const auto deleteBlock = [&] { return FLAC__metadata_simple_iterator_delete_block(it.get(), false); };
            if (!writeStep(it.get(), deleteBlock, systemError))
                return false;
        }
        if (FLAC__metadata_simple_iterator_is_last(it.get()))
            break;
        if (visited == kMaxBlocks)
            return false;
        if (!FLAC__metadata_simple_iterator_next(it.get()))
            return false;
    }

    // A file without a comment block would otherwise keep its old title and track while the
    // copy is reported as retagged: give it one, right after STREAMINFO.
    if (!values.empty() && !sawComments) {
        it = openForWriting(*fileName);
        if (!it)
            return false;
        BlockPtr block(FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
        const auto insertBlock = [&] {
            return FLAC__metadata_simple_iterator_insert_block_after(it.get(), block.get(), true);
        };
        if (!block || !setComments(block.get(), values) || !writeStep(it.get(), insertBlock, systemError))
            return false;
    }
    return true;
}

} // namespace

WriteResult WriteFlacTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    int systemError = 0;
    if (writeFlacTags(path, changes, systemError))
        return WriteResult::success();
    return WriteResult::failure(systemError);
}

} // namespace tunvale::formats
