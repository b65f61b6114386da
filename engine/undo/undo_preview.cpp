#include "engine/undo/undo_preview.h"

#include "engine/undo/created_record.h"
#include "engine/undo/session_undo.h"
#include "engine/undo/undo_paths.h"
#include "formats/io/work_files.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;
namespace io = formats::io;

namespace {

// The two walks played on a picture of the disk: each step asks what the disk holds now, as
// changed by the steps before it, and applies the same tests the walk applies (identities,
// links, folders left empty). Nothing is touched. Cases the picture cannot know in advance
// (a file or folder that cannot be deleted for want of permission) are counted as the walk
// would count them when it succeeds; the final text is always counted from what happened.
class UndoSimulation {
public:
    explicit UndoSimulation(const UndoLists &lists) : m_lists(lists) {}

    UndoTake everything()
    {
        UndoTake take;
        workFiles(take);
        if (m_lists.created != nullptr) {
            const auto inCreatedFolder = [&](const CreatedRecord &record) {
                return insideAny(record.path, m_lists.foldersCreated);
            };
            records(inCreatedFolder, KeptOriginals::Delete, take);
            for (const CreatedRecord &record : *m_lists.created) {
                if (record.replaced() && !inCreatedFolder(record) && record.identity.valid
                    && identityAt(record.keptAt) == record.identity)
                    ++take.originalsKept;
            }
        }
        for (const fs::path &folder : m_lists.foldersCreated) {
            if (!realFolder(folder))
                continue;
            deleteEntries(folder, take);
            removeIfEmpty(folder, take);
        }
        if (m_lists.created != nullptr)
            removeKeptFolders({});
        heads(take);
        return take;
    }

    UndoTake sessionFiles()
    {
        UndoTake take;
        if (m_lists.created != nullptr) {
            records({}, KeptOriginals::PutBack, take);
            removeKeptFolders({});
        }
        workFiles(take);
        for (const fs::path &folder : m_lists.foldersCreated)
            removeIfEmpty(folder, take);
        heads(take);
        return take;
    }

private:
    bool changed(const fs::path &path) const { return m_state.count(path) != 0; }

    // Gone: deleted by an earlier step, or in a folder an earlier step removed.
    bool gone(const fs::path &path) const
    {
        const auto found = m_state.find(path);
        if (found != m_state.end())
            return !found->second.has_value();
        return std::any_of(m_removed.begin(), m_removed.end(), [&](const fs::path &folder) {
            return folder == path || isAbove(folder, path);
        });
    }

    io::FileIdentity identityAt(const fs::path &path) const
    {
        const auto found = m_state.find(path);
        if (found != m_state.end())
            return found->second.value_or(io::FileIdentity{});
        return gone(path) ? io::FileIdentity{} : io::identityOf(path);
    }

    bool present(const fs::path &path) const
    {
        if (changed(path) || gone(path))
            return !gone(path);
        std::error_code ec;
        return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
    }

    bool realFolder(const fs::path &path) const { return !gone(path) && isRealFolder(path); }

    void erase(const fs::path &path) { m_state[path] = std::nullopt; }

    // Nothing left in folder: every entry on the disk is gone, and nothing was put back in it.
    bool emptyFolder(const fs::path &folder) const
    {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (!gone(it->path()))
                return false;
        }
        if (ec)
            return false;
        return std::none_of(m_state.begin(), m_state.end(), [&](const auto &entry) {
            return entry.second.has_value() && entry.first.parent_path() == folder;
        });
    }

    bool removeIfEmpty(const fs::path &folder, UndoTake &take)
    {
        if (!realFolder(folder) || !emptyFolder(folder))
            return false;
        m_removed.push_back(folder);
        ++take.folders;
        return true;
    }

    void heads(UndoTake &take)
    {
        for (auto head = m_lists.mainDirectoryList.rbegin(); head != m_lists.mainDirectoryList.rend(); ++head)
            removeIfEmpty(*head, take);
        removeIfEmpty(m_lists.mainDirectory, take);
    }

