#pragma once

#include "engine/run/organize_worker.h"
#include "engine/session/run_summary.h"
#include "engine/threads/worker_thread.h"

#include <chrono>
#include <memory>

namespace tunvale::engine {

// One front end's handle on its runs: starts the worker thread on the session, lets the
// front end request an abort, and releases the run when its end-of-run notice is handled.
// The session, sink and hooks must outlive the Organizer.
class Organizer {
public:
    Organizer(SessionState &session, ProgressSink &sink, RunHooks hooks);
    ~Organizer();
    Organizer(const Organizer &) = delete;
    Organizer &operator=(const Organizer &) = delete;

    // Starts a run on the prepared session with a snapshot of options; its work files are named
    // under workToken (empty: a new token). false when a worker exists already, or when the
    // thread could not be created (the failure message is shown).
    bool start(const RunOptions &options, std::string workToken = {});
    // A run is active exactly while its thread exists.
    bool isActive() const { return m_thread.exists(); }
    // Signals the abort event of the active run (the worker stops before its next file).
    void requestAbort();
    // Waits for the active run's finished event; true when it was set in time (or no run).
    bool waitFinished(std::chrono::milliseconds timeout) const;
    // The end-of-run handler: writes the summary, joins the thread, releases the events and
    // clears user aborted. Also called after a run ended without a thread (tests).
    RunSummary handleRunEnded(std::chrono::milliseconds summaryPause = std::chrono::milliseconds(100));

    // The signals of the active (or last) run; shared so an abandoned worker keeps them alive.
    std::shared_ptr<RunControl> control() const { return m_control; }
    WorkerThread &thread() { return m_thread; }
    SessionState &session() { return m_session; }
    ProgressSink &sink() { return m_sink; }
    const RunHooks &hooks() const { return m_hooks; }
    // Pauses handed to every worker started afterwards.
    void setPauses(WorkerPauses pauses) { m_pauses = pauses; }
    // Conversions each later run writes at once (0: one per hardware thread).
    void setConversionJobs(unsigned jobs) { m_conversionJobs = jobs; }

    // Releases the thread and events of the run without writing a summary.
    void releaseRun();
    // Gives the active run up when it did not end in time: its worker is left to stop alone at
    // its next safe point (placement and conversion look at the give-up flag and remove what
    // they had partly written). When this returns the worker writes nothing more to the
    // session, calls no sink and records nothing; statusWait bounds the wait for a status line
    // being handed over at that moment. The thread handle is released.
    void giveUp(std::chrono::milliseconds statusWait = std::chrono::milliseconds(2000));
    // A worker given up has not yet returned: a new run must not start (it may still be
    // writing into the session's destination).
    bool abandonedWorkerRunning() const;

private:
    SessionState &m_session;
    ProgressSink &m_sink;
    RunHooks m_hooks;
    WorkerPauses m_pauses;
    unsigned m_conversionJobs = 0;
    std::shared_ptr<RunControl> m_control;
    std::shared_ptr<OrganizeRun> m_run;         // shared with the thread's routine
    std::shared_ptr<RunControl> m_abandoned;    // the signals of a worker given up, until it returns
    WorkerThread m_thread;
};

} // namespace tunvale::engine
