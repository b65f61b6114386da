#pragma once

namespace tunvale::catalog {

// The two run options every loader, tag completion and intake read.
struct LoadOptions {
    bool tagsFromName = true;        // TAGSFROMNAME
    bool acceptSimilitudes = true;   // ACCEPT_SIMILITUDES
};

// Criterion codes derived from the "Organize by" choice.
namespace criterion {
inline constexpr int kNone = 0;
inline constexpr int kArtist = 1;
inline constexpr int kAlbum = 2;
inline constexpr int kYear = 5;
inline constexpr int kGenre = 6;
inline constexpr int kDecade = 1007;
} // namespace criterion

} // namespace tunvale::catalog
