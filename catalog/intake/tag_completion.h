#pragma once

#include "catalog/records/current_tags.h"

#include <cstdint>
#include <filesystem>

namespace tunvale::catalog {

// Completes missing Artist (from the other artist-like tags, Title or Album) and, when
// tagsFromName is set, Artist and Title from the file name; normalizes the main fields and
// sets FillScore. Returns FillScore.
std::int32_t completeTags(CurrentTags &tags, const std::filesystem::path &path, bool tagsFromName);

} // namespace tunvale::catalog
