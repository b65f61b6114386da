#pragma once

#include "engine/undo/run_journal.h"

#include <string>

namespace tunvale::engine {

// Checks that every path of the journal lies where a run into its destination writes: the
// destination absolute and lexically normal, the main directory equal to it, the folders made
// to reach it each the parent of the next and ending at it, each group folder exactly one
// level below it, each file, placement and kept original strictly below it (the originals
// inside its kept folder), all of them lexically normal with no "." or "..". A journal that
// fails is not to be acted on at all; error says why.
bool checkJournalPaths(const JournalRecord &record, std::string &error);

} // namespace tunvale::engine
