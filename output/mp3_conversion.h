#pragma once

#include "output/placement_context.h"

namespace tunvale::output {

// Result codes of ConvertToMp3 besides 0 (success) and the copy error code (file_copy.h) of a
// failed write, the same code a copy gives for the same reason.
namespace conversion {
inline constexpr int kSourceFailed = 1;     // the format handler could not read the source (damage: failure.damage)
inline constexpr int kNoUsableAudio = 3;    // no audio the encoder can take (a compressed coding, extension)
inline constexpr int kNoMemory = 7;         // buffers or the tag could not be allocated
inline constexpr int kNoFileCreated = 8;    // no output file could be created
inline constexpr int kEncoderFailed = 82;   // the encoder refused the audio or produced nothing
inline constexpr int kCancelled = 1223;     // the run was being given up (Windows ERROR_CANCELLED)
} // namespace conversion

// Converts the file context.sourcePath, of a format with a decoding read (the format table), to
// an MP3 file at context.destinationPath (whose extension placement has already made ".mp3"):
// an ID3v2.3 tag from the source's tags, the encoder's info-tag frame, then the stream. Every
// call reads its source into records of its own. The audio is
// streamed through the encoder chunk by chunk and written under a work name that is renamed
// when complete, so nothing half-written ever stands under a final name.
// With replace clear, the names "Song.mp3", "Song(1).mp3" ... "Song(63).mp3" are tried and
// the first one free is used; with replace set an existing file is replaced (placement keeps
// the files a run replaces by using ConvertToMp3WorkFile). On success destinationPath names the
// file written.
int ConvertToMp3(PlacementContext &context, bool replace);

// The same conversion into a new work file beside context.destinationPath, left for the
// caller to retag and name: on success work names the complete file, otherwise no file remains.
// With kNoUsableAudio, reason says why (UTF-8, "WAV: ADPCM samples").
int ConvertToMp3WorkFile(PlacementContext &context, std::filesystem::path &work, std::string *reason = nullptr);

} // namespace tunvale::output
