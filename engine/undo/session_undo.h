#pragma once

#include "engine/run/abort_command.h"
#include "engine/undo/created_record.h"
#include "engine/undo/undo_preview.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::engine {

// The questions and the message box of Cancel; the dialog shows message boxes, the command line
// answers from its arguments, tests from a script. Each question comes with what a Yes would
// take back, and is asked only when that is something.
class UndoQuestions {
public:
    virtual ~UndoQuestions() = default;
    // "Do you want to delete everything?" (Yes, No); true for Yes.
    virtual bool deleteEverything(const UndoTake &take) = 0;
    // "Do you want to delete the files created during this session?" (Yes, No); true for Yes.
    virtual bool deleteSessionFiles(const UndoTake &take) = 0;
    // A message box: "Main Directory removed..." or the final count.
    virtual void showMessage(const std::u16string &text) = 0;
    // The wait cursor, shown while files are deleted.
    virtual void showBusy(bool busy) { (void)busy; }
};

inline constexpr char16_t kAskDeleteEverything[] = u"Do you want to delete everything?";
inline constexpr char16_t kAskDeleteSessionFiles[] = u"Do you want to delete the files created during this session?";
inline constexpr char16_t kNothingToCancel[] = u"Nothing to cancel!";
inline constexpr char16_t kMainDirectoryRemoved[] = u"Main Directory removed...";

// The leftover work files of a run: those named with its token, in the folders it wrote in.
struct WorkFileSweep {
    std::string token;
    std::vector<std::filesystem::path> folders;
};

// What an undo walks: the lists of what was created, which it blanks or empties as it goes.
struct UndoLists {
    std::vector<std::filesystem::path> &foldersCreated;    // in the session (or the run)
    std::size_t foldersCreatedInRun;                        // only its count is read
    // Head folders the front end created, in the order it created them: a destination made
    // with its missing parents lists the parents first.
    std::vector<std::filesystem::path> &mainDirectoryList;
    std::vector<std::filesystem::path> &filesCreated;       // paths only: never deleted by name
    std::filesystem::path &mainDirectory;                   // the current head folder created, or empty
    // The files made and replaced, with their identities: the only ground on which a file is
    // deleted or an original put back. Without it no file of the list is deleted.
    std::vector<CreatedRecord> *created = nullptr;
    const WorkFileSweep *workFiles = nullptr;               // a killed run's work files, or none
};

struct UndoReport {
    std::int32_t filesDeleted = 0;
    std::int32_t foldersRemoved = 0;
    std::int32_t originalsRestored = 0;            // replaced files put back in their place
    std::vector<std::filesystem::path> originalsKept;   // replaced files left in the kept folder
    bool done = false;
    bool mainDirectoryRemoved = false;   // the short path: "Main Directory removed..." was shown
    std::u16string message;              // the final text shown, empty when none
};

// The undo of Cancel over lists (everything after the abort command): asks its questions,
// deletes either every entry of the created folders and then the folders, or only the created
// files and then the folders when empty, then the head folders when empty, and shows the final
// text. A question whose Yes would take nothing back is not asked (when nothing is left of
// what the session made, the text is "Nothing to cancel!"). Head folders are removed newest
// first, so a destination created with its missing parents goes deepest first. A file is
// deleted only while it is still the file that was made (its identity), and a file a run
// replaced is put back in its place; a run that created no folder is asked only about its
// files. userAborted is the session's flag as the abort command left it. Nothing is
// followed through a link: a created folder that is now a link is not entered, a link inside
// one is removed itself, and sub-folders are never entered. A removed folder's entry is
// blanked, and the files that lay in it leave the lists, so a later undo can never reach a
// folder or file of the same name made afterwards.
UndoReport undoCreated(const UndoLists &lists, UndoQuestions &questions, bool userAborted);

enum class CancelOutcome {
    Undone,      // the abort command stopped any run, then the undo ran
    RunActive,   // the user would not abort the running worker: nothing was touched
};

struct CancelResult {
    CancelOutcome outcome = CancelOutcome::Undone;
    AbortResult abort;
    UndoReport undo;
};

// Cancel: the abort command, then the undo of the session's lists; the status line then tells
// what the undo did (the final count). While a run goes on (No to the abort question) the lists
// are still being written, so Cancel is refused and does nothing.
CancelResult cancelSession(Organizer &organizer, AbortQuestions &abortQuestions, UndoQuestions &questions,
                           const AbortTiming &timing = {});

} // namespace tunvale::engine
