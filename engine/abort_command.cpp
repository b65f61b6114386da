#include "engine/abort_command.h"

#include "engine/manual_reset_event.h"

namespace tunvale::engine {

AbortResult abortRun(Organizer &organizer, AbortQuestions &questions, const AbortTiming &timing)
{
    AbortResult result;
    if (!organizer.isActive())
        return result;
    if (!questions.confirmAbort()) {
        result.outcome = AbortOutcome::Declined;
        return result;
    }
    SessionState &session = organizer.session();
    ProgressSink &sink = organizer.sink();
    sink.showStatus(kWaitForCurrentFile, output::colour::kLightRed);

    result.outcome = AbortOutcome::Finished;
    if (organizer.isActive()) {
        organizer.requestAbort();
        if (!organizer.waitFinished(timing.finishedWait)) {
            // A thread cannot be killed safely: the run is given up instead, and its worker
            // stops at its next safe point without writing anything more.
            sink.showStatus(kGivingUpWorker, output::colour::kStrongRed);
            session.flags.aborted = 1;
            organizer.giveUp();
            sleepFor(timing.afterGiveUp);
            if (!session.summaryShown)
                result.summary = writeSummary(session, sink, timing.summaryPause);
            result.outcome = AbortOutcome::GivenUp;
        }
    }
    sleepFor(timing.beforeRelease);
    // A worker that ended within the wait is joined; its end-of-run notice still follows.
    organizer.releaseRun();
    session.userAborted = 1;
    return result;
}

} // namespace tunvale::engine
