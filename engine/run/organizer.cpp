#include "engine/run/organizer.h"

#include "catalog/text/codepage.h"

namespace tunvale::engine {

Organizer::Organizer(SessionState &session, ProgressSink &sink, RunHooks hooks)
    : m_session(session)
    , m_sink(sink)
    , m_hooks(std::move(hooks))
{
}

Organizer::~Organizer()
{
    // The worker works on the session: it must have ended before the session goes.
    if (m_thread.exists()) {
        if (m_control)
            m_control->abort.set();
        m_thread.join();
    }
    // A worker given up still runs the hooks and sink this object holds: it stops at its
    // next safe point, which it must reach before they go.
    if (m_abandoned)
        m_abandoned->exited.wait();
}

bool Organizer::start(const RunOptions &options, std::string workToken)
{
    if (m_thread.exists() || abandonedWorkerRunning())
        return false;
    m_abandoned.reset();
    m_session.summaryShown = 0;
    // Fresh, non-signalled events for each run.
    m_control = std::make_shared<RunControl>();
    m_sink.postStatus(output::colour::kLightGreen, u"");
    formats::io::WorkNames names =
        workToken.empty() ? formats::io::WorkNames() : formats::io::WorkNames(std::move(workToken));
    m_run = std::make_shared<OrganizeRun>(
        OrganizeRun{m_session, options, m_sink, m_hooks, *m_control, m_pauses, std::move(names), {}});
    m_run->conversionJobs = m_conversionJobs;

    // The routine holds its own references, so a worker given up and left alone never sees
    // its run or signals freed.
    std::shared_ptr<RunControl> control = m_control;
    std::shared_ptr<OrganizeRun> run = m_run;
    std::string error;
    if (!m_thread.start(
            [run, control] {
                runOrganizeWorker(*run);
                control->exited.set();
            },
            error)) {
        m_sink.showMessage(u"Creating the 'Organize' thread failed with the error: " + text::utf8ToUtf16(error));
        m_control.reset();
        m_run.reset();
        return false;
    }
    m_session.userAborted = 0;
    return true;
}

void Organizer::requestAbort()
{
    if (m_control && m_thread.exists())
        m_control->abort.set();
}

bool Organizer::waitFinished(std::chrono::milliseconds timeout) const
{
    if (!m_control)
        return true;
    return m_control->finished.waitFor(timeout);
}

RunSummary Organizer::handleRunEnded(std::chrono::milliseconds summaryPause)
{
    RunSummary summary = writeSummary(m_session, m_sink, summaryPause);
    releaseRun();
    m_session.userAborted = 0;
    return summary;
}

void Organizer::giveUp(std::chrono::milliseconds statusWait)
{
    if (!m_thread.exists() || !m_control)
        return;
    m_control->giveUpRun(statusWait);
    // Written once the worker can no longer write the session.
    m_session.flags.aborted = 1;
    m_abandoned = m_control;
    m_thread.abandon();
    m_control->abort.reset();
    m_control->finished.reset();
    m_run.reset();
}

bool Organizer::abandonedWorkerRunning() const
{
    return m_abandoned && !m_abandoned->exited.isSet();
}

void Organizer::releaseRun()
{
    m_thread.join();
    if (m_control) {
        m_control->abort.reset();
        m_control->finished.reset();
    }
    m_run.reset();
}

} // namespace tunvale::engine
