#pragma once

// Opus files (.opus): an Ogg stream whose comment header ("OpusTags") holds Vorbis comments.

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

// Fills tags (and pictures, when given) from the file's comments; tags are not completed here.
TagReadResult readOpusTags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                           catalog::PictureTable *pictures);

// Sets TITLE, ARTIST, TRACKNUMBER, TRACKTOTAL and drops picture comments as the Ogg Vorbis
// writer does; the padding after the comments stays. Through a work copy at workPath.
WorkCopyOutcome writeOpusTags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                              const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                              bool removePictures);

// The format table's Opus reader: the comments into read.tags.
ReadResult ReadOpusTags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// The format table's Opus writer: writeOpusTags through a work file named from names.
WriteResult WriteOpusTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
