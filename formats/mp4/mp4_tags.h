#pragma once

// MP4 audio files (.m4a, and .mp4 holding audio only): AAC or ALAC audio with iTunes-style
// tags. A file with a video track, or without AAC or ALAC audio, is refused.

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

// How the items are found. TagLib parses either the items atom alone, copied out of the file
// with the two atoms around it that lead TagLib to it, or the whole file (the only way for a
// file whose atoms do not nest cleanly). Both give the same items; the whole parse is kept
// for such files and for the tests that hold the two to the same answers.
enum class Mp4ItemParse { ItemsAlone, WholeFile };

// Fills tags (and pictures, when given) from the file's items; tags are not completed here.
// audioCodec, when given, receives "mp4a" (AAC) or "alac".
TagReadResult readMp4Tags(const std::filesystem::path &path, catalog::CurrentTags &tags,
                          catalog::PictureTable *pictures, std::string *audioCodec = nullptr,
                          Mp4ItemParse parse = Mp4ItemParse::ItemsAlone);

// Sets ©nam, ©ART, the trkn numbers and removes covr as editMp4Items does, through a work
// copy at workPath; TagLib rewrites the item list and moves the chunk offsets when the movie
// atom grows.
WorkCopyOutcome writeMp4Tags(const std::filesystem::path &path, const std::filesystem::path &workPath,
                             const std::u16string &title, const std::u16string &artist, int track, int totalTracks,
                             bool removePictures);

// The format table's MP4 reader: the items into read.tags. AAC and ALAC files alike are copied,
// never converted.
ReadResult ReadMp4Tags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// The format table's MP4 writer: writeMp4Tags through a work file named from names.
WriteResult WriteMp4Tags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
