#pragma once

#include "engine/run_hooks.h"
#include "engine/run_options.h"

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
// as %XX. A last line without its line feed (torn by a crash) is ignored when read.
class RunJournal final : public RunObserver {
public:
    RunJournal() = default;
    ~RunJournal() override;
    RunJournal(const RunJournal &) = delete;
    RunJournal &operator=(const RunJournal &) = delete;

    // Creates a new journal in folder (created if missing); false with error set on failure.
    bool create(const std::filesystem::path &folder, std::string &error);
    const std::filesystem::path &path() const { return m_path; }
    bool isOpen() const { return m_file != nullptr; }

    // The run's folders and options; mainDirectory is the destination when this run created it.
    void writeStart(const std::filesystem::path &source, const std::filesystem::path &destination,
                    const RunOptions &options, bool destinationCreated);
    // How the run ended: the summary word and the three counters.
    void writeEnd(const std::u16string &word, std::int32_t filesLoaded, std::int32_t filesCopied,
                  std::int32_t foldersUsed);

    void folderCreated(const std::filesystem::path &folder) override;
    // Names, before placement writes, each path it may create that does not exist yet (the
    // destination, its ".mp3" form when converting, and the work files written beside them),
    // so a file torn by a crash is known.
    void fileStarting(const std::filesystem::path &destination, const output::PlacementOptions &options) override;
    void fileCreated(const std::filesystem::path &file) override;

private:
    // Every line reaches the file system at once, so a crashed or killed process loses
    // nothing; lines that name a run's start, end or folders also go on to the disk.
    void writeLine(std::string_view key, std::string_view value, bool syncToDisk = false);

    std::filesystem::path m_path;
    std::FILE *m_file = nullptr;
    std::mutex m_mutex;
};

// A journal as read back.
struct JournalRecord {
    std::filesystem::path path;
    std::string started;                             // UTC, "YYYY-MM-DD HH:MM:SS"
    std::filesystem::path source;
    std::filesystem::path destination;
    std::filesystem::path mainDirectory;             // the destination when the run created it
    std::vector<std::filesystem::path> folders;      // created group folders, in order
    std::vector<std::filesystem::path> files;        // files placed successfully, in order
    std::vector<std::filesystem::path> pending;      // paths placement was about to create
    bool ended = false;                              // the run reached its end (or was stopped)
    std::string endWord;
    std::int32_t filesLoaded = 0;
    std::int32_t filesCopied = 0;
    std::int32_t foldersUsed = 0;
    bool undone = false;

    // The files the run created: the placed ones, and those it was writing when it was
    // stopped that are still there.
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
