#include "support/cli_runner.h"

#include "support/temp_dir.h"

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;
#endif

namespace fs = std::filesystem;

namespace tunvale::testing {

std::string CliResult::lastOutLine() const
{
    std::string text = out;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    const auto newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

std::string commandLine(const fs::path &program, const std::vector<std::string> &arguments,
                        const std::vector<std::string> &environment)
{
    std::string command;
    for (const std::string &entry : environment) {
        const std::size_t equals = entry.find('=');
        command += entry.substr(0, equals) + "=" + shellQuote(entry.substr(equals + 1)) + " ";
    }
    command += shellQuote(program.string());
    for (const std::string &a : arguments)
        command += " " + shellQuote(a);
    return command;
}

CliResult runProgram(const fs::path &program, const std::vector<std::string> &arguments, const fs::path &cwd,
                     const std::vector<std::string> &environment)
{
    const TempDir scratch;
    std::string command;
    if (!cwd.empty())
        command = "cd " + shellQuote(cwd.string()) + " && ";
    command += commandLine(program, arguments, environment);
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    command += " >" + shellQuote(out.string()) + " 2>" + shellQuote(err.string()) + " </dev/null";
    CliResult result;
    result.status = runCommand(command);
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

#ifndef _WIN32

namespace {

// The caller's environment with the "NAME=value" entries of added put in, replacing the
// caller's own value of each NAME.
std::vector<std::string> environmentWith(const std::vector<std::string> &added)
{
    std::vector<std::string> result;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::size_t equals = entry.find('=');
        const std::string name = equals == std::string::npos ? entry : entry.substr(0, equals + 1);
        bool replaced = false;
        for (const std::string &a : added)
            replaced = replaced || a.compare(0, name.size(), name) == 0;
        if (!replaced)
            result.push_back(entry);
    }
    result.insert(result.end(), added.begin(), added.end());
    return result;
}

std::vector<char *> pointersTo(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    for (std::string &t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts words[0] with words as its argument vector, stdin from /dev/null, stdout and stderr
// to the files named (/dev/null when empty); the child's process id, or -1.
pid_t spawn(std::vector<std::string> words, const fs::path &out, const fs::path &err,
            const std::vector<std::string> &environment)
{
    if (words.empty())
        return -1;
    std::vector<std::string> variables = environmentWith(environment);
    const std::vector<char *> argv = pointersTo(words);
    const std::vector<char *> envp = pointersTo(variables);
    const std::string outPath = out.empty() ? "/dev/null" : out.string();
    const std::string errPath = err.empty() ? "/dev/null" : err.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

pid_t startProgram(const fs::path &program, const std::vector<std::string> &arguments, const fs::path &out,
                   const fs::path &err, const std::vector<std::string> &environment)
{
    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return spawn(std::move(words), out, err, environment);
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_ended) {
        ::kill(m_pid, SIGKILL);
        waitFor(std::chrono::seconds(10));
    }
}

bool ChildProcess::start(const std::vector<std::string> &arguments, const fs::path &output,
                         const std::vector<std::string> &environment)
{
    if (m_pid > 0)
        return false;
    const pid_t pid = spawn(arguments, output, {}, environment);
    if (pid <= 0)
        return false;
    m_pid = pid;
    return true;
}

bool ChildProcess::waitFor(std::chrono::milliseconds timeout)
{
    if (m_ended || m_pid <= 0)
        return m_ended;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        struct rusage usage {};
        const pid_t done = ::wait4(m_pid, &status, WNOHANG, &usage);
        if (done == m_pid) {
            m_ended = true;
            m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            m_peakKiB = usage.ru_maxrss;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::signal(int number)
{
    if (m_pid > 0 && !m_ended)
        ::kill(m_pid, number);
}

#endif

} // namespace tunvale::testing
