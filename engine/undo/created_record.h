#pragma once

#include "formats/io/file_identity.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace tunvale::engine {

// One change a run made in the destination that undo can take back: a file it made, known by
// its identity, or a file it replaced, moved aside into the kept folder.
struct CreatedRecord {
    std::filesystem::path path;            // the file made, or the place of the file replaced
    formats::io::FileIdentity identity;    // of the file made; of the original when keptAt is set
    std::filesystem::path keptAt;          // set: the file at path was moved here to be replaced

    bool replaced() const { return !keptAt.empty(); }
};

// What to do with an original kept aside.
enum class KeptOriginals {
    PutBack,   // back to its place, when that is free
    Delete,    // deleted from the kept folder (its place is being emptied anyway)
};

struct RecordsUndone {
    std::int32_t filesDeleted = 0;
    std::int32_t originalsRestored = 0;
    std::vector<std::filesystem::path> originalsKept;   // kept originals whose place is taken
};

// Takes back the records that wanted accepts, newest first, so that a name the run used twice
// ends as it was before the run: a file made is deleted only while the file at its path is
// still that file (same identity), and a kept original is put back (or deleted) only while it
// is the file that was moved aside. Nothing is done through a link: the file or original must
// be in a real folder, and a link found at a path is never taken for a file made.
RecordsUndone undoRecords(const std::vector<CreatedRecord> &records,
                          const std::function<bool(const CreatedRecord &)> &wanted, KeptOriginals kept);

// Removes the folders of the kept folder that the records' originals were kept in, and the
// kept folder itself, when they are empty.
void removeEmptyKeptFolders(const std::vector<CreatedRecord> &records);

} // namespace tunvale::engine
