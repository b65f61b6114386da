#pragma once

#include "engine/session/run_progress.h"
#include "output/status_reporter.h"

#include <cstdint>
#include <string>

namespace tunvale::engine {

// How the worker reports to its front end. The post calls queue a notice and return at once;
// notices of one run must reach the front end in the order they were posted. showStatus (from
// output::StatusReporter) is synchronous: it returns once the text is shown. showMessage is a
// failure message box: it returns once the front end has shown it (the dialog waits for the
// user to close it, the command line prints it).
class ProgressSink : public output::StatusReporter {
public:
    // Moves the bar to position; a range > 0 first makes the bar's range 0..range.
    virtual void postProgress(std::int32_t position, std::int32_t range) = 0;
    // A colour != 0 recolours the status box; a non-empty text (a copy of the session's
    // status text at the moment of posting) is then shown in it.
    virtual void postStatus(std::uint32_t colour, const std::u16string &text) = 0;
    // The worker has reached its end; the front end writes the summary and releases the run.
    virtual void postRunEnded() = 0;
    // A failure message, shown before the worker goes on.
    virtual void showMessage(const std::u16string &text) = 0;
    // How far the run has come ("n of N" in its phase, the whole run's share done), posted
    // after the position notice of each file and as a long file advances. A front end that
    // shows only the position notices ignores it.
    virtual void postWork(const WorkProgress &) {}
};

} // namespace tunvale::engine
