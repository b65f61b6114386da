#pragma once

#include "engine/session/progress_sink.h"
#include "engine/session/session_state.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tunvale::engine {

// The end-of-run line and how it was shown.
struct RunSummary {
    std::u16string word;          // "Done", "Error" or "Aborting"
    std::u16string line;          // e.g. "Done: on 3 files, 3 are copied in 1 folder"
    std::uint32_t firstColour = 0;
    std::uint32_t countColour = 0;   // 0 when nothing was loaded (no count line)
    std::uint32_t finalColour = 0;
};

// The summary line for a word and the three counters.
std::u16string summaryLine(std::u16string_view word, std::int32_t filesLoaded, std::int32_t filesCopied,
                           std::int32_t foldersUsed);

// Writes the summary of the run that just ended: sets summary shown, posts the word's colour,
// the full bar, the count colour, the line (kept as the session's status text) in its final
// colour, and after the pause the empty bar. Called on the front end's thread once the worker
// has ended (or was given up).
RunSummary writeSummary(SessionState &session, ProgressSink &sink,
                        std::chrono::milliseconds pause = std::chrono::milliseconds(100));

} // namespace tunvale::engine
