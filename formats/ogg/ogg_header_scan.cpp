#include "formats/ogg/ogg_header_scan.h"

#include <string_view>

namespace tunvale::formats {

namespace {

// RFC 3533 §6: capture pattern, version, header type, granule position (8), serial number (4),
// page sequence number (4), checksum (4), number of segments; the lacing values follow.
constexpr unsigned kPageHeaderSize = 27;
constexpr unsigned kSegmentCountAt = 26;
constexpr unsigned char kEndOfStream = 0x04;
constexpr unsigned kPacketsWanted = 2;

OggHeaderScan refuse(std::string_view problem) { return {false, false, problem, 0}; }

OggHeaderScan notOgg() { return {false, true, "not an Ogg stream", 0}; }

} // namespace

OggHeaderScan scanOggHeaders(RegularFileStream &stream)
{
    const std::uint64_t length = static_cast<std::uint64_t>(stream.length());
    std::uint64_t offset = 0;
    std::uint64_t packetBytes = 0;
    unsigned packetsEnded = 0;
    for (std::uint32_t page = 0; page < kMaxOggHeaderPages; ++page) {
        if (length - offset < kPageHeaderSize)
            return page == 0 ? notOgg() : refuse("Ogg headers cut short");
        char header[kPageHeaderSize];
        if (stream.copyAt(offset, header, kPageHeaderSize) != kPageHeaderSize
            || std::string_view(header, 4) != "OggS")
            return page == 0 ? notOgg() : refuse("damaged Ogg page");
        const unsigned segments = static_cast<unsigned char>(header[kSegmentCountAt]);
        char lacing[255];
        if (segments == 0 || stream.copyAt(offset + kPageHeaderSize, lacing, segments) != segments)
            return refuse("damaged Ogg page");
        std::uint64_t dataSize = 0;
        for (unsigned i = 0; i < segments; ++i) {
            const unsigned value = static_cast<unsigned char>(lacing[i]);
            dataSize += value;
            if (packetsEnded < kPacketsWanted)
                packetBytes += value;
            if (value < 255 && packetsEnded < kPacketsWanted)
                ++packetsEnded;
        }
        if (packetsEnded >= kPacketsWanted)
            return {true, false, {}, page + 1};
        if (packetBytes > kMaxOggHeaderBytes)
            return refuse("Ogg headers too long");
        if ((static_cast<unsigned char>(header[5]) & kEndOfStream) != 0)
            return refuse("Ogg headers cut short");
        const std::uint64_t pageSize = kPageHeaderSize + segments + dataSize;
        if (pageSize > length - offset)
            return refuse("Ogg headers cut short");
        offset += pageSize;
    }
    return refuse("Ogg headers too long");
}

} // namespace tunvale::formats
