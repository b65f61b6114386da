#pragma once

#include "catalog/records/load_options.h"
#include "formats/pcm_opening.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <filesystem>
#include <string>

namespace tunvale::formats {

// The WAV format's reader, conversion read and tag writer, as the format table lists them (over
// WaveFile, wav/wave_file.h).

// Reads the tags of the LIST INFO and "id3 " chunks into read (no pictures).
ReadResult ReadWaveTags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// The conversion's read: tags, pictures, the delivered format and the samples streamed from
// the file. Only a file that cannot be opened (or whose samples cannot be) counts as a failure
// of the source; any other refusal means there is no audio the conversion can use.
PcmOpening OpenWavePcm(const std::filesystem::path &path, const catalog::LoadOptions &options);

// Replaces the "id3 " chunk of the copy at path; the chunk is rewritten in place, so names is
// not used.
WriteResult WriteWaveTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

// The pieces of a retagged copy of the source at path (open as source), as WriteWaveTags
// leaves the copy.
RetagPlan PlanWaveTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);

} // namespace tunvale::formats
