#pragma once

// Short tagged audio files of a sine tone, written by ffmpeg, for the tests that run whole
// organize runs on real files.

#include <filesystem>
#include <string>

namespace tunvale::testing {

// An MP3 (ID3v2.3 tag) of seconds of a 440 Hz tone at the given bit rate, with its artist,
// title and track number (none when track is 0); false when ffmpeg failed.
bool makeTaggedMp3(const std::filesystem::path &path, const std::string &artist, const std::string &title, int track,
                   double seconds = 0.2, const std::string &bitRate = "64k");

// A 16-bit stereo WAV of seconds of a 440 Hz tone with its artist and title; false when ffmpeg
// failed.
bool makeTaggedWav(const std::filesystem::path &path, const std::string &artist, const std::string &title,
                   double seconds);

} // namespace tunvale::testing
