#pragma once

// The ID3v2 tag of an MP3 file made safe for libid3tag before it sees a byte of it.
//
// libid3tag trusts what a tag declares: a compressed frame is inflated to whatever size it
// claims (a 261 KB file can ask for gigabytes), undoing unsynchronisation reads one byte
// past the buffer when the data ends in FF 00, and one bad frame or a few stray bytes after
// the last frame make it drop the whole tag. The tag is therefore rebuilt here as a plain
// tag of the same version that libid3tag parses into the same frames.

#include "formats/audio/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tunvale::formats {

// A compressed frame may declare at most this many inflated bytes, and the compressed
// frames of one tag together at most kMaxInflatedTag; frames past either limit are dropped.
inline constexpr std::uint32_t kMaxInflatedFrame = 16u * 1024 * 1024;
inline constexpr std::uint64_t kMaxInflatedTag = 64u * 1024 * 1024;
// Zero bytes after the frames of a cleaned tag: libid3tag takes a zero byte where a frame
// would start as the start of the padding.
inline constexpr std::size_t kCleanTagPadding = 16;

struct CleanId3v2Tag {
    std::vector<std::uint8_t> bytes;   // header, frames, zero padding: what id3_tag_parse gets
    std::size_t droppedFrames = 0;     // frames left out: over the limits, unreadable or misnamed
    bool cutAtEnd = false;             // bytes after the last whole frame were left out
    bool isUpdate = false;             // ID3v2.4 extended header: the tag updates an earlier one
};

// Rebuilds the ID3v2 tag at the start of raw (its 10-byte header and the bytes its size field
// counts; a footer after them is ignored):
// - unsynchronisation is undone here, over the whole tag in versions 2.2 and 2.3 and over
//   each frame that says so in version 2.4, and its flags are cleared;
// - the extended header and the footer are left out (isUpdate keeps what the former said);
// - a frame whose identifier is not made of capital letters and digits, a compressed frame
//   whose declared inflated size passes the limits (or is not given, in version 2.4), and a
//   version 2.4 frame too short for the fields its flags announce are dropped;
// - the walk stops at the padding, or where the next frame would not fit (a cut frame or
//   stray bytes), keeping the frames before it.
// Nothing when raw holds no ID3v2 tag of version 2.2, 2.3 or 2.4, holds less than its size
// field counts, its extended header is damaged, or the tag is compressed as a whole (2.2).
std::optional<CleanId3v2Tag> cleanId3v2Tag(ByteSpan raw);

// The length of the ID3v2 tag whose 10-byte header starts header (header, size-field bytes
// and a version 2.4 footer), or nothing when the bytes are no ID3v2 tag header of version
// 2.2, 2.3 or 2.4.
std::optional<std::uint64_t> id3v2TagLength(ByteSpan header);

} // namespace tunvale::formats
