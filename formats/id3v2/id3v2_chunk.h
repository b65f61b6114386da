#pragma once

// The ID3v2 tag carried as the body of a WAV "id3 " or AIFF "ID3 " chunk: read into a tag
// record and rebuilt with a new title, artist and track number.

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/audio/byte_reader.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tunvale::formats {

// Reads the frames of the tag held in tag (the chunk bytes that could be read) into tags and,
// when pictures is given, its APIC frames into pictures. Does not clear either record.
// Returns 1 when the tag was walked to its end, 0 when it is not a tag, or its size or a frame
// size exceeds chunkSize (what was read before stays).
int ParseId3v2Tag(ByteSpan tag, std::uint32_t chunkSize, catalog::CurrentTags &tags, catalog::PictureTable *pictures);

// The sizes of a tag BuildId3v2Tag built.
struct Id3v2TagSizes {
    std::uint32_t newTagSize = 0; // the new tag's length without its 10-byte header
    std::uint32_t oldTagSize = 0; // the old tag's size field, 0 without an old tag
};

// Builds a new tag from oldTag (or from nothing) with title and artist (empty: left alone),
// track and totalTracks (0 or less: left alone), without APIC frames when removePictures.
// The result has an even length L; sizes, when given, receives L - 10 and the old tag's size
// field. Nothing when memory runs out or the old tag cannot be rebuilt faithfully (size field
// past fileSize, the size of the file holding it, a version other than 2.3 / 2.4, or
// unsynchronisation).
std::optional<std::vector<std::uint8_t>> BuildId3v2Tag(std::optional<ByteSpan> oldTag, std::uint64_t fileSize,
                                                       std::u16string_view title, std::u16string_view artist, int track,
                                                       int totalTracks, bool removePictures,
                                                       Id3v2TagSizes *sizes = nullptr);

} // namespace tunvale::formats
