#pragma once

#include <string>

namespace tunvale::cli {

struct UndoArguments {
    bool everything = false;   // every entry of the created folders, not only the run's files
    bool list = false;         // show the recent runs instead
    std::string journal;       // a journal path or name; the newest run when empty
};

// tunvale-cli undo: takes back what one organize run created, as recorded in its journal.
int runUndo(const UndoArguments &arguments);

} // namespace tunvale::cli
