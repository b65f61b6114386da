// The main dialog's commands that stop a run: the abort command with its stopping state, Cancel
// with the undo of the session, Exit and closing the window.
#include "engine/run/abort_command.h"
#include "engine/undo/session_undo.h"
#include "ui/colored_edit.h"
#include "ui/dialog_questions.h"
#include "ui/event_wait.h"
#include "ui/tunvale_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>

namespace tunvale::ui {

engine::AbortResult TunvaleDialog::runAbortCommand(bool hideAtOnce)
{
    engine::AbortResult result;
    Questions questions(*this);
    switch (engine::startAbort(m_organizer, questions)) {
    case engine::AbortStart::NoRun:
        return result;
    case engine::AbortStart::Declined:
        result.outcome = engine::AbortOutcome::Declined;
        return result;
    case engine::AbortStart::Signalled:
        break;
    }
    if (hideAtOnce) {
        // Exit and closing: the window goes now; the stop completes behind it.
        saveWindowGeometry();
        hide();
    }
    // The stopping state: the window is painted and its timers run, the controls wait, and
    // what the worker reports meanwhile is kept back in its order, as if the dialog's thread
    // were waiting.
    m_stopping = true;
    updateControlStates();
    setWindowTitle(tr("%1 - Stopping...").arg(kAppTitle));
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_sink.holdNotices(true);

    const engine::AbortTiming &timing = m_setup.abortTiming;
    const bool finished = waitHandlingEvents(
        [this] { return !m_organizer.isActive() || m_organizer.waitFinished(std::chrono::milliseconds(0)); },
        timing.finishedWait);
    result = engine::finishAbort(m_organizer, finished, timing, &pauseHandlingEvents);
    afterAbort(result);

    m_sink.holdNotices(false);
    QApplication::restoreOverrideCursor();
    setWindowTitle(kAppTitle);
    m_stopping = false;
    updateControlStates();
    return result;
}

void TunvaleDialog::afterAbort(const engine::AbortResult &result)
{
    m_sink.setReleaseWaits(false);
    if (result.outcome == engine::AbortOutcome::GivenUp) {
        // The worker was left to stop alone: what it posted before is stale.
        m_sink.dropPending();
        if (result.summary) {
            m_lastSummary = result.summary;
            showRunEndOnBar();
        }
        watchAbandonedWorker();
    }
}

void TunvaleDialog::watchAbandonedWorker()
{
    // Organize waits for a given-up worker to return; the button follows.
    if (!m_organizer.abandonedWorkerRunning()) {
        updateControlStates();
        return;
    }
    QTimer::singleShot(200, this, &TunvaleDialog::watchAbandonedWorker);
}

void TunvaleDialog::cancelSession()
{
    if (m_stopping)
        return;
    runAbortCommand(false);
    if (m_closedWhileStopping) {
        // The window was closed while the run stopped: closing forgets the session.
        m_closedWhileStopping = false;
        forgetSession();
        return;
    }
    // No to the abort question: the run goes on and its lists are still being written.
    if (m_organizer.isActive())
        return;
    const std::uint32_t colourBefore = m_statusBox->colour();
    Questions questions(*this);
    const engine::CancelResult result = engine::cancelSession(m_organizer, questions, questions, m_setup.abortTiming);
    // No to the undo: what the session made stays, and the status line says so in the colour
    // it had, not in Cancel's.
    if (questions.declined() && !result.undo.done && m_session.userAborted == 0)
        showStatusWord(tr("Nothing was deleted: what this session made is kept."), colourBefore);
}

void TunvaleDialog::reject()
{
    cancelSession();
}

void TunvaleDialog::exitDialog()
{
    if (m_stopping) {
        // The window goes at once, as when it is closed; the stop finishes behind it.
        close();
        return;
    }
    const engine::AbortResult result = runAbortCommand(true);
    // The user would not stop the run: the dialog stays, with the run going on.
    if (result.outcome == engine::AbortOutcome::Declined)
        return;
    saveWindowGeometry();
    m_exiting = true;
    done(QDialog::Accepted);
    m_exiting = false;
}

void TunvaleDialog::forgetSession()
{
    // Closing forgets the session: nothing created can be undone afterwards.
    m_session.filesCreatedInSession.clear();
    m_session.createdInSession.clear();
    m_session.foldersCreatedInRun.clear();
    m_session.foldersCreatedInSession.clear();
    m_session.mainDirectoryList.clear();
    m_session.sourceFiles.clear();
}

void TunvaleDialog::closeEvent(QCloseEvent *event)
{
    if (m_stopping) {
        // The window goes at once; the command that is stopping the run finishes behind it.
        saveWindowGeometry();
        m_closedWhileStopping = true;
        event->accept();
        setResult(QDialog::Rejected);
        return;
    }
    if (!m_exiting && m_organizer.isActive()) {
        const engine::AbortResult result = runAbortCommand(true);
        if (result.outcome == engine::AbortOutcome::Declined) {
            event->ignore();
            return;
        }
    }
    saveWindowGeometry();
    forgetSession();
    event->accept();
    // Hiding the window ends its modal loop; done() is left to Exit.
    if (!m_exiting)
        setResult(QDialog::Rejected);
}

} // namespace tunvale::ui
