#pragma once

// The header and frame walk of an ID3v2.3 / ID3v2.4 tag held in memory, shared by the
// chunk tag parser and builder.

#include "formats/audio/byte_reader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tunvale::formats::id3v2 {

inline constexpr std::size_t kHeaderSize = 10;
inline constexpr std::size_t kFrameHeaderSize = 10;

// Header flags (ID3v2.3 §3.1, ID3v2.4 §3.1).
inline constexpr std::uint8_t kFlagUnsynchronisation = 0x80;
inline constexpr std::uint8_t kFlagExtendedHeader = 0x40;
inline constexpr std::uint8_t kFlagFooter = 0x10;

struct Header {
    std::uint8_t major = 0;
    std::uint8_t revision = 0;
    std::uint8_t flags = 0;
    std::uint32_t size = 0;        // S: the tag is S + 10 bytes long
    std::size_t framesStart = 10;  // after the header and any extended header
    std::size_t end = 10;          // S + 10, cut to the bytes held
};

// Reads the 10-byte header ("ID3", version, revision, flags, syncsafe size); nothing when
// the bytes do not start with one.
std::optional<Header> readHeader(ByteSpan tag);

struct Frame {
    std::array<char, 4> id{};
    std::uint32_t size = 0;             // F
    std::array<std::uint8_t, 2> flags{};
    std::size_t offset = 0;             // of the frame header within the tag
    ByteSpan data;                      // the F data bytes

    bool is(std::string_view name) const;   // identifiers compared case-insensitively
    std::size_t totalSize() const { return kFrameHeaderSize + data.size(); }
};

class FrameWalker {
public:
    enum class Step {
        Frame,     // a frame was read
        End,       // the frames are over: end of tag, padding, or a header cut short
        Oversize,  // F exceeds the caller's limit
        Overrun,   // F runs past the end of the tag
    };

    FrameWalker(ByteSpan tag, const Header &header) : m_tag(tag), m_header(header), m_pos(header.framesStart) {}
    // Reads the next frame; frames of version 4 carry syncsafe sizes (ID3v2.4 §4.1).
    Step next(Frame &frame, std::uint64_t sizeLimit);

private:
    ByteSpan m_tag;
    Header m_header;
    std::size_t m_pos;
};

// The content of a frame after the extra bytes its format flags announce (grouping byte,
// data length indicator); nothing for compressed, encrypted or (ID3v2.4) unsynchronised
// frames, whose bytes cannot be read as they are.
std::optional<ByteSpan> frameContent(std::uint8_t major, const Frame &frame);

} // namespace tunvale::formats::id3v2
