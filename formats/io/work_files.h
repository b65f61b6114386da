#pragma once

// The names of every file the program writes under a name other than its final one (a copy or
// a conversion being written, a tag rewrite's grown file) and of the place where a run keeps
// the files it replaced. Each such name starts with ".tunvale-" and carries the token of the
// process that made it, so what a killed run left behind can be told from anything else.

#include <filesystem>
#include <string>
#include <string_view>

namespace tunvale::formats::io {

// Every name the program gives its own work files and folders starts with this.
inline constexpr std::string_view kProgramPrefix = ".tunvale-";
// The folder, at the destination root, that keeps the files a run replaced.
inline constexpr std::string_view kKeptFolderName = ".tunvale-kept";

// This process's token: its UTC start time, process id and random bits, for example
// "20261210-054107-4242-9f3a1c2b". Made on first use; the same for the whole process.
std::string workToken();

// The work-file name number n of the run with token: ".tunvale-<token>-<n>.part".
std::string workFileName(std::string_view token, unsigned n);

// A new work-file name in the folder of target (so the final rename stays in one folder and
// on one file system). Each call gives another name; create it exclusively.
std::filesystem::path workFileBeside(const std::filesystem::path &target);

// True when fileName (a name, not a path) is a work file of the run with token, or a file a
// library derived from one (libFLAC's ".metadata_edit"). A token that is not one this module
// makes matches nothing.
bool isWorkFileOf(const std::filesystem::path &fileName, std::string_view token);

// True when token has the form of a token: 8 to 64 ASCII letters, digits and '-'.
bool isValidToken(std::string_view token);

// True for every name the program gives its own files and folders: a scan never takes such an
// entry in as a source.
bool isProgramName(const std::filesystem::path &fileName);

// root/.tunvale-kept
std::filesystem::path keptFolder(const std::filesystem::path &destinationRoot);

// Where the file at original (a path below root) is kept when this process's run replaces it:
// root/.tunvale-kept/<token>/<path of original below root>, with ".<attempt>" appended to the
// file name from attempt 1 on (the same name replaced twice in one run). Empty when original
// does not lie below root.
std::filesystem::path keptPath(const std::filesystem::path &root, const std::filesystem::path &original,
                               unsigned attempt);

// For tests: gives the process another token, and restarts the numbering, while it lives.
class ScopedWorkToken {
public:
    explicit ScopedWorkToken(std::string token);
    ~ScopedWorkToken();
    ScopedWorkToken(const ScopedWorkToken &) = delete;
    ScopedWorkToken &operator=(const ScopedWorkToken &) = delete;

private:
    std::string m_previous;
    unsigned m_previousNext = 0;
};

} // namespace tunvale::formats::io