    void workFiles(UndoTake &take)
    {
        if (m_lists.workFiles == nullptr)
            return;
        const std::set<fs::path> folders(m_lists.workFiles->folders.begin(), m_lists.workFiles->folders.end());
        for (const fs::path &folder : folders) {
            if (!realFolder(folder))
                continue;
            std::error_code ec;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                if (io::isWorkFileOf(it->path().filename(), m_lists.workFiles->token) && !gone(it->path())
                    && io::entryKind(it->path()) == io::EntryKind::File) {
                    erase(it->path());
                    ++take.files;
                }
            }
        }
    }

    bool inRealFolder(const fs::path &path) const { return !path.empty() && realFolder(path.parent_path()); }

    // The records newest first, as undoRecords takes them back.
    void records(const std::function<bool(const CreatedRecord &)> &wanted, KeptOriginals kept, UndoTake &take)
    {
        std::vector<fs::path> keptAside;
        for (auto it = m_lists.created->rbegin(); it != m_lists.created->rend(); ++it) {
            const CreatedRecord &record = *it;
            if (wanted && !wanted(record))
                continue;
            if (!record.replaced()) {
                if (record.identity.valid && !record.identity.link && inRealFolder(record.path)
                    && identityAt(record.path) == record.identity) {
                    erase(record.path);
                    ++take.files;
                }
                continue;
            }
            const bool stillKept = inRealFolder(record.keptAt) && record.identity.valid
                && identityAt(record.keptAt) == record.identity;
            if (!stillKept)
                continue;
            if (kept == KeptOriginals::Delete) {
                erase(record.keptAt);
                ++take.files;
            } else if (inRealFolder(record.path) && !present(record.path)) {
                erase(record.keptAt);
                m_state[record.path] = record.identity;
                ++take.originalsRestored;
            } else {
                keptAside.push_back(record.keptAt);
            }
        }
        take.originalsKept += static_cast<std::int32_t>(
            std::count_if(keptAside.begin(), keptAside.end(), [&](const fs::path &path) { return present(path); }));
    }

    // The kept folder's folders that the walk removes once they are empty (not counted).
    void removeKeptFolders(const std::function<bool(const CreatedRecord &)> &wanted)
    {
        std::set<fs::path, std::greater<>> folders;
        for (const CreatedRecord &record : *m_lists.created) {
            if (!record.replaced() || (wanted && !wanted(record)))
                continue;
            const fs::path kept = keptFolderOf(record.keptAt);
            if (kept.filename() != fs::path(std::string(io::kKeptFolderName)))
                continue;
            for (fs::path folder = record.keptAt.parent_path();
                 folder != kept.parent_path() && folder.has_relative_path(); folder = folder.parent_path())
                folders.insert(folder);
        }
        for (const fs::path &folder : folders) {
            if (realFolder(folder) && emptyFolder(folder))
                m_removed.push_back(folder);
        }
    }

    // Every entry of a created folder that is not a folder: a file, or a link itself.
    void deleteEntries(const fs::path &folder, UndoTake &take)
    {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path &entry = it->path();
            std::error_code typeError;
            if (gone(entry) || fs::symlink_status(entry, typeError).type() == fs::file_type::directory)
                continue;
            erase(entry);
            ++take.files;
            // The session's own files went with the records: what is left is not its own. Lists
            // without records know the session's files by their paths only.
            if (m_lists.created != nullptr || !isListed(entry))
                ++take.notCreated;
        }
    }

    bool isListed(const fs::path &file) const
    {
        return std::find(m_lists.filesCreated.begin(), m_lists.filesCreated.end(), file) != m_lists.filesCreated.end();
    }

    const UndoLists &m_lists;
    std::map<fs::path, std::optional<io::FileIdentity>> m_state;   // set: put back; empty: deleted
    std::vector<fs::path> m_removed;                                 // folders removed
};

} // namespace

UndoPreview previewUndo(const UndoLists &lists)
{
    UndoPreview preview;
    preview.everything = UndoSimulation(lists).everything();
    preview.sessionFiles = UndoSimulation(lists).sessionFiles();
    return preview;
}

} // namespace tunvale::engine
