#include "formats/flac/flac_stream_map.h"

#include "formats/audio/byte_reader.h"

#include <FLAC/format.h>

#include <algorithm>
#include <array>

namespace tunvale::formats {

namespace {

constexpr std::size_t kMaxBlocks = 4096;
constexpr std::size_t kMaxId3Tags = 8;
constexpr std::uint8_t kLastBlockFlag = 0x80;
constexpr std::uint32_t kStreamInfoLength = 34;

// The position after the ID3v2 tags at pos (libFLAC skips them too), or pos.
std::uint64_t skipId3Tags(RegularFile &file, std::uint64_t pos)
{
    for (std::size_t i = 0; i < kMaxId3Tags; ++i) {
        std::array<std::uint8_t, 10> header{};
        if (file.readAt(pos, header.data(), header.size()) != header.size() || header[0] != 'I' || header[1] != 'D'
            || header[2] != '3')
            return pos;
        // ID3v2.4 §3.1: a 10-byte header, the syncsafe size, and a footer when flagged.
        pos += 10 + loadSyncsafe32(header.data() + 6) + ((header[5] & 0x10) != 0 ? 10 : 0);
    }
    return pos;
}

} // namespace

std::optional<FlacStreamMap> mapFlacStream(RegularFile &file)
{
    FlacStreamMap map;
    map.fileSize = file.size();
    map.markerPos = skipId3Tags(file, 0);
    std::array<std::uint8_t, 4> marker{};
    if (file.readAt(map.markerPos, marker.data(), marker.size()) != marker.size()
        || marker != std::array<std::uint8_t, 4>{'f', 'L', 'a', 'C'})
        return std::nullopt;
    std::uint64_t pos = map.markerPos + 4;
    for (;;) {
        if (map.blocks.size() == kMaxBlocks)
            return std::nullopt;
        std::array<std::uint8_t, 4> header{};
        if (file.readAt(pos, header.data(), header.size()) != header.size())
            return std::nullopt;
        FlacBlockPlace block;
        block.type = header[0] & 0x7F;
        block.headerPos = pos;
        block.length = (std::uint32_t(header[1]) << 16) | (std::uint32_t(header[2]) << 8) | header[3];
        if (!fitsWithin(pos + 4, block.length, map.fileSize))
            return std::nullopt;
        if (map.blocks.empty() && (block.type != FLAC__METADATA_TYPE_STREAMINFO || block.length < kStreamInfoLength))
            return std::nullopt;
        map.blocks.push_back(block);
        pos += 4 + block.length;
        if ((header[0] & kLastBlockFlag) != 0)
            break;
    }
    map.audioStart = pos;
    // STREAMINFO: min and max block size (2 + 2), min frame size (3), max frame size (3).
    std::array<std::uint8_t, 10> info{};
    if (file.readAt(map.blocks.front().headerPos + 4, info.data(), info.size()) == info.size()) {
        map.maxBlockSize = (std::uint32_t(info[2]) << 8) | info[3];
        map.maxFrameSize = (std::uint32_t(info[7]) << 16) | (std::uint32_t(info[8]) << 8) | info[9];
    }
    return map;
}

std::vector<FlacFileInput::Part> flacView(const FlacStreamMap &map, std::initializer_list<std::uint8_t> types,
                                          std::uint64_t audioFrom)
{
    std::vector<const FlacBlockPlace *> shown;
    for (const FlacBlockPlace &block : map.blocks) {
        if (block.type == FLAC__METADATA_TYPE_STREAMINFO
            || std::find(types.begin(), types.end(), block.type) != types.end())
            shown.push_back(&block);
    }
    std::vector<FlacFileInput::Part> parts;
    parts.push_back({{'f', 'L', 'a', 'C'}, 0, 4});
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const FlacBlockPlace &block = *shown[i];
        const bool last = i + 1 == shown.size();
        parts.push_back({{static_cast<std::uint8_t>(block.type | (last ? kLastBlockFlag : 0)),
                          static_cast<std::uint8_t>(block.length >> 16), static_cast<std::uint8_t>(block.length >> 8),
                          static_cast<std::uint8_t>(block.length)},
                         0,
                         4});
        if (block.length > 0)
            parts.push_back({{}, block.headerPos + 4, block.length});
    }
    const std::uint64_t from = std::max(audioFrom, map.audioStart);
    if (from < map.fileSize)
        parts.push_back({{}, from, map.fileSize - from});
    return parts;
}

} // namespace tunvale::formats
