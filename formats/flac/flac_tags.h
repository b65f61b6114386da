#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/pcm_source.h"
#include "formats/tag_writing.h"

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
// The decoded audio of a FLAC file piece by piece, after the read a conversion needs:
// currentTags() and pictureTable() refilled from the file (pictures of types 1 to 20, tags
// completed with the given options), decodedAudio() emptied and given the delivered format
// (channels, rate, 16 bits, byte lengths) but no samples. Null with status set when it cannot
// be converted: 2 for an unsupported stream, otherwise the reader's error.
std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, const catalog::LoadOptions &options,
                                       int &status);
// The same with the default load options (tags completed from the file name).
std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, int &status);
// Replaces TITLE, ARTIST, TRACKNUMBER, TRACKTOTAL and deletes PICTURE blocks. libFLAC grows
// the file through its own temporary file, so names is not used.
WriteResult WriteFlacTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
