#pragma once

#include "engine/run/organizer.h"
#include "engine/session/run_summary.h"

#include <chrono>
#include <functional>
#include <optional>

namespace tunvale::engine {

// The question the abort command puts to the user; the dialog shows a message box, the command
// line answers Yes without asking.
class AbortQuestions {
public:
    virtual ~AbortQuestions() = default;
    // "Do you want to abort the Process?" (Yes, No); true for Yes.
    virtual bool confirmAbort() = 0;
};

// Answers Yes without asking (signals, the command line).
class AbortWithoutAsking final : public AbortQuestions {
public:
    bool confirmAbort() override { return true; }
};

inline constexpr char16_t kAbortQuestion[] = u"Do you want to abort the Process?";
inline constexpr char16_t kWaitForCurrentFile[] = u"Wait until current file has been processed";
inline constexpr char16_t kGivingUpWorker[] = u"Being obliged to kill the process...!";

// The waits of the abort command. Only tests shorten them.
struct AbortTiming {
    std::chrono::milliseconds finishedWait{10000};   // for the worker to reach its end
    std::chrono::milliseconds afterGiveUp{1000};     // lets a given-up worker reach a safe point
    std::chrono::milliseconds beforeRelease{100};
    std::chrono::milliseconds summaryPause{100};     // inside the summary, before the empty bar
};

enum class AbortOutcome {
    NoRun,      // no worker: nothing done
    Declined,   // the user answered No; the run goes on
    Finished,   // the worker reached its end within the wait; its end-of-run notice follows
    GivenUp,    // the wait ran out: the run was given up and the summary written here
};

struct AbortResult {
    AbortOutcome outcome = AbortOutcome::NoRun;
    // The summary the command wrote itself (given up, and none was shown yet).
    std::optional<RunSummary> summary;
    // 1 when a running worker was stopped, 0 when there was none or the user declined.
    int code() const { return outcome == AbortOutcome::Finished || outcome == AbortOutcome::GivenUp ? 1 : 0; }
};

// The abort command, on the front end's thread: asks, shows "Wait until current file has been
// processed", signals the abort event and waits for the finished event. When the wait runs
// out the status turns strong red with "Being obliged to kill the process...!", the run is
// given up (its worker stops writing at its next safe point and is never waited for again),
// and the summary, starting with "Aborting", is written. Sets user aborted.
AbortResult abortRun(Organizer &organizer, AbortQuestions &questions, const AbortTiming &timing = {});

// The abort command in two halves, for a front end that keeps handling its events while the
// worker finishes its file: startAbort asks and, on Yes, shows the wait status and signals the
// abort event; the front end then watches Organizer::waitFinished itself for at most
// timing.finishedWait and calls finishAbort with what it saw. abortRun is the two halves
// around a blocking wait.
enum class AbortStart {
    NoRun,       // no worker: nothing to do (finishAbort is not called)
    Declined,    // the user answered No; the run goes on
    Signalled,   // the worker was told to stop: wait for it, then finishAbort
};
AbortStart startAbort(Organizer &organizer, AbortQuestions &questions);

// The pauses of finishAbort; sleepFor unless the front end keeps its events flowing meanwhile.
using AbortPause = std::function<void(std::chrono::milliseconds)>;

// After the wait: gives the run up when the worker did not finish in time (strong red status,
// aborted flag, summary), releases the run and sets user aborted.
AbortResult finishAbort(Organizer &organizer, bool finishedInTime, const AbortTiming &timing = {},
                        const AbortPause &pause = {});

} // namespace tunvale::engine
