#pragma once

// What placement of one file will do, decided from the options and the names alone before
// anything is written: the name it takes before collisions, whether it is converted, and the
// tag changes asked for it. PlaceFile acts on it; a preview reads it.

#include "catalog/records/meta_dat.h"
#include "formats/tag_writing.h"
#include "output/placement_context.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tunvale::output {

// The tag changes one placement asks for; the flags are cleared as rules drop them.
struct TagPlan {
    bool addArtist = false;
    bool addComposer = false;
    bool fromName = false;
    bool renumber = false;
    bool removePictures = false;
    int step = 1;

    bool any() const { return removePictures || addComposer || addArtist || fromName || renumber; }
};

struct PlacementDecision {
    // The destination once the Miscellaneous renumbering is applied (the extension is still
    // the source's: a conversion gives it ".mp3" after the name check).
    std::filesystem::path destination;
    bool converting = false;
    TagPlan tags;
    // The track number and count the tags take (the Miscellaneous number when renumbering there).
    int index = 1;
    int count = 1;
};

// Decides placement of source at destination (1-based index within its folder's count files).
// The two special folders are known by the name of the destination's folder; a file placed in
// "Miscellaneous" advances miscellaneousFiles (may be null).
PlacementDecision decidePlacement(int index, int count, const PlacementOptions &options,
                                  const std::filesystem::path &source, std::filesystem::path destination,
                                  std::int32_t *miscellaneousFiles);

// A destination must be one ordinary file name in a folder below root (when root is set),
// never among the program's own files: the names come from tags, which may hold anything.
bool isSafeDestination(const std::filesystem::path &root, const std::filesystem::path &destination);

// The tags a placement writes into the copy of entry: nothing when the plan asks for no
// change (or every change it asked for fell away). Puts the artist or composer in the entry's
// title when the plan asks for it, as the copy's title.
std::optional<formats::TagChanges> tagChangesFor(catalog::CMetaDat &entry, TagPlan plan, int index, int count);

} // namespace tunvale::output
