#pragma once

// What a format reader fills for one file: its tags as read, the pictures when asked for, and
// whether the file holds any tag at all. The record belongs to the caller, one per file read.

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"

#include <filesystem>

namespace tunvale::formats {

struct TrackRead {
    catalog::CurrentTags tags;
    catalog::PictureTable pictures;
    // False for a file that holds no tag at all (an MP3 without any ID3 tag).
    bool tagged = true;
};

// Completes what a reader read, as every caller of a reader does before using the tags: missing
// Artist from the other tags, Title and Artist from the file name when tagsFromName is set, the
// fields normalized and FillScore set (catalog::completeTags). A file without any tag is left
// as read when tagsFromName is off: there is nothing to complete it from.
void completeReadTags(TrackRead &read, const std::filesystem::path &path, bool tagsFromName);

} // namespace tunvale::formats
