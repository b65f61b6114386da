#pragma once

#include "catalog/records/catalog.h"
#include "engine/session/progress_sink.h"
#include "engine/threads/run_control.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"
#include "engine/session/run_progress.h"
#include "engine/session/session_state.h"
#include "formats/io/work_files.h"
#include "output/work_copy.h"

#include <chrono>

namespace tunvale::engine {

// The status reporter handed to placement: forwards to the run's sink until the run is
// given up, then drops every call.
class GatedStatus final : public output::StatusReporter {
public:
    GatedStatus(RunControl &control, output::StatusReporter &target) : m_control(control), m_target(target) {}
    // Also turns the file's own progress into the run's share done, posted to sink.
    GatedStatus(RunControl &control, ProgressSink &sink, RunProgress &progress)
        : m_control(control), m_target(sink), m_sink(&sink), m_progress(&progress) {}
    void showStatus(const std::u16string &text, std::uint32_t colour) override;
    void showFileProgress(double fraction) override;

private:
    RunControl &m_control;
    output::StatusReporter &m_target;
    ProgressSink *m_sink = nullptr;
    RunProgress *m_progress = nullptr;
};

// Pauses the worker makes so a front end can keep up; tests may shorten them.
struct WorkerPauses {
    std::chrono::milliseconds afterLoadingNotice{1};
    std::chrono::milliseconds afterFailure{200};
};

// One organize run: everything it reads and writes, owned here or reached from here, and
// handed by reference to each step. Nothing of a run lives anywhere else, so two runs (two
// sessions, two destinations) can go on at once in one process. What one file needs while it
// is read or placed (its tag and picture records, its audio source) is made by that step and
// lives only as long as it.
struct OrganizeRun {
    SessionState &session;
    RunOptions options; // copied when the run starts
    ProgressSink &sink;
    const RunHooks &hooks; // loaders, grouping, naming, placement and the observer (journal)
    RunControl &control;
    WorkerPauses pauses{};
    // The names of the run's work files and kept files, under the run's own token.
    formats::io::WorkNames workNames{};
    // How the run copies between its source and destination file systems.
    output::CopyMethods copyMethods{};
    // The entries of the files the run loaded, in read order.
    catalog::Catalog catalog{};
    // Conversions written at once; 0: one per hardware thread.
    unsigned conversionJobs = 0;
};

// The organize worker: loads every listed file into the run's catalog, then places each group
// in its folder, and ends by setting the finished event and posting the end of run. Runs on
// the calling thread; returns 0.
int runOrganizeWorker(OrganizeRun &run);

// The failure texts the worker shows. Given what placement told of the failure, the text also
// names the system's reason and says what became of the file: not copied (or converted), or
// copied but without its new tags.
std::u16string placeFailureMessage(int code, const std::filesystem::path &source,
                                   const std::filesystem::path &destination,
                                   const output::PlacementFailure *failure = nullptr);
std::u16string folderFailureMessage(const std::filesystem::path &folder);

// The new name of a file of the "Undefined" group: its file name with spaces and hyphens
// trimmed from both ends and its first character upper-cased.
std::u16string undefinedFileName(const std::filesystem::path &source);

} // namespace tunvale::engine
