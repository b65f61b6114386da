#pragma once

#include "catalog/records/load_options.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <filesystem>
#include <string>

namespace tunvale::formats {

// The MP3 reader: fills read.tags from the file's ID3v1 and ID3v2 tags through libid3tag (a
// numeric genre taken to its parent genre when options.acceptSimilitudes is set) and marks a
// file without any tag as untagged. Refuses a file it cannot open, an empty file, and one that
// holds neither an ID3v2 tag nor MPEG audio near its start (anything named .mp3, a text file or
// a link to a system file, must not be copied as audio).
ReadResult ReadMp3Tags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// Sets title, artist (when not empty), track ("%d" or "%d/%d"; when > 0) in the copy's tag,
// written back as ID3v2.3, and removes its pictures when asked. A tag that no longer fits is
// written with the audio into a work file beside the copy, named from names, which then
// replaces it.
WriteResult WriteMp3Tags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);
// The pieces of a copy of source retagged as WriteMp3Tags retags it: the new ID3v2 tag, the
// source's audio, its ID3v1 tag rewritten when it had one.
RetagPlan PlanMp3Tags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);

} // namespace tunvale::formats
