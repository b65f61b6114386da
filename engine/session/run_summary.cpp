#include "engine/session/run_summary.h"

#include "engine/threads/manual_reset_event.h"

#include <cstdio>
#include <string>

namespace tunvale::engine {

namespace {

std::u16string widen(const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); }

} // namespace

std::u16string summaryLine(std::u16string_view word, std::int32_t filesLoaded, std::int32_t filesCopied,
                           std::int32_t foldersUsed)
{
    if (filesLoaded == 0)
        return std::u16string(word) + u": Nothing done!";
    const char *format = nullptr;
    if (filesLoaded <= 1)
        format = ": on %d file, %d is copied in %d folder";
    else if (filesCopied > 1 && foldersUsed > 1)
        format = ": on %d files, %d are copied in %d folders";
    else if (filesCopied > 1)
        format = ": on %d files, %d are copied in %d folder";
    else if (foldersUsed > 1)
        format = ": on %d files, %d is copied in %d folders";
    else
        format = ": on %d files, %d is copied in %d folder";
    char counts[128];
    std::snprintf(counts, sizeof counts, format, filesLoaded, filesCopied, foldersUsed);
    return std::u16string(word) + widen(counts);
}

RunSummary writeSummary(SessionState &session, ProgressSink &sink, std::chrono::milliseconds pause)
{
    RunSummary summary;
    session.summaryShown = 1;
    const bool error = session.flags.error != 0;
    const bool aborted = session.flags.aborted != 0;
    if (error) {
        summary.word = u"Error";
        summary.firstColour = output::colour::kRed;
    } else if (aborted) {
        summary.word = u"Aborting";
        summary.firstColour = output::colour::kLightRed;
    } else {
        summary.word = u"Done";
        summary.firstColour = output::colour::kLightBlue;
    }
    sink.postStatus(summary.firstColour, session.statusText);
    sink.postProgress(session.progressRange, 0);

    if (session.filesLoaded != 0) {
        session.statusText.clear();
        summary.countColour = session.filesCopied == session.filesLoaded ? output::colour::kLightGreen
                                                                         : output::colour::kLightRed;
        sink.postStatus(summary.countColour, u"");
    }
    summary.line = summaryLine(summary.word, session.filesLoaded, session.filesCopied, session.foldersUsed);
    session.statusText = summary.line;

    if (aborted)
        summary.finalColour = output::colour::kLightRed;
    else if (error)
        summary.finalColour = output::colour::kRed;
    else
        summary.finalColour = output::colour::kLightBlue;
    sink.postStatus(summary.finalColour, session.statusText);

    sleepFor(pause);
    sink.postProgress(0, 0);
    return summary;
}

} // namespace tunvale::engine
