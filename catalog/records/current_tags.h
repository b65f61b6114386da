#pragma once

#include "catalog/records/tag_text_field.h"

#include <cstdint>

namespace tunvale::catalog {

// The tags of one file: eleven 8-bit text fields and seven numbers. An absent text is empty,
// an absent number 0. Each read of a file fills a record of its own.
struct CurrentTags {
    TagTextField Title;
    TagTextField Subtitle;
    TagTextField Album;
    TagTextField Artist;
    TagTextField AlbumArtist;
    TagTextField Performer;
    TagTextField Composer;
    TagTextField Comment;
    TagTextField Publisher;
    TagTextField Encoder;
    TagTextField Genre;
    std::int32_t Year = 0;
    std::int32_t Track = 0;
    std::int32_t TrackTotal = 0;
    std::int32_t Disc = 0;
    std::int32_t DiscTotal = 0;
    std::int32_t Rating = 0;
    std::int32_t FillScore = 0;

    // Every text empty and every number 0, in one operation.
    void clear() { *this = CurrentTags{}; }
};

} // namespace tunvale::catalog
