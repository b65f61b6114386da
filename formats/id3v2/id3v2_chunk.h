#pragma once

// The ID3v2 tag carried as the body of a WAV "id3 " or AIFF "ID3 " chunk: read into the
// current tag record and rebuilt with a new title, artist and track number.

#include "formats/audio/byte_reader.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tunvale::formats {

// Reads the frames of the tag held in tag (the chunk bytes that could be read) into
// currentTags() and, with capturePictures, its APIC frames into pictureTable(). Does not
// clear either record. Returns 1 when the tag was walked to its end, 0 when it is not a tag,
// or its size or a frame size exceeds chunkSize (what was read before stays).
int ParseId3v2Tag(ByteSpan tag, std::uint32_t chunkSize, bool capturePictures);

// Builds a new tag from oldTag (or from nothing) with title and artist (empty: left alone),
// track and totalTracks (0 or less: left alone), without APIC frames when removePictures.
// The result has an even length L; decodedAudio().newTagSize becomes L - 10 and, with an
// old tag, decodedAudio().extraSize its size field. Nothing when memory runs out or the old
// tag cannot be rebuilt faithfully (size field past decodedAudio().fileSize, a version other
// than 2.3 / 2.4, or unsynchronisation).
std::optional<std::vector<std::uint8_t>> BuildId3v2Tag(std::optional<ByteSpan> oldTag, std::u16string_view title,
                                                        std::u16string_view artist, int track, int totalTracks,
                                                        bool removePictures);

} // namespace tunvale::formats
