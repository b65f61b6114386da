#pragma once

#include "engine/session/progress_sink.h"
#include "engine/session/run_options.h"
#include "engine/session/session_state.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tunvale::engine {

// The questions the Organize command may ask the user.
class OrganizeQuestions {
public:
    virtual ~OrganizeQuestions() = default;
    // "This destination Folder doesn't exist.\r\nDo you want to create it ?"; true for Yes.
    virtual bool createMissingDestination(const std::filesystem::path &destination) = 0;
};

enum class PrepareStatus {
    Ready,                    // the session holds the file list; start the worker
    NoSource,                 // "Please define a valid Source folder"
    SourceMissing,            // "Sorry, the source Folder doesn't exist!"
    NoDestination,            // "Please define a valid Destination folder"
    DestinationDeclined,      // the user would not have the destination created
    DestinationNotCreated,    // "Sorry. Could not create directory \"%s\"."
    NoFiles,                  // "Sorry, found no audio files that could be sorted!"
    DestinationLost,          // "Could not create head destination directory \"%s\"."
};

// Which folder field a refusal concerns.
enum class FolderField { None, Source, Destination };

// What the Organize command decided, for the front end to show: on a refusal, the status box
// word and colour, the folder field to recolour and the message (empty when none is shown).
struct PrepareOutcome {
    PrepareStatus status = PrepareStatus::Ready;
    std::u16string message;
    std::u16string statusWord;          // "Warning" or "Error"
    std::uint32_t statusColour = 0;
    FolderField field = FolderField::None;
    std::uint32_t fieldColour = 0;
    // The command created the destination folder (or a missing parent of it), still there.
    bool destinationCreated = false;
};

// The Organize command's checks and preparation before a run: validates the two folders,
// derives the criterion code, builds the extension list and scans the source into the
// session's file list, then creates a missing destination with its missing parents when the
// user agrees (each folder made listed in the session's main-directory list, outermost first;
// a source without audio is refused before the question), and sets the progress figures
// (range 8 x files, position 1, posted at once). On Ready the status box shows "PLease
// Wait..." and the front end starts the worker, whose run starts with a catalog of its own. A
// refusal after the destination was created removes what was made again while it is empty.
// The options are those the front end has just read again from its store.
PrepareOutcome prepareOrganize(SessionState &session, const RunOptions &options, const std::filesystem::path &source,
                               const std::filesystem::path &destination, ProgressSink &sink,
                               OrganizeQuestions &questions);

} // namespace tunvale::engine
