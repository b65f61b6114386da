#include "engine/organize_command.h"

#include "engine/make_folder.h"
#include "engine/manual_reset_event.h"
#include "engine/path_text.h"
#include "engine/source_scan.h"

#include <system_error>

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

// A refused run leaves no destination it created: removed while still empty (a real folder,
// never through a link), and forgotten by the session. True when it is gone.
bool removeCreatedDestination(SessionState &session, const fs::path &destination)
{
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(destination, ec)) || !fs::remove(destination, ec) || ec)
        return false;
    if (session.mainDirectory == destination)
        session.mainDirectory.clear();
    if (!session.mainDirectoryList.empty() && session.mainDirectoryList.back() == destination)
        session.mainDirectoryList.pop_back();
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
    bool created = false;
    if (!isFolder(destination)) {
        if (!questions.createMissingDestination(destination)) {
            PrepareOutcome declined;
            declined.status = PrepareStatus::DestinationDeclined;
            return declined;
        }
        // One level only; an existing file of that name makes the creation fail too. A folder
        // made meanwhile (another run into the same destination) is used, and is not this run's.
        const FolderMade made = makeFolder(destination);
        if (made == FolderMade::Failed)
            return refuse(PrepareStatus::DestinationNotCreated,
                          u"Sorry. Could not create directory \"" + pathToUtf16(destination) + u"\".", u"Error",
                          kRed, FolderField::Destination, kRed);
        if (made == FolderMade::Created) {
            created = true;
            session.mainDirectory = destination;
            session.mainDirectoryList.push_back(destination);
        }
    }
    session.destinationFolder = destination;
    session.statusText.clear();
    sink.postStatus(kYellow, session.statusText);

    session.criterionCode = criterionCodeFor(options.tagId);

    session.sourceExtensions = sourceExtensions(options);
    session.sourceFiles.clear();
    // A destination inside the source is not scanned: a second run would take in the first
    // run's copies, and a run its own.
    scanSource(session.sourceFolder, session.sourceExtensions, session.sourceFiles, session.destinationFolder);
    session.fileCursor = 0;

    if (session.sourceFiles.empty()) {
        PrepareOutcome none = refuse(PrepareStatus::NoFiles, u"Sorry, found no audio files that could be sorted!",
                                     u"Warning", kYellow, FolderField::None, 0);
        none.destinationCreated = created && !removeCreatedDestination(session, destination);
        return none;
    }

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
