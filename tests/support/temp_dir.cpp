#include "support/temp_dir.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tunvale::testing {

TempDir::TempDir()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = fs::temp_directory_path() / ("tunvale-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    std::abort();
}

namespace {

// With TUNVALE_KEEP_AUDIO_FIXTURES set to a folder, every MP3 and FLAC file a test leaves in
// its temporary folder is copied there first (under a numbered name), so the files the tests
// build can be checked again by other tools (valgrind over tunvale-cli inspect).
void keepAudioFixtures(const fs::path &root)
{
    const char *keep = std::getenv("TUNVALE_KEEP_AUDIO_FIXTURES");
    if (!keep || !*keep)
        return;
    static int counter = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if ((extension != ".mp3" && extension != ".flac") || !it->is_regular_file(ec) || it->is_symlink(ec))
            continue;
        const fs::path target = fs::path(keep) / (std::to_string(::getpid()) + "-" + std::to_string(counter++) + extension);
        std::error_code copyError;
        fs::copy_file(it->path(), target, copyError);
    }
}

} // namespace

TempDir::~TempDir()
{
    keepAudioFixtures(m_path);
    std::error_code ec;
    // Read-only files and folders left by a test must not stop the clean-up. Links are left
    // alone: their targets (a system file) are none of the test's business.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(m_path, ec);
}

void writeFile(const fs::path &path, std::string_view bytes)
{
    std::error_code ec;
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::string> listTree(const fs::path &root)
{
    std::vector<std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        auto relative = it->path().lexically_relative(root).generic_string();
        if (it->is_directory())
            relative += '/';
        entries.push_back(relative);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

int runCommand(const std::string &command, std::string *output)
{
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> chunk{};
    std::string collected;
    size_t n = 0;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        collected.append(chunk.data(), n);
    const int status = pclose(pipe);
    if (output)
        *output = collected;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellQuote(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool haveTool(const std::string &name)
{
    return runCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}

} // namespace tunvale::testing
