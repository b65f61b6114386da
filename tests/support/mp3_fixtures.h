#pragma once

// MP3 test files: ID3v2 (2.2, 2.3, 2.4) and ID3v1 tags built field by field, synthetic MPEG
// frames, and real audio encoded by sox + lame.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing::mp3 {

struct Frame {
    std::string id;          // 3 characters in ID3v2.2, 4 otherwise
    std::string data;        // frame body as stored
    std::uint16_t flags = 0; // ID3v2.3/2.4 frame flags as stored
};

// A whole ID3v2 tag of the given major version (2, 3 or 4): header, frames, zero padding.
std::string id3v2Tag(int major, const std::vector<Frame> &frames, std::size_t padding = 0, std::uint8_t tagFlags = 0);
// An ID3v1.1 tag (track 0 gives plain ID3v1); genre 255 means none.
std::string id3v1Tag(const std::string &title, const std::string &artist, const std::string &album,
                     const std::string &year, const std::string &comment, int track, int genre);

// Frame bodies.
std::string latin1Text(const std::string &text);       // encoding 0
std::string utf16Text(const std::u16string &text);     // encoding 1, BOM, little-endian
std::string utf16BeText(const std::u16string &text);   // encoding 2
std::string utf8Text(const std::string &text);         // encoding 3
std::string userText(const std::string &description, const std::string &value);               // TXXX, ISO-8859-1
std::string comment(const std::string &description, const std::string &text);                 // COMM, "eng"
std::string popularimeter(const std::string &email, int rating);                               // POPM
std::string picture(int type, const std::string &description, const std::string &payload);   // APIC, image/png

// Data as one stored (uncompressed) deflate block in a zlib stream, as a compressed frame holds.
std::string zlibStored(const std::string &data);
// A zlib stream (really compressed) of prefix followed by count copies of one byte: a small
// frame that inflates to a huge one.
std::string zlibRepeated(const std::string &prefix, char byte, std::uint64_t count);
// The tag with ID3v2.3 tag-wide unsynchronisation applied (a 0x00 after every 0xFF of the
// frames) and its flag and size set.
std::string unsynchronised(const std::string &tag);

// count MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each) with varied content.
std::string mpegFrames(int count);

// A real MP3 without any tag (one second of a sine through sox and lame), made once; empty
// path when the tools are missing.
const std::filesystem::path &plainAudioMp3();
bool haveEncoderTools();

} // namespace tunvale::testing::mp3
