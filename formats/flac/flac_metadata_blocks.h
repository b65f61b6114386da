#pragma once

// Metadata blocks of a FLAC file the program opened itself, read the way libFLAC's
// by-name functions (FLAC__metadata_get_streaminfo, _get_tags, _get_picture) read them.

#include "formats/audio/regular_file.h"

#include <FLAC/format.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tunvale::formats {

struct FlacBlockDeleter {
    void operator()(FLAC__StreamMetadata *block) const;
};
using FlacBlockPtr = std::unique_ptr<FLAC__StreamMetadata, FlacBlockDeleter>;

// The first block of the type, through a decoder that responds to that type only; null when
// there is none, or when decoding reports an error other than a lost sync before the audio.
FlacBlockPtr readFirstFlacBlock(RegularFile &file, FLAC__MetadataType type);

// For each picture type from firstType to lastType, the PICTURE block of that type with the
// largest declared area (then the larger colour depth; the first of equals), as
// FLAC__metadata_get_picture chooses it: a picture that declares neither an area nor a depth
// is never chosen. Null where a type has none; blocks read before a decoding error are kept.
std::vector<FlacBlockPtr> readLargestFlacPictures(RegularFile &file, std::uint32_t firstType, std::uint32_t lastType);

} // namespace tunvale::formats
