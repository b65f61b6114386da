#pragma once

// Permission checks that also hold when the tests run as root (as they do in CI), where no
// permission stops anything: the check runs in a child process that has dropped to the
// unprivileged user "nobody" first. POSIX only.

#include <filesystem>
#include <functional>
#include <string>

namespace tunvale::testing {

struct UnprivilegedRun {
    bool ran = false;     // the child ran the body (and, as root, had dropped its privileges)
    std::string output;   // what the body returned
    std::string failure;  // why it did not run
};

// Runs body in a child process as the unprivileged user (as the caller itself when the tests
// do not run as root) and brings back the text it returns.
UnprivilegedRun runUnprivileged(const std::function<std::string()> &body);

// Makes path belong to the user the body runs as (nothing to do when not root), so that only
// its permission bits decide what that user may do. False when it cannot.
bool giveToUnprivileged(const std::filesystem::path &path);

} // namespace tunvale::testing
