#include "engine/undo/journal_paths.h"

#include "engine/session/path_text.h"
#include "formats/io/work_files.h"

namespace tunvale::engine {

namespace fs = std::filesystem;
namespace io = formats::io;

namespace {

// Absolute, lexically normal, without "." or ".." and without a trailing separator.
bool isNormalAbsolute(const fs::path &path)
{
    if (path.empty() || !path.is_absolute() || !path.has_relative_path() || path.lexically_normal() != path)
        return false;
    if (!path.has_filename())
        return false;
    for (const fs::path &part : path) {
        if (part == "." || part == "..")
            return false;
    }
    return true;
}

// Strictly below root: root, then at least one more component.
bool strictlyBelow(const fs::path &path, const fs::path &root)
{
    if (!isNormalAbsolute(path))
        return false;
    auto part = path.begin();
    for (auto rootPart = root.begin(); rootPart != root.end(); ++rootPart, ++part) {
        if (part == path.end() || *part != *rootPart)
            return false;
    }
    return part != path.end();
}

bool refuse(std::string &error, const char *what, const fs::path &path)
{
    error = std::string(what) + " \"" + pathToUtf8(path) + "\" does not lie where a run into its destination writes";
    return false;
}

} // namespace

bool checkJournalPaths(const JournalRecord &record, std::string &error)
{
    const fs::path &root = record.destination;
    if (!isNormalAbsolute(root)) {
        error = "the destination \"" + pathToUtf8(root) + "\" is not an absolute, normal path";
        return false;
    }
    if (!record.mainDirectory.empty() && record.mainDirectory != root)
        return refuse(error, "the main directory", record.mainDirectory);
    // The folders made on the way to the destination: a chain of parents ending at it.
    for (std::size_t i = 0; i < record.mainDirectories.size(); ++i) {
        const fs::path &folder = record.mainDirectories[i];
        const fs::path &next = i + 1 < record.mainDirectories.size() ? record.mainDirectories[i + 1] : fs::path();
        const bool chained = next.empty() ? folder == root : next.parent_path() == folder;
        if (!isNormalAbsolute(folder) || !chained)
            return refuse(error, "the main directory", folder);
    }
    for (const fs::path &folder : record.folders) {
        if (!isNormalAbsolute(folder) || folder.parent_path() != root)
            return refuse(error, "the folder", folder);
    }
    const fs::path kept = io::keptFolder(root);
    for (const auto *list : {&record.files, &record.pending}) {
        for (const fs::path &file : *list) {
            if (!strictlyBelow(file, root) || strictlyBelow(file, kept))
                return refuse(error, "the file", file);
        }
    }
    for (const CreatedRecord &created : record.created) {
        if (!strictlyBelow(created.path, root) || strictlyBelow(created.path, kept))
            return refuse(error, "the file", created.path);
        if (created.replaced() && !strictlyBelow(created.keptAt, kept))
            return refuse(error, "the kept file", created.keptAt);
    }
    return true;
}

} // namespace tunvale::engine
