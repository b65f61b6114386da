#pragma once

#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"

#include <filesystem>
#include <string>

namespace tunvale::catalog {

// The artist names of one file, from its artist-like tags (each possibly empty).
struct ArtistNames {
    std::u16string key;       // the main artist, in title case: the group key by artist
    std::u16string credit;    // the whole credit, as the copy's tag and name carry it
    std::u16string jointMain; // the artist before "&" or "with" in the key, when there is one
};
ArtistNames artistNames(const CurrentTags &tags);

// Which of the artist-like tags represents the file (possibly empty): artistNames().key.
std::u16string artistKey(const CurrentTags &tags);

// Turns the completed tags of one file into a catalog entry keyed for the criterion code and
// appends it to the catalog.
void intake(int criterionCode, const std::filesystem::path &path, const CurrentTags &tags,
            bool acceptSimilitudes, Catalog &catalog);

} // namespace tunvale::catalog
