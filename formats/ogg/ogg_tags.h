#pragma once

// Ogg Vorbis files (.ogg, .oga). Such a file may also hold an Opus stream, which is read and
// written the same way; any other Ogg codec is refused.

#include "catalog/records/current_tags.h"
#include "catalog/records/load_options.h"
#include "catalog/records/picture_table.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/taglib/tag_read_result.h"
#include "formats/taglib/work_copy_edit.h"
#include "formats/track_read.h"

#include <filesystem>
#include <string>

namespace tunvale::formats {

// Fills tags (and pictures, when given) from the file's Vorbis comments; tags are not
// completed here.
TagReadResult readOggTags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                          catalog::PictureTable *pictures);

// Sets TITLE, ARTIST (when not empty), TRACKNUMBER, TRACKTOTAL (when above 0) and, with
// removePictures, drops the picture comments; every other comment stays as it was. The edit
// goes through a work copy at workPath.
WorkCopyOutcome writeOggTags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                             const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                             bool removePictures);

// The format table's Ogg Vorbis reader: the comments into read.tags (pictures are not read:
// files of the format are copied, never converted).
ReadResult ReadOggTags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// The format table's Ogg Vorbis writer: writeOggTags through a work file named from names.
WriteResult WriteOggTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
