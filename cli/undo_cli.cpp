// tunvale-cli undo: takes back the last organize run (or a named one) from its journal, with
// the two modes of Cancel; --list shows the recent runs.
#include "cli/undo_cli.h"

#include "cli/commands.h"
#include "catalog/text/codepage.h"
#include "engine/path_text.h"
#include "engine/run_journal.h"
#include "engine/session_undo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#endif

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kListedRuns = 20;

// The questions of Cancel answered from the arguments; messages go to stdout.
class ArgumentAnswers final : public engine::UndoQuestions {
public:
    explicit ArgumentAnswers(bool everything) : m_everything(everything) {}
    bool deleteEverything() override { return m_everything; }
    bool deleteSessionFiles() override { return true; }
    void showMessage(const std::u16string &text) override
    {
        std::printf("%s\n", text::utf16ToUtf8(text).c_str());
        std::fflush(stdout);
    }

private:
    bool m_everything;
};

// The process id in a journal's name ("run-DATE-TIME-MS-PID-N.journal"), or 0.
long journalProcess(const fs::path &journal)
{
    const std::string name = journal.stem().string();
    std::size_t dashes = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '-' && ++dashes == 4)
            return std::strtol(name.c_str() + i + 1, nullptr, 10);
    }
    return 0;
}

// The run of an unfinished journal may still be writing: its process is alive.
bool runStillGoing(const engine::JournalRecord &record)
{
    if (record.ended)
        return false;
#ifdef _WIN32
    return false;
#else
    const long pid = journalProcess(record.path);
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#endif
}

fs::path findJournal(const std::string &given, const fs::path &folder)
{
    if (given.empty()) {
        const std::vector<fs::path> journals = engine::listJournals(folder);
        return journals.empty() ? fs::path() : journals.front();
    }
    fs::path path = engine::pathFromUtf8(given);
    std::error_code ec;
    if (!fs::exists(path, ec) && !path.has_parent_path())
        path = folder / path;
    return path;
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
                    record.createdFiles().size(), record.folders.size() + (record.mainDirectory.empty() ? 0 : 1),
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
        answers.showMessage(engine::kNothingToCancel);
        return exit_code::kDone;
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
    if (runStillGoing(record)) {
        std::fprintf(stderr, "The run of %s is still going on: stop it first.\n", engine::pathToUtf8(journal).c_str());
        return exit_code::kRefused;
    }

    std::vector<fs::path> folders = record.folders;
    std::vector<fs::path> files = record.createdFiles();
    std::vector<fs::path> heads;
    fs::path mainDirectory = record.mainDirectory;
    if (!mainDirectory.empty())
        heads.push_back(mainDirectory);
    const engine::UndoLists lists{folders, folders.size(), heads, files, mainDirectory};
    engine::undoCreated(lists, answers, false);

    if (!engine::markJournalUndone(journal)) {
        std::fprintf(stderr, "Could not mark %s as undone\n", engine::pathToUtf8(journal).c_str());
        return exit_code::kError;
    }
    return exit_code::kDone;
}

} // namespace tunvale::cli
