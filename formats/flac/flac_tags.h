#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/decoded_audio.h"
#include "formats/pcm_opening.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// The FLAC reader: Vorbis comments into read.tags, after STREAMINFO has been found and a
// decoder set up on the file. Refuses a file it cannot open, an empty one, one without
// STREAMINFO (not FLAC) and one the decoder cannot read.
ReadResult ReadFlacTags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read);

// The conversion's read of a FLAC file: tags, pictures (the largest of each type from 1 to
// 20), the delivered format in audio and the stream decoded frame by frame. Every refusal, a
// stream the conversion does not take included, counts as a failure of the source.
PcmOpening OpenFlacPcm(const std::filesystem::path &path, const catalog::LoadOptions &options);

// The reader, then (decode set) the whole stream into audio as 16-bit PCM, pictures captured
// when asked: Unsupported for a stream the conversion does not take, Damaged when the audio
// cannot be decoded, NoMemory when it does not fit.
ReadResult DecodeFlac(const std::filesystem::path &path, bool decode, bool capturePictures, TrackRead &read,
                      DecodedAudio &audio);

// Replaces TITLE, ARTIST, TRACKNUMBER, TRACKTOTAL and deletes PICTURE blocks. libFLAC grows
// the file through its own temporary file, so names is not used.
WriteResult WriteFlacTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
