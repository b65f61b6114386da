// tunvale-cli organize: the Organize command's checks, one run of the worker, the summary.
#include "cli/commands.h"
#include "cli/report_json.h"
#include "cli/terminal.h"
#include "cli/terminal_sink.h"

#include "catalog/text/codepage.h"
#include "engine/run/abort_command.h"
#include "engine/run/make_folder.h"
#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"

#include "engine/session/path_text.h"
#include "engine/undo/run_journal.h"
#include "engine/session/run_report.h"
#include "formats/io/work_files.h"
#include <chrono>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

// Set by SIGINT or SIGTERM; the main thread turns it into the abort event.
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void onStopSignal(int signal)
{
    g_stopRequested = 1;
    // A second signal ends the program at once.
    std::signal(signal, SIG_DFL);
}

// The command line answers Yes: a missing destination is created.
struct CreateDestination final : engine::OrganizeQuestions {
    bool createMissingDestination(const fs::path &) override { return true; }
};

fs::path absoluteFolder(const std::string &text)
{
    if (text.empty())
        return {};
    std::error_code ec;
    fs::path path = fs::absolute(engine::pathFromUtf8(text), ec);
    if (ec)
        path = engine::pathFromUtf8(text);
    path = path.lexically_normal();
    // "dst/" names the folder dst: reports show it without the trailing separator.
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}

nlohmann::ordered_json pathList(const std::vector<fs::path> &paths)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const fs::path &p : paths)
        list.push_back(engine::pathToUtf8(p));
    return list;
}

} // namespace

