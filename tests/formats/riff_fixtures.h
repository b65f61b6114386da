#pragma once

// Byte-level builders for WAV, AIFF and ID3v2 fixtures, so that each odd case is written
// field by field in the test that needs it.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::testing::riff {

std::string le16(std::uint16_t value);
std::string le32(std::uint32_t value);
std::string be16(std::uint16_t value);
std::string be32(std::uint32_t value);
std::string syncsafe(std::uint32_t value);
// An 80-bit IEEE 754 extended number holding a positive integer (AIFF sample rates).
std::string extended80(std::uint32_t value);

// A chunk: id, size, data and a pad byte after data of odd size (withPad false leaves it out).
std::string chunkLE(std::string_view id, std::string_view data, bool withPad = true);
std::string chunkBE(std::string_view id, std::string_view data, bool withPad = true);

// "fmt " chunk data of 16 bytes.
std::string pcmFormat(int channels, int sampleRate, int bitsPerSample, int formatTag = 1);
// "RIFF", size of what follows, "WAVE", then the chunks as given.
std::string wavFile(std::string_view chunks);
// A LIST chunk of type INFO from sub-chunks.
std::string infoList(std::initializer_list<std::pair<std::string, std::string>> entries);

// COMM chunk data (18 bytes, or 22 plus a name with a compression type for AIFF-C).
std::string commData(int channels, std::uint32_t frames, int bits, std::uint32_t rate, std::string_view compression = {});
// SSND chunk data: offset, block size 0, samples.
std::string ssndData(std::string_view samples, std::uint32_t offset = 0);
// "FORM", size, form type, chunks.
std::string aiffFile(std::string_view formType, std::string_view chunks);

// An ID3v2 frame with a plain (version 3) or syncsafe (version 4) size.
std::string id3Frame(std::string_view id, std::string_view data, int major = 3, std::uint16_t flags = 0);
// A text frame's data: encoding 0 and the text.
std::string latin1(std::string_view text);
// A text frame's data: encoding 1, byte-order mark FF FE, UTF-16LE of the ASCII text, terminator.
std::string utf16(std::string_view text);
// An ID3v2 tag of the given version around the frames (padding zero bytes appended).
std::string id3Tag(std::string_view frames, int major = 3, std::size_t padding = 0);

// Reads a whole file as bytes.
std::string readBytes(const std::filesystem::path &path);
std::string quote(const std::string &text);

// True when sox, ffmpeg and ffprobe can be run and mutagen imported.
bool haveAudioTools();
// Runs a shell command line; true when it exits with 0.
bool shell(const std::string &command);
// The 16-bit values after the rate halving: each two stereo frames (four values) averaged
// into one, incomplete groups at the end dropped.
std::vector<std::int16_t> halved(const std::vector<std::int16_t> &values);

} // namespace tunvale::testing::riff
