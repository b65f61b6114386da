#include "engine/run/organize_command.h"

#include "engine/run/make_folder.h"
#include "engine/threads/manual_reset_event.h"
#include "engine/session/path_text.h"
#include "engine/load/source_scan.h"

#include <system_error>
#include <vector>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

PrepareOutcome refuse(PrepareStatus status, std::u16string message, std::u16string word, std::uint32_t colour,
                      FolderField field, std::uint32_t fieldColour)
{
    PrepareOutcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    outcome.statusWord = std::move(word);
    outcome.statusColour = colour;
    outcome.field = field;
    outcome.fieldColour = fieldColour;
    return outcome;
}

bool isFolder(const fs::path &path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// A refused run leaves no destination it created: each folder the command made to reach it is
// removed while still empty (a real folder, never through a link), deepest first, and
// forgotten by the session. True when all of them are gone.
bool removeCreatedFolders(SessionState &session, const std::vector<fs::path> &made)
{
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        std::error_code ec;
        if (!fs::is_directory(fs::symlink_status(*folder, ec)) || !fs::remove(*folder, ec) || ec)
            return false;
        if (session.mainDirectory == *folder)
            session.mainDirectory.clear();
        if (!session.mainDirectoryList.empty() && session.mainDirectoryList.back() == *folder)
            session.mainDirectoryList.pop_back();
    }
    return true;
}

} // namespace

PrepareOutcome prepareOrganize(SessionState &session, const RunOptions &options, const fs::path &source,
                               const fs::path &destination, ProgressSink &sink, OrganizeQuestions &questions)
{
    using namespace output::colour;
    session.currentSource.clear();
    session.currentDestination.clear();

    if (source.empty())
        return refuse(PrepareStatus::NoSource, u"Please define a valid Source folder", u"Warning", kYellow,
                      FolderField::Source, kYellow);
    // A file is no source folder: it would only be scanned into nothing.
    if (!isFolder(source))
        return refuse(PrepareStatus::SourceMissing, u"Sorry, the source Folder doesn't exist!", u"Warning", kYellow,
                      FolderField::Source, kYellow);
    session.sourceFolder = source;

    if (destination.empty())
        return refuse(PrepareStatus::NoDestination, u"Please define a valid Destination folder", u"Error", kRed,
                      FolderField::Destination, kRed);
    // The source is scanned before the destination is asked for or made: a source without
    // audio is refused without a question, and leaves nothing behind. A destination inside the
    // source is not scanned: a second run would take in the first run's copies, and a run its
    // own.
    session.statusText.clear();
    sink.postStatus(kYellow, session.statusText);
    session.criterionCode = criterionCodeFor(options.tagId);
    session.sourceExtensions = sourceExtensions(options);
    session.sourceFiles.clear();
    session.scanSkipped.clear();
    scanSource(session.sourceFolder, session.sourceExtensions, session.sourceFiles, destination, &session.scanSkipped);
    session.fileCursor = 0;
    if (session.sourceFiles.empty())
        return refuse(PrepareStatus::NoFiles, u"Sorry, found no audio files that could be sorted!", u"Warning", kYellow,
                      FolderField::None, 0);

    std::vector<fs::path> made;   // the folders this command created to reach the destination
    if (!isFolder(destination)) {
        if (!questions.createMissingDestination(destination)) {
            PrepareOutcome declined;
            declined.status = PrepareStatus::DestinationDeclined;
            return declined;
        }
        // With its missing parents; an existing file on the way makes the creation fail. A
        // folder made meanwhile (another run into the same destination) is used, and is not
        // this run's. Each level made is listed, outermost first, so that undo can remove
        // every one of them, deepest first.
        const FolderMade result = makeFolders(destination, made);
        if (result == FolderMade::Failed) {
            removeCreatedFolders(session, made);
            return refuse(PrepareStatus::DestinationNotCreated,
                          u"Sorry. Could not create directory \"" + pathToUtf16(destination) + u"\".", u"Error",
                          kRed, FolderField::Destination, kRed);
        }
        session.mainDirectoryList.insert(session.mainDirectoryList.end(), made.begin(), made.end());
        if (result == FolderMade::Created)
            session.mainDirectory = made.back();
    }
    const bool created = !made.empty();
    session.destinationFolder = destination;

    if (!isFolder(session.destinationFolder)) {
        if (makeFolder(session.destinationFolder) == FolderMade::Failed) {
            PrepareOutcome lost = refuse(PrepareStatus::DestinationLost,
                                         u"Could not create head destination directory \""
                                             + pathToUtf16(session.destinationFolder) + u"\".",
                                         u"Error", kRed, FolderField::Destination, kRed);
            lost.destinationCreated = created;
            return lost;
        }
    }

    const auto count = static_cast<std::int64_t>(session.sourceFiles.size());
    session.progressPosition = 1;
    session.progressRange = count > INT32_MAX / 8 ? INT32_MAX : static_cast<std::int32_t>(8 * count);
    sink.postProgress(session.progressPosition, session.progressRange);

    session.statusText = u"PLease Wait...";
    sink.postStatus(kLightGreen, session.statusText);
    sleepFor(std::chrono::milliseconds(10));

    PrepareOutcome ready;
    ready.destinationCreated = created;
    return ready;
}

} // namespace tunvale::engine
