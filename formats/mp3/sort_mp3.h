#pragma once

#include "catalog/records/load_options.h"
#include "formats/tag_writing.h"

#include <filesystem>
#include <string>

namespace tunvale::formats {

// The MP3 reader: fills currentTags() from a file's ID3v1/ID3v2 tags through libid3tag.
class CSortMp3 {
public:
    // Reads the tags, completes them and appends one catalog entry; 0 on success, 1 when the
    // file is refused (catalog::loadRefusal() says why): it cannot be opened, is not a
    // regular file, or holds neither an ID3v2 tag nor MPEG audio near its start.
    int LoadMp3(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options);
    // Clears and fills currentTags() and completes them; 0 when the file was read.
    int ReadMp3Tags(const std::filesystem::path &path, const catalog::LoadOptions &options);
};

// The process-wide reader.
CSortMp3 &sortMp3();

// Sets title, artist (when not empty), track ("%d" or "%d/%d"; when > 0) in the copy's tag,
// written back as ID3v2.3, and removes its pictures when asked. A tag that no longer fits is
// written with the audio into a work file beside the copy, named from names, which then
// replaces it.
WriteResult WriteMp3Tags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
