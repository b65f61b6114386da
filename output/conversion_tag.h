#pragma once

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"

#include <cstdint>
#include <vector>

namespace tunvale::output {

// The POPM rating byte for a 1-5 star rating: 1, 64, 128, 196, 255; any other value 0.
std::uint8_t popmRatingByte(std::int32_t rating);

// The ID3v2.3 tag of a converted file: one frame per non-empty text and per number above 0
// of tags, then one APIC frame per picture when pictures is given. Empty when the tag could
// not be built or rendered.
std::vector<std::uint8_t> buildConversionTag(const catalog::CurrentTags &tags, const catalog::PictureTable *pictures);

} // namespace tunvale::output
