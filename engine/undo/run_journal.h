#pragma once

#include "engine/undo/created_record.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace tunvale::engine {

// The per-user folder of run journals: $XDG_STATE_HOME/tunvale, else ~/.local/state/tunvale
// (%LOCALAPPDATA%\Tunvale on Windows). Empty when no home is known.
std::filesystem::path journalFolder();

// The journal of one run, written as the run goes: one line per fact, each written through to
// the file system before the run goes on, so a run that is killed loses nothing it had
// recorded. Lines are "key value"; in values the bytes below 0x20, 0x7F and '%' are written
// as %XX. A last line without its line feed (torn by a crash) is ignored when read. The run
// holds a lock on its journal while it lives (journal_lock.h).
//
// What undo may take back is recorded with the identity of each file (formats/io): "placing"
// before a finished file takes a name, "kept" before a file the run replaces is moved aside,
// "file" once a placement succeeded, "work-files" the token of the run's work files.
class RunJournal final : public RunObserver {
public:
    RunJournal() = default;
    ~RunJournal() override;
    RunJournal(const RunJournal &) = delete;
    RunJournal &operator=(const RunJournal &) = delete;

    // Creates a new journal in folder (created if missing) and locks it; false with error set
    // on failure.
    bool create(const std::filesystem::path &folder, std::string &error);
    const std::filesystem::path &path() const { return m_path; }
    bool isOpen() const { return m_file != nullptr; }
    // Closes and deletes the journal (a run refused before it made anything).
    void discard();

    // The run's folders, options and the token of its work files (workToken). mainDirectories:
    // the folders missing on the way to the destination, outermost first, the destination last
    // (empty when it exists), which the run will create; each written as a "main-directory"
    // line before any is created, so that a run killed at any point after that leaves a
    // journal that names every one of them.
    void writeStart(const std::filesystem::path &source, const std::filesystem::path &destination,
                    const RunOptions &options, const std::vector<std::filesystem::path> &mainDirectories,
                    std::string_view workToken);
    // How the run ended: the summary word and the three counters.
    void writeEnd(const std::u16string &word, std::int32_t filesLoaded, std::int32_t filesCopied,
                  std::int32_t foldersUsed);

    void folderCreated(const std::filesystem::path &folder) override;
    // Names the destination placement starts on: its work files are written beside it.
    void fileStarting(const std::filesystem::path &destination, const output::PlacementOptions &options) override;
    void filePublishing(const std::filesystem::path &path, const formats::io::FileIdentity &identity) override;
    void fileKept(const std::filesystem::path &original, const formats::io::FileIdentity &identity,
                  const std::filesystem::path &kept) override;
    // The file placed, with its identity as it is now.
    void fileCreated(const std::filesystem::path &file) override;
    // The identity given is written as it is (no second look at the file) when valid.
    void fileCreated(const std::filesystem::path &file, const formats::io::FileIdentity &identity) override;

private:
    // Every line reaches the file system at once, so a crashed or killed process loses
    // nothing; lines that name a run's start, end or folders also go on to the disk.
    void writeLine(std::string_view key, std::string_view value, bool syncToDisk = false);

    std::filesystem::path m_path;
    std::FILE *m_file = nullptr;
    std::mutex m_mutex;
};

// The version of the journal this program writes; undo takes back only journals of it.
inline constexpr int kJournalVersion = 2;

// A journal as read back.
struct JournalRecord {
    std::filesystem::path path;
    int version = 0;
    std::string started;                             // UTC, "YYYY-MM-DD HH:MM:SS"
    std::filesystem::path source;
    std::filesystem::path destination;
    std::filesystem::path mainDirectory;             // the destination when the run created it
    // Every folder the run created to reach the destination, outermost first, the destination
    // last ("main-directory" lines; a journal of a run that made one level has one).
    std::vector<std::filesystem::path> mainDirectories;
    std::string workToken;                           // names the run's work files
    std::vector<std::filesystem::path> folders;      // created group folders, in order
    std::vector<std::filesystem::path> files;        // files placed successfully, in order
    std::vector<std::filesystem::path> pending;      // destinations placement started on
    std::vector<CreatedRecord> created;              // files made and files replaced, in order
    bool ended = false;                              // the run reached its end (or was stopped)
    std::string endWord;
    std::int32_t filesLoaded = 0;
    std::int32_t filesCopied = 0;
    std::int32_t foldersUsed = 0;
    bool undone = false;

    // The files the run created: the placed ones, and the files it made before it was stopped
    // that are still there, unchanged.
    std::vector<std::filesystem::path> createdFiles() const;
};

// Reads a journal; false with error set when it cannot be read or is not a journal.
bool readJournal(const std::filesystem::path &path, JournalRecord &record, std::string &error);
// The journals of folder, newest first.
std::vector<std::filesystem::path> listJournals(const std::filesystem::path &folder);
// Appends the undone mark; false when the journal cannot be written.
bool markJournalUndone(const std::filesystem::path &path);

// The escaping of journal values, exposed for tests.
std::string escapeJournalValue(std::string_view bytes);
std::string unescapeJournalValue(std::string_view text);

} // namespace tunvale::engine
