#include "engine/undo/created_record.h"

#include "formats/io/work_files.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;
namespace io = formats::io;

namespace {

bool inRealFolder(const fs::path &path)
{
    return !path.empty() && io::entryKind(path.parent_path()) == io::EntryKind::Folder;
}

bool deleteMadeFile(const CreatedRecord &record)
{
    return inRealFolder(record.path) && io::removeIfIdentity(record.path, record.identity);
}

// The original is still the file that was moved aside (a file or a link, by its identity).
bool stillKept(const CreatedRecord &record)
{
    return inRealFolder(record.keptAt) && record.identity.valid && io::identityOf(record.keptAt) == record.identity;
}

void undoKept(const CreatedRecord &record, KeptOriginals kept, RecordsUndone &result)
{
    if (!stillKept(record))
        return;
    if (kept == KeptOriginals::Delete) {
        std::error_code ec;
        if (fs::remove(record.keptAt, ec) && !ec)
            ++result.filesDeleted;
        return;
    }
    if (inRealFolder(record.path) && io::renameNoReplace(record.keptAt, record.path) == 0)
        ++result.originalsRestored;
    else
        result.originalsKept.push_back(record.keptAt);
}

} // namespace

RecordsUndone undoRecords(const std::vector<CreatedRecord> &records,
                          const std::function<bool(const CreatedRecord &)> &wanted, KeptOriginals kept)
{
    RecordsUndone result;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (wanted && !wanted(*it))
            continue;
        if (it->replaced())
            undoKept(*it, kept, result);
        else if (deleteMadeFile(*it))
            ++result.filesDeleted;
    }
    // An original restored after a later one was counted as kept may have found its place
    // free after all: only what is still in the kept folder stays listed.
    std::erase_if(result.originalsKept, [](const fs::path &path) {
        return io::entryKind(path) == io::EntryKind::Missing;
    });
    return result;
}

void removeEmptyKeptFolders(const std::vector<CreatedRecord> &records)
{
    // Deepest first, each folder once.
    std::set<fs::path, std::greater<>> folders;
    for (const CreatedRecord &record : records) {
        if (!record.replaced())
            continue;
        // Only folders up to the kept folder, and only when the original lies below one.
        std::vector<fs::path> chain;
        bool belowKeptFolder = false;
        for (fs::path folder = record.keptAt.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
            chain.push_back(folder);
            if (folder.filename() == fs::path(std::string(io::kKeptFolderName))) {
                belowKeptFolder = true;
                break;
            }
        }
        if (belowKeptFolder)
            folders.insert(chain.begin(), chain.end());
    }
    for (const fs::path &folder : folders) {
        std::error_code ec;
        if (io::entryKind(folder) == io::EntryKind::Folder && fs::is_empty(folder, ec) && !ec)
            fs::remove(folder, ec);
    }
}

} // namespace tunvale::engine
