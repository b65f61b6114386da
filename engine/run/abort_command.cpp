#include "engine/run/abort_command.h"

#include "engine/threads/manual_reset_event.h"

namespace tunvale::engine {

AbortStart startAbort(Organizer &organizer, AbortQuestions &questions)
{
    if (!organizer.isActive())
        return AbortStart::NoRun;
    if (!questions.confirmAbort())
        return AbortStart::Declined;
    organizer.sink().showStatus(kWaitForCurrentFile, output::colour::kLightRed);
    organizer.requestAbort();
    return AbortStart::Signalled;
}

AbortResult finishAbort(Organizer &organizer, bool finishedInTime, const AbortTiming &timing, const AbortPause &pause)
{
    const auto wait = [&](std::chrono::milliseconds duration) {
        if (pause)
            pause(duration);
        else
            sleepFor(duration);
    };
    SessionState &session = organizer.session();
    AbortResult result;
    result.outcome = AbortOutcome::Finished;
    if (organizer.isActive() && !finishedInTime) {
        // A thread cannot be killed safely: the run is given up instead, and its worker
        // stops at its next safe point without writing anything more.
        organizer.sink().showStatus(kGivingUpWorker, output::colour::kStrongRed);
        session.flags.aborted = 1;
        organizer.giveUp();
        wait(timing.afterGiveUp);
        if (!session.summaryShown)
            result.summary = writeSummary(session, organizer.sink(), timing.summaryPause);
        result.outcome = AbortOutcome::GivenUp;
    }
    wait(timing.beforeRelease);
    // A worker that ended within the wait is joined; its end-of-run notice still follows.
    organizer.releaseRun();
    session.userAborted = 1;
    return result;
}

AbortResult abortRun(Organizer &organizer, AbortQuestions &questions, const AbortTiming &timing)
{
    AbortResult result;
    switch (startAbort(organizer, questions)) {
    case AbortStart::NoRun:
        return result;
    case AbortStart::Declined:
        result.outcome = AbortOutcome::Declined;
        return result;
    case AbortStart::Signalled:
        break;
    }
    const bool finished = !organizer.isActive() || organizer.waitFinished(timing.finishedWait);
    return finishAbort(organizer, finished, timing);
}

} // namespace tunvale::engine
