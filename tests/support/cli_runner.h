#pragma once

// Running the built command-line tool (or any program) from tests: to the end with its output
// collected, in the background by process id, or watched from outside with a time limit and
// its peak memory. The background starts are POSIX only.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing {

struct CliResult {
    int status = -1;   // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;

    // The last line of out, without its line end.
    std::string lastOutLine() const;
};

// The shell command line that runs program with arguments, each quoted, with the "NAME=value"
// entries of environment added to the caller's environment.
std::string commandLine(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                        const std::vector<std::string> &environment = {});

// Runs program with arguments to its end, stdin from /dev/null, in the folder cwd when one is
// given, with the "NAME=value" entries of environment added to the caller's environment.
CliResult runProgram(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                     const std::filesystem::path &cwd = {}, const std::vector<std::string> &environment = {});

// Starts program with arguments in the background, stdin from /dev/null, stdout to out and
// stderr to err (both /dev/null when empty), the "NAME=value" entries of environment added to
// the caller's environment; the child's process id, or -1.
pid_t startProgram(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                   const std::filesystem::path &out = {}, const std::filesystem::path &err = {},
                   const std::vector<std::string> &environment = {});

// A program started by a test and watched from outside: with a time limit (a hang is a
// failure, not a stuck test), signals, and the peak memory it used.
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
