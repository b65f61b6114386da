#pragma once

// The independent tools the tests check audio files with: mutagen (through /usr/bin/python3,
// where Debian's mutagen lives), ffprobe, ffmpeg and mp3val. Each answers in a form a test
// can compare.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tunvale::testing {

bool haveMutagen();
bool haveFfprobe();
bool haveMp3val();

// Runs a Python script with /usr/bin/python3, arguments as sys.argv[1:], its output in UTF-8
// whatever the locale. Returns the exit status, stdout in *output; stderr is left to the test's
// own.
int runPython(const std::string &script, const std::vector<std::string> &arguments, std::string *output = nullptr);

// What mutagen sees in a file's ID3v2 tag, read without translation: "version" ("2.3.0"),
// "unknown" (count of frames it could not parse), "v1" ("1" when an ID3v1 tag is present) and
// one entry per frame key holding its text (text frames joined by "/").
std::map<std::string, std::string> mutagenFrames(const std::filesystem::path &file);
// Title, artist and track number as mutagen reads them from any file it knows
// ("title|artist|track", "-" for a missing one), or what it printed instead.
std::string mutagenSummary(const std::filesystem::path &path);
// Adds an ID3v2 tag with mutagen (title, artist, album, track, a comment, and a picture when
// withPicture) at version 3 or 4; true on success.
bool mutagenTag(const std::filesystem::path &path, int version, bool withPicture);

// Every tag mutagen reads from an Ogg or MP4 file, one "key=value" line each: Vorbis comments
// in file order (keys as written, a picture comment as "<picture>" with its decoded size and
// type), MP4 items sorted by key (values as Python prints them, cover art as a list of sizes
// and formats). One line "error=..." when mutagen cannot read the file.
std::vector<std::string> mutagenTagLines(const std::filesystem::path &file);

// The MD5 ffmpeg computes over the packets of a file's audio streams copied without decoding:
// equal for two files whose audio data is the same, whatever their tags. Empty on failure.
std::string audioStreamMd5(const std::filesystem::path &file);

// ffprobe's format tags, keys lower case ("title", "artist", "track", ...).
std::map<std::string, std::string> ffprobeTags(const std::filesystem::path &file);
// ffprobe's tags of the first audio stream (where it puts the comments of Ogg files), keys
// lower case.
std::map<std::string, std::string> ffprobeStreamTags(const std::filesystem::path &file);
// Whole seconds of audio in a file as ffprobe measures them (rounded), -1 when it cannot.
int ffprobeSeconds(const std::filesystem::path &file);
// What ffprobe reports about the first audio stream ("codec|rate|channels|samples"), or
// "error: ..." when it reports any error.
std::string ffprobeSummary(const std::filesystem::path &path);

// The samples ffmpeg decodes from a file, as interleaved 16-bit values at the file's own rate,
// in channels channels (0: the file's own count); empty when ffmpeg fails.
std::vector<std::int16_t> ffmpegSamples(const std::filesystem::path &file, int channels = 0);
// ffmpeg decodes the whole file; returns its error output (empty when clean) in errors.
bool ffmpegDecodesCleanly(const std::filesystem::path &file, std::string *errors);

// mp3val's report on a file (its INFO, WARNING and ERROR lines).
std::string mp3valReport(const std::filesystem::path &file);
// mp3val's verdict lines about the file (warnings and problems); empty when it finds none.
// A file without any tag is no fault here (a source without tags converts to one).
std::string mp3valProblems(const std::filesystem::path &file);

} // namespace tunvale::testing
