#pragma once

#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"

#include <filesystem>
#include <string>

namespace tunvale::catalog {

// Which of the artist-like tags represents the file (possibly empty).
std::u16string artistKey(const CurrentTags &tags);

// Turns the completed tags of one file into a catalog entry keyed for the criterion code and
// appends it to the catalog.
void intake(int criterionCode, const std::filesystem::path &path, const CurrentTags &tags,
            bool acceptSimilitudes, Catalog &catalog);

} // namespace tunvale::catalog
