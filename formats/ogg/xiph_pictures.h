#pragma once

// The pictures an Ogg stream carries in its comments: METADATA_BLOCK_PICTURE entries, each a
// FLAC PICTURE block in base64.

#include "catalog/records/picture_table.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tunvale::formats {

struct FlacPictureBlock {
    catalog::Picture picture;   // type, MIME type, description as 8-bit text, data
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;   // bits per pixel
};

// One decoded FLAC PICTURE block; nothing when the block is cut short. Every length is checked
// against the bytes left.
std::optional<FlacPictureBlock> parseFlacPictureBlock(std::string_view block);

// Adds to table, for each picture type from 1 to 20, the largest picture of that type (by
// area, then colour depth, the first of equals) among the METADATA_BLOCK_PICTURE entries, as
// the FLAC reader chooses among PICTURE blocks, while the table has room. Entries that do not
// decode are skipped.
void collectXiphPictures(const std::vector<std::string_view> &entries, catalog::PictureTable &table);

} // namespace tunvale::formats
