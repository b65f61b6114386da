#pragma once

// Ogg Vorbis, Opus and MP4 files for the tests, encoded by independent tools (oggenc, opusenc,
// ffmpeg) and tagged by mutagen.

#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing::taglib {

// True when oggenc, opusenc, ffmpeg and mutagen can all be run.
bool haveTools();

// Half a second of a stereo tone, encoded by oggenc (.ogg), opusenc (.opus) or ffmpeg with the
// named codec ("libvorbis", "libopus", "flac" into Ogg; "aac", "alac" into MP4; faststart puts
// the movie atom before the media data). Each tool writes its own few tags (ENCODER and the
// like). False when the tool failed.
bool makeVorbis(const std::filesystem::path &path);
bool makeOpus(const std::filesystem::path &path);
bool makeWithFfmpeg(const std::filesystem::path &path, const std::string &codec, bool faststart = false);
// An MP4 with a short video track beside AAC audio.
bool makeMp4WithVideo(const std::filesystem::path &path);

// Replaces every Vorbis comment of an Ogg file with the given "KEY=value" entries, in order.
bool setVorbisComments(const std::filesystem::path &path, const std::vector<std::string> &entries);
// Appends a METADATA_BLOCK_PICTURE comment of the given type: a 1x1 PNG of 82 + payloadSize
// bytes (a private chunk of zeros inside), declared as width x height.
bool addXiphPicture(const std::filesystem::path &path, int type, int width, int height, std::size_t payloadSize);

// Runs Python statements on an MP4 file opened by mutagen as `f` (mutagen.mp4 names imported),
// then saves it.
bool editMp4(const std::filesystem::path &path, const std::string &statements);
// Appends a 'gnre' atom (ID3v1 genre number plus one) to the item list; the movie atom must
// come after the media data, so no chunk offset moves.
bool addGnreAtom(const std::filesystem::path &path, int genreNumber);

} // namespace tunvale::testing::taglib
