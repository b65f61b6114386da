#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/pcm_source.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// Reads Vorbis comments (and pictures when asked) into currentTags(), completes them and
// appends one catalog entry; 0 on success, otherwise the reader's error.
int LoadFlac(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options);
// Reads tags and STREAMINFO; 0, -1 (no decoder), the libFLAC init status, or -2 (no STREAMINFO).
int ReadFlac(const std::filesystem::path &path, bool capturePictures, const catalog::LoadOptions &options);
// ReadFlac, then (decode on) the whole stream into decodedAudio() as 16-bit PCM.
int DecodeFlac(const std::filesystem::path &path, bool decode, bool capturePictures, const catalog::LoadOptions &options);
// The decoded audio of a FLAC file piece by piece; null with status set when it cannot be
// converted (2 unsupported format, or the reader's error).
// Touches no process-wide record.
std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, int &status);
// The same after the read a conversion needs: currentTags() and pictureTable() refilled from
// the file (pictures of types 1 to 20, tags completed), decodedAudio() emptied and given the
// delivered format (channels, rate, 16 bits, byte lengths) but no samples.
std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, const catalog::LoadOptions &options,
                                       int &status);
// Replaces TITLE, ARTIST, TRACKNUMBER, TRACKTOTAL and deletes PICTURE blocks; 1 on success.
int WriteFlacTags(const std::filesystem::path &path, const std::u16string &title, const std::u16string &artist,
                  int track, int totalTracks, bool removePictures);

} // namespace tunvale::formats
