#include "engine/load/source_scan.h"

#include "engine/session/path_text.h"
#include "engine/session/run_report.h"
#include "formats/io/work_files.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

char asciiLowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct Entry {
    std::string name;   // the entry's name as bytes (UTF-8 on POSIX), for ordering
    fs::path path;
    bool directory = false;
};

// One folder being walked: its sorted entries and the next one to visit.
struct Frame {
    std::vector<Entry> entries;
    std::size_t next = 0;
};

Frame readFolder(const fs::path &folder, std::vector<SkippedFile> *skipped)
{
    Frame frame;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        if (skipped != nullptr)
            skipped->push_back(folderSkip(folder, ec));
        return frame;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            if (skipped != nullptr)
                skipped->push_back(folderSkip(folder, ec));
            break;
        }
        Entry entry;
        entry.path = it->path();
        entry.name = pathToUtf8(entry.path.filename());
        // The kept originals and work files of runs into this tree are never sources.
        if (entry.name == "." || entry.name == ".." || formats::io::isProgramName(entry.path.filename()))
            continue;
        std::error_code typeError;
        entry.directory = it->is_directory(typeError);   // follows links, like a folder enumeration
        frame.entries.push_back(std::move(entry));
        if (ec)
            break;
    }
    std::sort(frame.entries.begin(), frame.entries.end(),
              [](const Entry &a, const Entry &b) { return scanOrderLess(a.name, b.name); });
    return frame;
}

// The folder's identity: its canonical path, or none when it cannot be resolved.
bool canonicalOf(const fs::path &folder, fs::path &canonical)
{
    std::error_code ec;
    canonical = fs::canonical(folder, ec);
    return !ec;
}

bool matchesExtension(const fs::path &file, const std::vector<std::u16string> &extensions)
{
    const std::u16string extension = findExtension(file);
    if (extension.empty())
        return false;
    for (const std::u16string &wanted : extensions) {
        if (equalsIgnoringAsciiCase(extension, wanted))
            return true;
    }
    return false;
}

} // namespace

bool scanOrderLess(const std::string &a, const std::string &b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto l = static_cast<unsigned char>(asciiLowerByte(a[i]));
        const auto r = static_cast<unsigned char>(asciiLowerByte(b[i]));
        if (l != r)
            return l < r;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

void scanSource(const fs::path &folder, const std::vector<std::string> &extensions, std::vector<fs::path> &files,
                const fs::path &leaveOut, std::vector<SkippedFile> *skipped)
{
    if (extensions.empty())
        return;
    std::vector<std::u16string> wanted;
    for (const std::string &extension : extensions)
        wanted.emplace_back(extension.begin(), extension.end());

    std::set<fs::path> visited;
    fs::path identity;
    if (canonicalOf(folder, identity))
        visited.insert(identity);
    // Counted as visited, so it is never entered; the scanned folder itself is never left out.
    if (!leaveOut.empty() && canonicalOf(leaveOut, identity))
        visited.insert(identity);

    // Depth first with an explicit stack, so a deep tree cannot exhaust the thread's stack.
    std::vector<Frame> stack;
    stack.push_back(readFolder(folder, skipped));
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next >= frame.entries.size()) {
            stack.pop_back();
            continue;
        }
        const Entry entry = frame.entries[frame.next++];
        if (entry.directory) {
            std::error_code error;
            identity = fs::canonical(entry.path, error);
            if (error) {
                if (skipped != nullptr)
                    skipped->push_back(folderSkip(entry.path, error));
                continue;
            }
            if (!visited.insert(identity).second)
                continue;
            stack.push_back(readFolder(entry.path, skipped));   // invalidates frame
            continue;
        }
        if (matchesExtension(entry.path, wanted))
            files.push_back(entry.path);
        else if (skipped != nullptr && isUnhandledAudio(entry.path))
            skipped->push_back(notHandledSkip(entry.path));
    }
}

} // namespace tunvale::engine
