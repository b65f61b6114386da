#pragma once

// The lock that tells a live run from a dead one: a run holds an exclusive lock on its
// journal for as long as its process lives, and the system drops it when the process ends,
// however it ends (a crash or SIGKILL included). Undo takes the same lock before it reads the
// journal, so it never works on a run still going on, and two undos never work on one run.

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace tunvale::engine {

// Locks the journal open as file without waiting; true when this process now holds the lock.
bool lockOpenJournal(std::FILE *file);

enum class JournalLockResult {
    Locked,    // this process holds the lock now
    Busy,      // the process of the run (or another undo) holds it
    Failed,    // the journal cannot be opened
};

// The lock on one journal, held until destruction.
class JournalLock {
public:
    JournalLock() = default;
    ~JournalLock();
    JournalLock(const JournalLock &) = delete;
    JournalLock &operator=(const JournalLock &) = delete;

    // Opens the journal at path and locks it without waiting.
    JournalLockResult acquire(const std::filesystem::path &path);

private:
    std::intptr_t m_handle = -1;
};

} // namespace tunvale::engine
