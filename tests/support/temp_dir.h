#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::testing {

// A fresh folder below the system temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Writes bytes to a file, creating its parent folders.
void writeFile(const std::filesystem::path &path, std::string_view bytes);
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path &path);
// Every path below root, relative and sorted, folders marked with a trailing '/'.
std::vector<std::string> listTree(const std::filesystem::path &root);
// Runs a shell command, returns its exit status and fills output with its stdout.
int runCommand(const std::string &command, std::string *output = nullptr);
// Quotes text for a POSIX shell command line: 'text', with each ' written as '\''.
std::string shellQuote(std::string_view text);
// True when a program is on PATH (or at an absolute path).
bool haveTool(const std::string &name);

} // namespace tunvale::testing
