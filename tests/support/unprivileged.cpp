#include "support/unprivileged.h"

#ifndef _WIN32

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunvale::testing {

namespace {

struct Identity {
    uid_t user;
    gid_t group;
};

// "nobody" when running as root, otherwise the caller.
bool unprivilegedIdentity(Identity &identity)
{
    if (::geteuid() != 0) {
        identity = {::geteuid(), ::getegid()};
        return true;
    }
    const passwd *entry = ::getpwnam("nobody");
    if (!entry || entry->pw_uid == 0)
        return false;
    identity = {entry->pw_uid, entry->pw_gid};
    return true;
}

bool writeAll(int descriptor, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(descriptor, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

UnprivilegedRun runUnprivileged(const std::function<std::string()> &body)
{
    UnprivilegedRun run;
    Identity identity{};
    if (!unprivilegedIdentity(identity)) {
        run.failure = "no unprivileged user \"nobody\"";
        return run;
    }
    int channel[2];
    if (::pipe(channel) != 0) {
        run.failure = "no pipe";
        return run;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        run.failure = "no child process";
        ::close(channel[0]);
        ::close(channel[1]);
        return run;
    }
    if (pid == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(identity.group) != 0 || ::setuid(identity.user) != 0))
            ::_exit(2);
        if (identity.user != 0 && ::geteuid() == 0)
            ::_exit(3);   // still privileged: the check would prove nothing
        const bool written = writeAll(channel[1], body());
        ::close(channel[1]);
        ::_exit(written ? 0 : 4);
    }
    ::close(channel[1]);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ran)
        run.failure = "the unprivileged child failed (status " + std::to_string(status) + ")";
    return run;
}

bool giveToUnprivileged(const std::filesystem::path &path)
{
    Identity identity{};
    if (!unprivilegedIdentity(identity))
        return false;
    if (::geteuid() != 0)
        return true;
    return ::chown(path.c_str(), identity.user, identity.group) == 0;
}

} // namespace tunvale::testing

#endif
