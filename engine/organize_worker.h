#pragma once

#include "engine/manual_reset_event.h"
#include "engine/progress_sink.h"
#include "engine/run_hooks.h"
#include "engine/run_options.h"
#include "engine/session_state.h"

#include <atomic>
#include <chrono>

namespace tunvale::engine {

// The signals shared between a front end and one run's worker.
struct RunControl {
    ManualResetEvent abort;      // polled by the worker before each file and each group
    ManualResetEvent finished;   // set by the worker when it reaches its end
    // Set when the front end gives the run up: placement and conversion stop at their next
    // safe point (the abort event never interrupts a file).
    std::atomic<bool> giveUp{false};
};

// Pauses the worker makes so a front end can keep up; tests may shorten them.
struct WorkerPauses {
    std::chrono::milliseconds afterLoadingNotice{1};
    std::chrono::milliseconds afterFailure{200};
};

// Everything one run of the worker reads and writes.
struct WorkerContext {
    SessionState &session;
    RunOptions options;   // snapshot taken when the run starts
    ProgressSink &sink;
    const RunHooks &hooks;
    RunControl &control;
    WorkerPauses pauses{};
};

// The organize worker: loads every listed file into the catalog, then places each group in
// its folder, and ends by setting the finished event and posting the end of run. Runs on the
// calling thread; returns 0. The catalog and tag records are the process-wide ones.
int runOrganizeWorker(WorkerContext &context);

// The failure texts the worker shows.
std::u16string placeFailureMessage(int code, const std::filesystem::path &source,
                                   const std::filesystem::path &destination);
std::u16string folderFailureMessage(const std::filesystem::path &folder);

// The new name of a file of the "Undefined" group: its file name with spaces and hyphens
// trimmed from both ends and its first character upper-cased.
std::u16string undefinedFileName(const std::filesystem::path &source);

} // namespace tunvale::engine
