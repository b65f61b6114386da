#pragma once

// A program started by a test and watched from outside: with a time limit (a hang is a
// failure, not a stuck test), signals, and the peak memory it used. POSIX only.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();   // kills and reaps a child still running
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts arguments[0] with the rest as its arguments, stdout into output (or /dev/null
    // when empty), stderr and stdin on /dev/null, and environment the caller's plus the
    // given "NAME=value" entries. False when it could not be started.
    bool start(const std::vector<std::string> &arguments, const std::filesystem::path &output = {},
               const std::vector<std::string> &environment = {});
    // Waits at most timeout for the child to end; true when it has ended.
    bool waitFor(std::chrono::milliseconds timeout);
    void signal(int number);

    bool ended() const { return m_ended; }
    // The exit status, or -1 when the child did not exit normally (a signal ended it).
    int exitStatus() const { return m_exitStatus; }
    // The largest resident set size it reached, in KiB.
    long peakMemoryKiB() const { return m_peakKiB; }

private:
    int m_pid = -1;
    bool m_ended = false;
    int m_exitStatus = -1;
    long m_peakKiB = 0;
};

} // namespace tunvale::testing
