#pragma once

#include <string>

namespace tunvale::catalog {

// The transient wide-text view of a track: 17 strings, numbers as decimal text.
struct TagStrings {
    std::u16string Artist;
    std::u16string Composer;
    std::u16string Title;
    std::u16string Subtitle;
    std::u16string Performer;
    std::u16string AlbumArtist;
    std::u16string Year;
    std::u16string Genre;
    std::u16string Comment;
    std::u16string Publisher;
    std::u16string Encoder;
    std::u16string Album;
    std::u16string Track;
    std::u16string TrackTotal;
    std::u16string Disc;
    std::u16string DiscTotal;
    std::u16string Rating;
};

} // namespace tunvale::catalog
