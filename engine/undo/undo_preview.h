#pragma once

#include <cstdint>

namespace tunvale::engine {

struct UndoLists;   // session_undo.h

// What one answer to Cancel's questions would take back, counted before the question is asked.
struct UndoTake {
    std::int32_t files = 0;               // files that would be deleted
    std::int32_t folders = 0;             // folders that would be removed
    std::int32_t notCreated = 0;          // of those files, the ones this session did not create
    std::int32_t originalsRestored = 0;   // replaced files that would be put back
    std::int32_t originalsKept = 0;       // replaced files that would stay in the kept folder

    // Whether the answer would delete, remove or put back anything, or has kept files to tell of.
    bool any() const { return files > 0 || folders > 0 || originalsRestored > 0 || originalsKept > 0; }
    friend bool operator==(const UndoTake &, const UndoTake &) = default;
};

// What each answer would take back, counted on the disk as it is now, by the same rules the
// undo follows (identities, links, folders left empty), without touching anything.
struct UndoPreview {
    UndoTake everything;     // Yes to "Do you want to delete everything?"
    UndoTake sessionFiles;   // Yes to "Do you want to delete the files created during this session?"
};
UndoPreview previewUndo(const UndoLists &lists);

} // namespace tunvale::engine
