#include "formats/mp3/mp3_tag_layout.h"

#include <array>
#include <cstring>

namespace tunvale::formats {

namespace {

// An ID3v2 header or footer (ID3v2.4 §3.1, §3.4): magic, version bytes below 0xFF, syncsafe
// size. Returns the size field, or none.
std::optional<std::uint32_t> headerSize(const std::array<std::uint8_t, 10> &bytes, const char *magic)
{
    if (std::memcmp(bytes.data(), magic, 3) != 0 || bytes[3] == 0xFF || bytes[4] == 0xFF)
        return std::nullopt;
    std::uint32_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80)
            return std::nullopt;
        size = (size << 7) | bytes[i];
    }
    return size;
}

} // namespace

std::optional<Mp3TagLayout> probeMp3TagLayout(BinaryFile &file)
{
    Mp3TagLayout layout;
    layout.fileSize = file.size();

    std::array<std::uint8_t, 10> header{};
    if (file.readAt(0, header.data(), header.size()) == header.size()) {
        if (const std::optional<std::uint32_t> size = headerSize(header, "ID3")) {
            const bool footer = header[3] == 4 && (header[5] & 0x10);
            layout.v2Length = 10ull + *size + (footer ? 10u : 0u);
            if (layout.v2Length > layout.fileSize)
                return std::nullopt;
        }
    }

    std::array<std::uint8_t, 3> magic{};
    if (layout.fileSize >= layout.v2Length + 128 &&
        file.readAt(layout.fileSize - 128, magic.data(), magic.size()) == magic.size() &&
        std::memcmp(magic.data(), "TAG", 3) == 0) {
        layout.hasV1 = true;
        layout.v1Position = layout.fileSize - 128;
    }

    const std::uint64_t tagsEnd = layout.hasV1 ? layout.v1Position : layout.fileSize;
    if (tagsEnd >= layout.v2Length + 10 && file.readAt(tagsEnd - 10, header.data(), header.size()) == header.size() &&
        headerSize(header, "3DI"))
        return std::nullopt;
    return layout;
}

} // namespace tunvale::formats
