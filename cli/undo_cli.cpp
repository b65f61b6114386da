// tunvale-cli undo: takes back the last organize run (or a named one) from its journal, with
// the two modes of Cancel; --list shows the recent runs.
#include "cli/undo_cli.h"

#include "cli/commands.h"
#include "catalog/text/codepage.h"
#include "engine/undo/journal_lock.h"
#include "engine/undo/journal_paths.h"
#include "engine/session/path_text.h"
#include "engine/undo/run_journal.h"
#include "engine/undo/session_undo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kListedRuns = 20;

// The questions of Cancel answered from the arguments; messages go to stdout.
class ArgumentAnswers final : public engine::UndoQuestions {
public:
    explicit ArgumentAnswers(bool everything) : m_everything(everything) {}
    bool deleteEverything(const engine::UndoTake &) override { return m_everything; }
    bool deleteSessionFiles(const engine::UndoTake &) override { return true; }
    void showMessage(const std::u16string &text) override
    {
        std::printf("%s\n", text::utf16ToUtf8(text).c_str());
        std::fflush(stdout);
    }

private:
    bool m_everything;
};

// A journal named on the command line: a path (it holds a folder separator) as given, a bare
// name in the state folder only, never in the current folder.
fs::path findJournal(const std::string &given, const fs::path &folder)
{
    if (given.empty()) {
        const std::vector<fs::path> journals = engine::listJournals(folder);
        return journals.empty() ? fs::path() : journals.front();
    }
    const fs::path path = engine::pathFromUtf8(given);
    if (path.has_parent_path())
        return path;
    return folder.empty() ? fs::path() : folder / path;
}

// The folders a run wrote work files in: those of the files it started to place.
engine::WorkFileSweep workFilesOf(const engine::JournalRecord &record)
{
    engine::WorkFileSweep sweep;
    sweep.token = record.workToken;
    if (record.workToken.empty())
        return sweep;
    for (const fs::path &destination : record.pending)
        sweep.folders.push_back(destination.parent_path());
    for (const engine::CreatedRecord &created : record.created)
        sweep.folders.push_back(created.path.parent_path());
    return sweep;
}

int refuse(const char *format, const fs::path &journal, const std::string &detail = {})
{
    std::fprintf(stderr, format, engine::pathToUtf8(journal).c_str(), detail.c_str());
    return exit_code::kRefused;
}

int listRuns(const fs::path &folder)
{
    const std::vector<fs::path> journals = engine::listJournals(folder);
    if (journals.empty()) {
        std::printf("No run recorded in %s\n", engine::pathToUtf8(folder).c_str());
        return exit_code::kDone;
    }
    for (std::size_t i = 0; i < journals.size() && i < kListedRuns; ++i) {
        engine::JournalRecord record;
        std::string error;
        if (!engine::readJournal(journals[i], record, error))
            continue;
        std::string state = record.ended ? record.endWord : std::string("stopped");
        if (record.undone)
            state += ", undone";
        std::printf("%s UTC  %s -> %s\n    %zu files and %zu folders created (%s)  %s\n", record.started.c_str(),
                    engine::pathToUtf8(record.source).c_str(), engine::pathToUtf8(record.destination).c_str(),
                    record.createdFiles().size(), record.folders.size() + record.mainDirectories.size(),
                    state.c_str(), engine::pathToUtf8(record.path.filename()).c_str());
    }
    return exit_code::kDone;
}

} // namespace

int runUndo(const UndoArguments &arguments)
{
    const fs::path folder = engine::journalFolder();
    if (arguments.list)
        return listRuns(folder);

    const fs::path journal = findJournal(arguments.journal, folder);
    ArgumentAnswers answers(arguments.everything);
    if (journal.empty()) {
        if (!arguments.journal.empty())
            return refuse("cannot read %s%s\n", engine::pathFromUtf8(arguments.journal));
        answers.showMessage(engine::kNothingToCancel);
        return exit_code::kDone;
    }
    // The run holds this lock while it lives: a run still going on (or another undo) keeps it.
    engine::JournalLock lock;
    switch (lock.acquire(journal)) {
    case engine::JournalLockResult::Locked: break;
    case engine::JournalLockResult::Busy:
        return refuse("The run of %s is still going on: stop it first.%s\n", journal);
    case engine::JournalLockResult::Failed:
        return refuse("cannot read %s%s\n", journal);
    }
    engine::JournalRecord record;
    std::string error;
    if (!engine::readJournal(journal, record, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return exit_code::kRefused;
    }
    if (record.undone) {
        answers.showMessage(engine::kNothingToCancel);
        return exit_code::kDone;
    }
    if (record.version != engine::kJournalVersion)
        return refuse("Refused %s: it was written by another version of tunvale-cli, which did not record which "
                      "files were its own; nothing was deleted.%s\n",
                      journal);
    if (!engine::checkJournalPaths(record, error))
        return refuse("Refused %s: %s; nothing was deleted.\n", journal, error);

    std::vector<fs::path> folders = record.folders;
    std::vector<fs::path> files = record.files;
    std::vector<engine::CreatedRecord> created = record.created;
    // The folders made to reach the destination, outermost first; undo removes them deepest first.
    std::vector<fs::path> heads = record.mainDirectories;
    fs::path mainDirectory = record.mainDirectory;
    const engine::WorkFileSweep workFiles = workFilesOf(record);
    const engine::UndoLists lists{folders, folders.size(), heads, files, mainDirectory, &created, &workFiles};
    engine::undoCreated(lists, answers, false);

    if (!engine::markJournalUndone(journal)) {
        std::fprintf(stderr, "Could not mark %s as undone\n", engine::pathToUtf8(journal).c_str());
        return exit_code::kError;
    }
    return exit_code::kDone;
}

} // namespace tunvale::cli
