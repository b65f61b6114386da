#pragma once

#include "engine/undo/created_record.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::engine {

// The two run flags the worker clears at its start and the summary reads. Atomic because
// the front end's give-up path may set aborted while a stuck worker is still alive.
struct RunFlags {
    std::atomic<std::int32_t> aborted{0};   // the run stopped on an abort request or was given up
    std::atomic<std::int32_t> error{0};     // a file or folder failed and a message was shown
};

// Why a source file or folder was not taken, in the words of the run's report.
enum class SkipKind {
    Unreadable,         // the file could not be opened or read
    NotAudio,           // its bytes are not of the format its name says (or it is empty)
    Damaged,            // a tag or another structure of the file is damaged or cut short
    NotHandled,         // an audio format the program does not read (or a variant of one)
    FolderNotReadable,  // a folder of the source could not be listed
    PathTooLong,        // the path is longer than the system takes
    NoName,             // no file name could be built from its tags
};

// A source file (or folder) the run did not take, and why ("not a regular file").
struct SkippedFile {
    std::filesystem::path path;
    std::string reason;   // UTF-8
    SkipKind kind = SkipKind::Unreadable;
};

// A file the placement phase did not place: its placement failed (destination: the name it
// was to take), or it was left after a failure in its folder (no destination).
struct FailedFile {
    std::filesystem::path source;
    std::filesystem::path destination;
    std::string message;   // UTF-8
};

// What one front-end session knows about its runs. While a run is active the worker is the
// only writer of the counters, progress figures, current paths, status text, group buffer and
// created lists; the front end reads them only after the run has ended.
struct SessionState {
    // Members of the group being placed, filled by the grouping (no 16-bit cap).
    std::vector<std::size_t> groupMembers;
    std::size_t groupMemberCount = 0;

    std::filesystem::path sourceFolder;
    std::filesystem::path destinationFolder;
    std::u16string miscellaneousFolderName = u"Miscellaneous";

    // Set by the worker whenever a run reaches its end; never cleared afterwards.
    std::int32_t runCompleted = 0;

    // Counters of the current run.
    std::int32_t filesLoaded = 0;          // files whose tags entered the catalog
    std::int32_t foldersUsed = 0;          // group folders used, plus one for Miscellaneous
    std::int32_t filesCopied = 0;          // files placed successfully
    std::int32_t miscellaneousFiles = 0;   // files placed in Miscellaneous (placement numbers them)

    std::int32_t criterionCode = 0;

    // Progress bar figures: 32-bit, no 16-bit wrap.
    std::int32_t progressRange = 0;
    std::int32_t progressPosition = 0;

    std::int32_t userAborted = 0;   // set by the abort command, cleared at worker start and run end
    std::int32_t summaryShown = 0;

    std::filesystem::path currentSource;        // the file being placed
    std::filesystem::path currentDestination;   // its full target; placement may change it

    std::vector<std::filesystem::path> foldersCreatedInRun;
    std::vector<std::filesystem::path> foldersCreatedInSession;
    std::vector<std::filesystem::path> mainDirectoryList;
    std::vector<std::filesystem::path> filesCreatedInSession;
    // What undo may take back, in the order it happened: each file placement made (known by
    // its identity, also when its tags could not be rewritten) and each file it replaced.
    std::vector<CreatedRecord> createdInSession;

    std::vector<std::string> sourceExtensions;          // with the leading dot, in scan order
    std::vector<std::filesystem::path> sourceFiles;     // the scan's result, in loading order
    std::size_t fileCursor = 0;                         // next path of sourceFiles to load
    std::vector<SkippedFile> skippedFiles;              // files a loader refused in the current run
    std::vector<SkippedFile> scanSkipped;               // what the scan left out (unreadable folders ...)
    std::vector<FailedFile> failedFiles;                // placements of the current run that failed

    // The head destination folder the Organize command created in this session, or empty.
    std::filesystem::path mainDirectory;

    // The status text of the last notice; the notices also carry a copy of it.
    std::u16string statusText;

    RunFlags flags;
};

} // namespace tunvale::engine