int runOrganize(const OrganizeArguments &arguments)
{
    if (arguments.dryRun)
        return runPreview(arguments, absoluteFolder(arguments.source), absoluteFolder(arguments.destination));
    engine::SessionState session;
    TerminalSink sink(stderr, stderrIsTerminal());
    CreateDestination yes;

    // Caught from the start, so a signal during the scan still ends the run cleanly.
    g_stopRequested = 0;
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);

    const fs::path source = absoluteFolder(arguments.source);
    const fs::path destination = absoluteFolder(arguments.destination);

    // The journal records, as the run goes, what it creates, for `tunvale-cli undo`. It exists,
    // and names a destination the run is about to create, before anything is written, so a run
    // killed at any point (even during the scan) leaves nothing undo cannot find.
    engine::RunJournal journal;
    std::string journalError;
    std::error_code ec;
    std::vector<fs::path> missing;
    if (!destination.empty() && !fs::is_directory(destination, ec))
        missing = engine::missingFolders(destination);
    // The run's work files carry this token; the journal has it before the first one is made.
    const std::string workToken = formats::io::newWorkToken();
    if (journal.create(engine::journalFolder(), journalError))
        journal.writeStart(source, destination, arguments.options, missing, workToken);

    const engine::PrepareOutcome prepared =
        engine::prepareOrganize(session, arguments.options, source, destination, sink, yes);
    if (prepared.status != engine::PrepareStatus::Ready) {
        // A refused run removed the folders it created; its journal goes too, unless one could
        // not be removed (something was put in it meanwhile).
        const auto stillThere = [](const fs::path &folder) {
            std::error_code error;
            return fs::is_directory(folder, error);
        };
        if (prepared.destinationCreated
            && std::any_of(session.mainDirectoryList.begin(), session.mainDirectoryList.end(), stillThere))
            journal.writeEnd(u"Refused", 0, 0, 0);
        else
            journal.discard();
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        sink.finish();
        std::fprintf(stderr, "%s\n", text::utf16ToUtf8(prepared.message).c_str());
        return exit_code::kRefused;
    }
    if (!journal.isOpen())
        std::fprintf(stderr, "No run journal, this run cannot be undone: %s\n", journalError.c_str());
    engine::RunHooks hooks = engine::standardHooks();
    if (journal.isOpen())
        hooks.observer = &journal;

    engine::Organizer organizer(session, sink, std::move(hooks));
    // The pause after each "Loading" notice lets a dialog repaint; a terminal needs none,
    // and on a large library it would dominate the run time. TUNVALE_LOADING_PAUSE_MS brings
    // it back (to watch a run, or to keep one busy long enough to interrupt it in a test).
    engine::WorkerPauses pauses;
    pauses.afterLoadingNotice = std::chrono::milliseconds(0);
    if (const char *pause = std::getenv("TUNVALE_LOADING_PAUSE_MS")) {
        const long ms = std::strtol(pause, nullptr, 10);
        if (ms > 0 && ms <= 1000)
            pauses.afterLoadingNotice = std::chrono::milliseconds(ms);
    }
    organizer.setPauses(pauses);
    organizer.setConversionJobs(arguments.jobs);
    // TUNVALE_ABORT_WAIT_MS shortens the abort command's wait for the file in progress (10 s),
    // so a test can see a run given up without waiting that long.
    engine::AbortTiming abortTiming;
    if (const char *wait = std::getenv("TUNVALE_ABORT_WAIT_MS")) {
        const long ms = std::strtol(wait, nullptr, 10);
        if (ms > 0 && ms < abortTiming.finishedWait.count())
            abortTiming.finishedWait = std::chrono::milliseconds(ms);
    }
    if (!organizer.start(arguments.options, workToken)) {
        sink.finish();
        return exit_code::kError;
    }
    // A signal goes through the abort command without its question: it waits for the current
    // file, and gives the run up when that takes longer than the abort wait.
    std::optional<engine::RunSummary> abortSummary;
    bool givenUp = false;
    while (!sink.runEnded().waitFor(std::chrono::milliseconds(50))) {
        if (g_stopRequested) {
            engine::AbortWithoutAsking yesToAbort;
            const engine::AbortResult aborted = engine::abortRun(organizer, yesToAbort, abortTiming);
            abortSummary = aborted.summary;
            givenUp = aborted.outcome == engine::AbortOutcome::GivenUp;
            break;
        }
    }
    const engine::RunSummary summary = abortSummary ? *abortSummary : organizer.handleRunEnded();
    journal.writeEnd(summary.word, session.filesLoaded, session.filesCopied, session.foldersUsed);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sink.finish();

    if (arguments.json) {
        // The folders made to reach the destination (outermost first), then the group folders.
        std::vector<fs::path> folders = session.mainDirectoryList;
        folders.insert(folders.end(), session.foldersCreatedInSession.begin(), session.foldersCreatedInSession.end());
        nlohmann::ordered_json report = {
            {"summary", text::utf16ToUtf8(summary.line)},
            {"word", text::utf16ToUtf8(summary.word)},
            {"files_loaded", session.filesLoaded},
            {"files_copied", session.filesCopied},
            {"folders_used", session.foldersUsed},
            {"created_folders", pathList(folders)},
            {"created_files", pathList(session.filesCreatedInSession)},
            {"skipped", skippedList(engine::allSkipped(session))},
            {"failed", failedList(session.failedFiles)},
            {"messages", sink.messages()},
        };
        std::printf("%s\n", dumpReport(report).c_str());
    } else {
        std::printf("%s\n", text::utf16ToUtf8(summary.line).c_str());
    }
    std::fflush(stdout);
    if (!arguments.json) {
        const std::string account = engine::accountLine(engine::allSkipped(session).size(), session.failedFiles.size(),
                                                        "tunvale-cli organize --json for the list");
        if (!account.empty())
            std::fprintf(stderr, "%s\n", account.c_str());
    }

    int status = exit_code::kDone;
    if (session.flags.error)
        status = exit_code::kError;
    else if (session.flags.aborted)
        status = exit_code::kAborted;
    if (givenUp) {
        // The worker given up may be stuck where nothing reaches it (a system call that never
        // returns); returning would wait for it when the Organizer goes. Everything is
        // written and flushed: the process ends without it.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace tunvale::cli
