#pragma once

// Whether a file named like an MP3 holds anything an MP3 reader can take: an ID3v2 tag at its
// start, or MPEG audio frames near its start. A text file, an empty file or random bytes
// hold neither.

#include "formats/audio/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tunvale::formats {

// Frames are looked for in this many bytes from the start of the file.
inline constexpr std::size_t kMpegProbeBytes = 64 * 1024;
// Bytes to read for the probe: the search area, and room to confirm a frame that starts at
// its very end (the longest MPEG audio frame is 2881 bytes).
inline constexpr std::size_t kMpegProbeReadBytes = kMpegProbeBytes + 4096;

struct MpegFrameHeader {
    int version = 0;      // 1 (MPEG-1), 2 (MPEG-2) or 25 (MPEG-2.5)
    int layer = 0;        // 1, 2 or 3
    int sampleRate = 0;   // Hz
    std::size_t length = 0;   // bytes of the whole frame, header included
};

// The MPEG audio frame header at p (4 bytes): an 11-bit sync, no reserved version, layer,
// sample rate or emphasis, and a bitrate from the tables (free format is not taken, its
// frame length cannot be known from the header).
std::optional<MpegFrameHeader> parseMpegFrameHeader(const std::uint8_t *p);

// True when head, the first bytes of a file of fileSize bytes (at least kMpegProbeReadBytes
// of them when the file is that long), starts with an ID3v2 tag header, or holds within its
// first kMpegProbeBytes a frame header followed by two more frames of the same stream (or by
// the end of the file or an ID3v1 tag, for a file of one or two frames).
bool looksLikeMpegAudio(ByteSpan head, std::uint64_t fileSize);

} // namespace tunvale::formats
