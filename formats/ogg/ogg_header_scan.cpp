#include "formats/ogg/ogg_header_scan.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace tunvale::formats {

namespace {

// RFC 3533 §6: capture pattern, version, header type, granule position (8), serial number (4),
// page sequence number (4), checksum (4), number of segments; the lacing values follow.
constexpr unsigned kPageHeaderSize = 27;
constexpr unsigned kHeaderTypeAt = 5;
constexpr unsigned kSerialAt = 14;
constexpr unsigned kChecksumAt = 22;
constexpr unsigned kSegmentCountAt = 26;
constexpr unsigned char kEndOfStream = 0x04;
// The largest page: its header, 255 lacing values and 255 segments of 255 bytes.
constexpr std::uint64_t kMaxPageSize = kPageHeaderSize + 255 + 255 * 255;
// Vorbis I §4.2: identification, comment and setup headers; Opus (RFC 7845 §5): two.
constexpr unsigned kVorbisHeaderPackets = 3;
constexpr unsigned kOtherHeaderPackets = 2;

OggHeaderScan refuse(std::string_view problem) { return {false, false, false, problem, 0}; }

OggHeaderScan notOgg() { return {false, true, false, "not an Ogg stream", 0}; }

std::uint32_t loadU32LE(const unsigned char *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// One page header with its lacing values, read at offset.
struct PageHeader {
    unsigned char fixed[kPageHeaderSize] = {};
    unsigned char lacing[255] = {};
    unsigned segments = 0;
    std::uint64_t dataSize = 0;

    bool read(RegularFileStream &stream, std::uint64_t offset)
    {
        if (stream.copyAt(offset, reinterpret_cast<char *>(fixed), kPageHeaderSize) != kPageHeaderSize
            || std::string_view(reinterpret_cast<const char *>(fixed), 4) != "OggS" || fixed[4] != 0)
            return false;
        segments = fixed[kSegmentCountAt];
        if (stream.copyAt(offset + kPageHeaderSize, reinterpret_cast<char *>(lacing), segments) != segments)
            return false;
        dataSize = 0;
        for (unsigned i = 0; i < segments; ++i)
            dataSize += lacing[i];
        return true;
    }
    std::uint32_t serial() const { return loadU32LE(fixed + kSerialAt); }
    bool endsStream() const { return (fixed[kHeaderTypeAt] & kEndOfStream) != 0; }
    std::uint64_t size() const { return kPageHeaderSize + segments + dataSize; }
};

// The header packets of the stream whose first packet starts with identification.
unsigned headerPacketsOf(std::string_view identification)
{
    return identification.starts_with("\x01vorbis") ? kVorbisHeaderPackets : kOtherHeaderPackets;
}

// RFC 3533 §6 (and the reference implementation): CRC-32 with polynomial 0x04C11DB7, no
// reflection, initial value 0, over the page with its checksum field set to zero.
std::uint32_t pageChecksum(std::string_view page)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k)
                r = (r & 0x80000000u) != 0 ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const auto byte = static_cast<unsigned char>(i >= kChecksumAt && i < kChecksumAt + 4 ? 0 : page[i]);
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    }
    return crc;
}

// Whether the last page of the stream is cut short: the pages of the last stretch of the file
// (two of the largest pages) are followed from the first one whose checksum holds; when they
// stop at a page that runs past the end of the file, the file was cut. Bytes after the last
// whole page that are no page at all (a trailing tag) are left alone, and so is a stretch in
// which no page checks out.
bool lastPageCutShort(RegularFileStream &stream, std::uint64_t length)
{
    const std::uint64_t from = length - std::min(length, 2 * kMaxPageSize);
    std::string tail(static_cast<std::size_t>(length - from), '\0');
    if (stream.copyAt(from, tail.data(), tail.size()) != tail.size())
        return false;
    std::uint64_t lastGoodEnd = 0; // offset in tail, 0: none yet
    for (std::size_t at = tail.find("OggS"); at != std::string::npos; at = tail.find("OggS", at + 1)) {
        if (lastGoodEnd != 0 && at < lastGoodEnd)
            continue;
        PageHeader page;
        if (!page.read(stream, from + at))
            continue;
        if (at + page.size() > tail.size()) {
            // A page that runs past the end: cut short when it follows the last whole page.
            return lastGoodEnd == at;
        }
        const std::string_view bytes(tail.data() + at, static_cast<std::size_t>(page.size()));
        if (pageChecksum(bytes) == loadU32LE(reinterpret_cast<const unsigned char *>(bytes.data()) + kChecksumAt))
            lastGoodEnd = at + page.size();
    }
    return false;
}

} // namespace

OggHeaderScan scanOggHeaders(RegularFileStream &stream)
{
    const std::uint64_t length = static_cast<std::uint64_t>(stream.length());
    std::uint64_t offset = 0;
    std::uint64_t packetBytes = 0;
    unsigned packetsEnded = 0;
    unsigned headerPackets = kOtherHeaderPackets;
    std::uint32_t serial = 0;
    for (std::uint32_t page = 0; page < kMaxOggHeaderPages; ++page) {
        if (length - offset < kPageHeaderSize) {
            if (page == 0)
                return notOgg();
            return refuse(packetsEnded < headerPackets ? "Ogg headers cut short" : "no audio after the Ogg headers");
        }
        PageHeader header;
        if (!header.read(stream, offset))
            return page == 0 ? notOgg() : refuse("damaged Ogg page");
        if (header.segments == 0 && page == 0)
            return refuse("damaged Ogg page");
        if (page == 0) {
            serial = header.serial();
            char magic[8] = {};
            const std::size_t got = stream.copyAt(offset + kPageHeaderSize + header.segments, magic, sizeof magic);
            headerPackets = headerPacketsOf(std::string_view(magic, got));
        } else if (header.serial() != serial) {
            // Another logical stream before this one's audio: streams multiplexed together.
            OggHeaderScan multiplexed = refuse("several multiplexed streams (not handled)");
            multiplexed.unsupported = true;
            return multiplexed;
        }
        if (header.size() > length - offset)
            return refuse(packetsEnded < headerPackets ? "Ogg headers cut short" : "last Ogg page cut short");
        bool audio = false;
        for (unsigned i = 0; i < header.segments; ++i) {
            const unsigned value = header.lacing[i];
            if (packetsEnded >= headerPackets) {
                audio = audio || value > 0;
                continue;
            }
            packetBytes += value;
            if (value < 255)
                ++packetsEnded;
        }
        if (audio) {
            if (lastPageCutShort(stream, length))
                return refuse("last Ogg page cut short");
            return {true, false, false, {}, page + 1};
        }
        if (packetBytes > kMaxOggHeaderBytes)
            return refuse("Ogg headers too long");
        if (header.endsStream())
            return refuse(packetsEnded < headerPackets ? "Ogg headers cut short" : "no audio after the Ogg headers");
        offset += header.size();
    }
    return refuse("Ogg headers too long");
}

} // namespace tunvale::formats
