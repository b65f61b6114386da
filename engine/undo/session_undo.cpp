#include "engine/undo/session_undo.h"

#include "engine/session/path_text.h"
#include "engine/undo/undo_paths.h"
#include "formats/io/work_files.h"

#include <algorithm>
#include <set>
#include <string>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;
namespace io = formats::io;

namespace {

std::u16string decimal(std::int32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
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

void count(UndoReport &report, const RecordsUndone &undone)
{
    report.filesDeleted += undone.filesDeleted;
    report.originalsRestored += undone.originalsRestored;
    report.originalsKept.insert(report.originalsKept.end(), undone.originalsKept.begin(), undone.originalsKept.end());
    if (undone.filesDeleted > 0 || undone.originalsRestored > 0)
        report.done = true;
}

// Deletes the run's leftover work files (files named with its token) in the folders it wrote in.
void deleteWorkFiles(const UndoLists &lists, UndoReport &report)
{
    if (lists.workFiles == nullptr)
        return;
    const std::set<fs::path> folders(lists.workFiles->folders.begin(), lists.workFiles->folders.end());
    for (const fs::path &folder : folders) {
        if (!isRealFolder(folder))
            continue;
        std::vector<fs::path> leftovers;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (io::isWorkFileOf(it->path().filename(), lists.workFiles->token))
                leftovers.push_back(it->path());
        }
        for (const fs::path &leftover : leftovers) {
            if (io::entryKind(leftover) == io::EntryKind::File && fs::remove(leftover, ec) && !ec) {
                ++report.filesDeleted;
                report.done = true;
            }
        }
    }
}

// Something a run that created no folder can have left: a file made, a file replaced, a work
// file.
bool anyFileToTakeBack(const UndoLists &lists)
{
    return (lists.created != nullptr && !lists.created->empty())
        || (lists.workFiles != nullptr && !lists.workFiles->folders.empty());
}

// The folders made with the main directory to reach it (listed before it): removed deepest
// first once it is gone, each while empty.
void removeCreatedParents(const UndoLists &lists)
{
    for (auto head = lists.mainDirectoryList.rbegin(); head != lists.mainDirectoryList.rend(); ++head) {
        if (isAbove(*head, lists.mainDirectory) && removeEmptyFolder(*head))
            head->clear();
    }
}

// The head folders that are empty, newest first: a destination made with its missing parents
// is listed parents first, and goes deepest first.
void removeHeadFolders(const UndoLists &lists, UndoReport &report)
{
    for (auto head = lists.mainDirectoryList.rbegin(); head != lists.mainDirectoryList.rend(); ++head) {
        if (removeEmptyFolder(*head)) {
            head->clear();
            ++report.foldersRemoved;
            report.done = true;
        }
    }
}

// Every entry of the created folders, then the folders, then the head folders. Files the run
// made or replaced in folders that existed before stay as they are.
void deleteEverything(const UndoLists &lists, UndoReport &report)
{
    deleteWorkFiles(lists, report);
    if (lists.created != nullptr) {
        // In a created folder everything goes, an original the run replaced there too.
        const auto inCreatedFolder = [&](const CreatedRecord &record) {
            return insideAny(record.path, lists.foldersCreated);
        };
        count(report, undoRecords(*lists.created, inCreatedFolder, KeptOriginals::Delete));
        for (const CreatedRecord &record : *lists.created) {
            if (record.replaced() && !inCreatedFolder(record) && record.identity.valid
                && io::identityOf(record.keptAt) == record.identity)
                report.originalsKept.push_back(record.keptAt);
        }
    }
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
    std::erase_if(lists.filesCreated, [&](const fs::path &file) { return insideAny(file, removedFolders); });
    if (lists.created != nullptr) {
        // The kept folder's folders emptied above go first: the records of the removed folders
        // name them.
        removeEmptyKeptFolders(*lists.created);
        std::erase_if(*lists.created,
                      [&](const CreatedRecord &record) { return insideAny(record.path, removedFolders); });
    }
    removeHeadFolders(lists, report);
    if (removeEmptyFolder(lists.mainDirectory)) {
        ++report.foldersRemoved;
        report.done = true;
        lists.mainDirectory.clear();
    }
}

// The created files, then the created folders and head folders that are empty.
void deleteCreatedFiles(const UndoLists &lists, UndoReport &report)
{
    // By identity, newest first: a name the run used twice ends as it was before the run.
    if (lists.created != nullptr) {
        count(report, undoRecords(*lists.created, {}, KeptOriginals::PutBack));
        removeEmptyKeptFolders(*lists.created);
        lists.created->clear();
    }
    lists.filesCreated.clear();
    deleteWorkFiles(lists, report);
    for (fs::path &folder : lists.foldersCreated) {
        if (removeEmptyFolder(folder)) {
            folder.clear();
            ++report.foldersRemoved;
            report.done = true;
        }
    }
    removeHeadFolders(lists, report);
    if (removeEmptyFolder(lists.mainDirectory)) {
        lists.mainDirectory.clear();
        ++report.foldersRemoved;
        report.done = true;
    }
}

void appendLine(std::u16string &message, const std::u16string &line)
{
    if (line.empty())
        return;
    if (!message.empty())
        message += u'\n';
    message += line;
}

// What became of the files the run replaced, when there were any.
std::u16string originalsText(const UndoReport &report)
{
    std::u16string text;
    if (report.originalsRestored > 0)
        text = decimal(report.originalsRestored) + u" replaced files put back...";
    if (!report.originalsKept.empty()) {
        appendLine(text, decimal(static_cast<std::int32_t>(report.originalsKept.size()))
                             + u" replaced files could not be put back; they are kept in \""
                             + pathToUtf16(keptFolderOf(report.originalsKept.front())) + u"\"");
    }
    return text;
}

// What the status line says after an undo that did something: the final text on one line, or
// "Main Directory removed..."; empty when nothing was taken back.
std::u16string statusAfterUndo(const UndoReport &report)
{
    if (!report.done)
        return {};
    std::u16string status =
        report.message.empty() && report.mainDirectoryRemoved ? kMainDirectoryRemoved : report.message;
    std::replace(status.begin(), status.end(), u'\n', u' ');
    return status;
}

} // namespace

