#include "engine/session_undo.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

std::u16string decimal(std::int32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// A real folder (not a link to one).
bool isRealFolder(const fs::path &path)
{
    std::error_code ec;
    return !path.empty() && fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

// Removes a folder that is empty; a blank entry, a file, a link or a folder with anything in it
// is left alone.
bool removeEmptyFolder(const fs::path &path)
{
    if (!isRealFolder(path))
        return false;
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

// Deletes one directory entry that is not a folder: a file, or a link itself (never its target).
bool deleteEntry(const fs::path &path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || status.type() == fs::file_type::not_found || status.type() == fs::file_type::directory)
        return false;
    return fs::remove(path, ec) && !ec;
}

bool inside(const fs::path &file, const fs::path &folder)
{
    return file.parent_path() == folder;
}

// Every entry of the created folders, then the folders, then the head folders.
void deleteEverything(const UndoLists &lists, UndoReport &report)
{
    std::vector<fs::path> removedFolders;
    for (fs::path &folder : lists.foldersCreated) {
        if (!isRealFolder(folder))
            continue;
        std::vector<fs::path> entries;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            entries.push_back(it->path());
        for (const fs::path &entry : entries) {
            if (deleteEntry(entry)) {
                ++report.filesDeleted;
                report.done = true;
            }
        }
        if (removeEmptyFolder(folder)) {
            ++report.foldersRemoved;
            report.done = true;
            removedFolders.push_back(folder);
            folder.clear();
        }
    }
    // Files that lay in a removed folder are gone; a later undo must not take a file of the
    // same name made afterwards for one of them.
    std::erase_if(lists.filesCreated, [&](const fs::path &file) {
        return std::any_of(removedFolders.begin(), removedFolders.end(),
                           [&](const fs::path &folder) { return inside(file, folder); });
    });
    for (fs::path &head : lists.mainDirectoryList) {
        if (removeEmptyFolder(head)) {
            ++report.foldersRemoved;
            report.done = true;
            head.clear();
        }
    }
    if (removeEmptyFolder(lists.mainDirectory)) {
        ++report.foldersRemoved;
        report.done = true;
        lists.mainDirectory.clear();
    }
}

// The created files, then the created folders and head folders that are empty.
void deleteCreatedFiles(const UndoLists &lists, UndoReport &report)
{
    for (const fs::path &file : lists.filesCreated) {
        if (deleteEntry(file)) {
            ++report.filesDeleted;
            report.done = true;
        }
    }
    lists.filesCreated.clear();
    for (fs::path &folder : lists.foldersCreated) {
        if (removeEmptyFolder(folder)) {
            folder.clear();
            ++report.foldersRemoved;
            report.done = true;
        }
    }
    for (fs::path &head : lists.mainDirectoryList) {
        if (removeEmptyFolder(head)) {
            head.clear();
            ++report.foldersRemoved;
            report.done = true;
        }
    }
    if (removeEmptyFolder(lists.mainDirectory)) {
        lists.mainDirectory.clear();
        ++report.foldersRemoved;
        report.done = true;
    }
}

} // namespace

UndoReport undoCreated(const UndoLists &lists, UndoQuestions &questions, bool userAborted)
{
    UndoReport report;
    if (lists.foldersCreated.empty() && lists.foldersCreatedInRun == 0) {
        // Nothing but possibly the head folder: removed when it is still empty.
        if (!lists.mainDirectory.empty() && !lists.mainDirectoryList.empty()
            && removeEmptyFolder(lists.mainDirectory)) {
            lists.mainDirectoryList.back().clear();
            questions.showMessage(kMainDirectoryRemoved);
            report.done = true;
            report.mainDirectoryRemoved = true;
        }
    } else if (lists.foldersCreated.size() >= lists.foldersCreatedInRun) {
        if (questions.deleteEverything()) {
            questions.showBusy(true);
            deleteEverything(lists, report);
            questions.showBusy(false);
        } else if (questions.deleteSessionFiles()) {
            questions.showBusy(true);
            deleteCreatedFiles(lists, report);
            questions.showBusy(false);
        }
    }

    const bool nothingDone = !report.done || (report.filesDeleted == 0 && report.foldersRemoved == 0);
    if (!userAborted && nothingDone && !report.mainDirectoryRemoved)
        report.message = kNothingToCancel;
    else if (report.foldersRemoved > 0)
        report.message = decimal(report.filesDeleted) + u" files deleted in " + decimal(report.foldersRemoved)
            + u" directories removed...";
    else if (report.filesDeleted > 0)
        report.message = decimal(report.filesDeleted) + u" files deleted...";
    if (!report.message.empty())
        questions.showMessage(report.message);
    return report;
}

CancelResult cancelSession(Organizer &organizer, AbortQuestions &abortQuestions, UndoQuestions &questions,
                           const AbortTiming &timing)
{
    CancelResult result;
    result.abort = abortRun(organizer, abortQuestions, timing);
    if (organizer.isActive()) {
        result.outcome = CancelOutcome::RunActive;
        return result;
    }
    SessionState &session = organizer.session();
    organizer.sink().postStatus(output::colour::kLightRed, u"");
    const UndoLists lists{session.foldersCreatedInSession, session.foldersCreatedInRun.size(),
                          session.mainDirectoryList, session.filesCreatedInSession, session.mainDirectory};
    result.undo = undoCreated(lists, questions, session.userAborted != 0);
    return result;
}

} // namespace tunvale::engine
