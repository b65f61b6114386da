#include "formats/mp3/sort_mp3.h"

#include "catalog/intake/intake.h"
#include "catalog/intake/tag_completion.h"
#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "catalog/records/tag_strings.h"
#include "formats/mp3/file_descriptor.h"
#include "formats/mp3/id3_frame_reader.h"

#include <id3tag.h>

namespace tunvale::formats {

namespace {

// Owns libid3tag's file object; closing it also closes the descriptor it was given.
class Id3File {
public:
    explicit Id3File(id3_file *file) : m_file(file) {}
    ~Id3File()
    {
        if (m_file)
            id3_file_close(m_file);
    }
    Id3File(const Id3File &) = delete;
    Id3File &operator=(const Id3File &) = delete;

    id3_file *get() const { return m_file; }

private:
    id3_file *m_file;
};

} // namespace

int CSortMp3::ReadMp3Tags(const std::filesystem::path &path, const catalog::LoadOptions &options)
{
    catalog::CurrentTags &tags = catalog::currentTags();
    tags.clear();
    catalog::pictureTable().clear();

    const int descriptor = openReadDescriptor(path);
    if (descriptor < 0)
        return 1;
    // On failure the library leaves the descriptor open and ours to close.
    Id3File file(id3_file_fdopen(descriptor, ID3_FILE_MODE_READONLY));
    if (!file.get()) {
        closeDescriptor(descriptor);
        return 1;
    }

    // The library hands back an empty merged tag when the file holds no tag it can read.
    const id3_tag *tag = id3_file_tag(file.get());
    if (!tag || tag->nframes == 0) {
        if (options.tagsFromName)
            catalog::completeTags(tags, path, true);
        else
            catalog::lastFillScore() = 0;
        return 0;
    }

    catalog::TagStrings slots;
    readId3Frames(*tag, options.acceptSimilitudes, slots);
    copySlotsToTags(slots, tags);
    catalog::completeTags(tags, path, options.tagsFromName);
    return 0;
}

int CSortMp3::LoadMp3(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options)
{
    const int result = ReadMp3Tags(path, options);
    if (result != 0)
        return result;
    catalog::intake(criterionCode, path, catalog::currentTags(), options.acceptSimilitudes, catalog::catalog());
    return 0;
}

CSortMp3 &sortMp3()
{
    static CSortMp3 reader;
    return reader;
}

} // namespace tunvale::formats