UndoReport undoCreated(const UndoLists &lists, UndoQuestions &questions, bool userAborted)
{
    UndoReport report;
    const bool noFolder = lists.foldersCreated.empty() && lists.foldersCreatedInRun == 0;
    if (noFolder && anyFileToTakeBack(lists)) {
        // Files put into folders that all existed (a second run into a sorted library): there
        // is no folder whose every entry could go, only the files.
        const UndoTake files = previewUndo(lists).sessionFiles;
        if (files.any() && questions.deleteSessionFiles(files)) {
            questions.showBusy(true);
            deleteCreatedFiles(lists, report);
            questions.showBusy(false);
        }
    } else if (noFolder) {
        // Nothing but possibly the head folder: removed when it is still empty.
        if (!lists.mainDirectory.empty() && !lists.mainDirectoryList.empty()
            && removeEmptyFolder(lists.mainDirectory)) {
            lists.mainDirectoryList.back().clear();
            removeCreatedParents(lists);
            questions.showMessage(kMainDirectoryRemoved);
            report.done = true;
            report.mainDirectoryRemoved = true;
        }
    } else if (lists.foldersCreated.size() >= lists.foldersCreatedInRun) {
        // Counted before asking, so each question can say what it would take; one that would
        // take nothing (all of it is gone already) is not asked.
        const UndoPreview preview = previewUndo(lists);
        if (preview.everything.any() && questions.deleteEverything(preview.everything)) {
            questions.showBusy(true);
            deleteEverything(lists, report);
            questions.showBusy(false);
        } else if (preview.sessionFiles.any() && questions.deleteSessionFiles(preview.sessionFiles)) {
            questions.showBusy(true);
            deleteCreatedFiles(lists, report);
            questions.showBusy(false);
        }
    }

    const bool nothingDone = !report.done
        || (report.filesDeleted == 0 && report.foldersRemoved == 0 && report.originalsRestored == 0);
    if (!userAborted && nothingDone && !report.mainDirectoryRemoved && report.originalsKept.empty())
        report.message = kNothingToCancel;
    else if (report.foldersRemoved > 0)
        report.message = decimal(report.filesDeleted) + u" files deleted in " + decimal(report.foldersRemoved)
            + u" directories removed...";
    else if (report.filesDeleted > 0)
        report.message = decimal(report.filesDeleted) + u" files deleted...";
    appendLine(report.message, originalsText(report));
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
                          session.mainDirectoryList,       session.filesCreatedInSession,
                          session.mainDirectory,           &session.createdInSession};
    result.undo = undoCreated(lists, questions, session.userAborted != 0);
    // The status line no longer shows what the run copied once the undo has taken it back.
    const std::u16string status = statusAfterUndo(result.undo);
    if (!status.empty()) {
        session.statusText = status;
        organizer.sink().postStatus(output::colour::kLightRed, session.statusText);
    }
    return result;
}

} // namespace tunvale::engine
