#pragma once

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/audio/pcm_source.h"
#include "output/placement_context.h"

#include <filesystem>

namespace tunvale::output {

// The name of iteration i of an output file: i 0 is destination itself, i 1 to 63 insert
// "(i)" before the extension, which is always lower case ("Track.MP3" -> "Track(1).mp3").
std::filesystem::path iterationName(const std::filesystem::path &destination, int iteration);

// Encodes source (1 or 2 channels) into a new work file beside context.destinationPath,
// preceded by the ID3v2.3 tag built from tags (completed) when their FillScore is 1 or more,
// with pictures unless context.options.removePictures. Returns 0 or a ConvertToMp3 result
// code; on success work names the complete, closed file (for the caller to give its final
// name), otherwise no file remains.
int writeMp3WorkFile(formats::PcmSource &source, const catalog::CurrentTags &tags,
                     const catalog::PictureTable &pictures, PlacementContext &context, std::filesystem::path &work);

// writeMp3WorkFile, then the work file takes context.destinationPath: replaced when replace
// is set, otherwise the first free name of "Song.mp3", "Song(1).mp3" ... "Song(63).mp3"
// (kNoFileCreated when none is). On success context.destinationPath names the file written.
int writeMp3File(formats::PcmSource &source, const catalog::CurrentTags &tags, const catalog::PictureTable &pictures,
                 PlacementContext &context, bool replace);

} // namespace tunvale::output
