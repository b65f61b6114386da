#include "support/child_process.h"

#ifndef _WIN32

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace tunvale::testing {

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_ended) {
        ::kill(m_pid, SIGKILL);
        waitFor(std::chrono::seconds(10));
    }
}

bool ChildProcess::start(const std::vector<std::string> &arguments, const std::filesystem::path &output,
                         const std::vector<std::string> &environment)
{
    if (arguments.empty() || m_pid > 0)
        return false;
    std::vector<std::string> texts = arguments;
    std::vector<char *> argv;
    for (std::string &a : texts)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    std::vector<char *> envp;
    for (char **e = environ; *e; ++e)
        envp.push_back(*e);
    for (std::string &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    const std::string out = output.empty() ? std::string("/dev/null") : output.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
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

} // namespace tunvale::testing

#endif
