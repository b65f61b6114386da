#pragma once

// The names of every file the program writes under a name other than its final one (a copy or
// a conversion being written, a tag rewrite's grown file) and of the place where a run keeps
// the files it replaced. Each such name starts with ".tunvale-" and carries the token of the
// run that made it, so what a killed run left behind can be told from anything else.

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

namespace tunvale::formats::io {

// Every name the program gives its own work files and folders starts with this.
inline constexpr std::string_view kProgramPrefix = ".tunvale-";
// The folder, at the destination root, that keeps the files a run replaced.
inline constexpr std::string_view kKeptFolderName = ".tunvale-kept";

// A new token: the UTC time, the process id and random bits, for example
// "20261210-054107-4242-9f3a1c2b". Each run takes one, so the work files of two runs, in one
// process or in two, are told apart.
std::string newWorkToken();

// The work-file name number n of the run with token: ".tunvale-<token>-<n>.part".
std::string workFileName(std::string_view token, unsigned n);

// True when fileName (a name, not a path) is a work file of the run with token, or a file a
// library derived from one (libFLAC's ".metadata_edit"). A token that is not one this module
// makes matches nothing.
bool isWorkFileOf(const std::filesystem::path &fileName, std::string_view token);

// True when token has the form of a token: 8 to 64 ASCII letters, digits and '-'.
bool isValidToken(std::string_view token);

// True for every name the program gives its own files and folders: a scan never takes such an
// entry in as a source.
bool isProgramName(const std::filesystem::path &fileName);
// The same for a name as the platform spells it (no conversion: the prefix is ASCII).
bool isProgramSpelling(std::basic_string_view<std::filesystem::path::value_type> fileName);

// root/.tunvale-kept
std::filesystem::path keptFolder(const std::filesystem::path &destinationRoot);

// The names one run gives the files it writes under a name other than their final one and the
// place where it keeps the files it replaces, all made from the run's token. Each call of
// beside() gives another name, also when several threads of the run ask at once.
class WorkNames {
public:
    // Names under a new token.
    WorkNames();
    explicit WorkNames(std::string token);
    WorkNames(WorkNames &&other) noexcept;
    WorkNames(const WorkNames &) = delete;
    WorkNames &operator=(const WorkNames &) = delete;
    WorkNames &operator=(WorkNames &&) = delete;

    const std::string &token() const { return m_token; }

    // A new work-file name in the folder of target (so the final rename stays in one folder
    // and on one file system); create it exclusively.
    std::filesystem::path beside(const std::filesystem::path &target);

    // Where the file at original (a path below root) is kept when the run replaces it:
    // root/.tunvale-kept/<token>/<path of original below root>, with ".<attempt>" appended to
    // the file name from attempt 1 on (the same name replaced twice in one run). Empty when
    // original does not lie below root.
    std::filesystem::path keptPath(const std::filesystem::path &root, const std::filesystem::path &original,
                                   unsigned attempt) const;

private:
    std::string m_token;
    std::atomic<unsigned> m_next{0};
};

} // namespace tunvale::formats::io
