#include "engine/organize_worker.h"

#include "catalog/records/catalog.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "engine/make_folder.h"
#include "engine/path_text.h"
#include "engine/group_layout.h"
#include "engine/run_report.h"
#include "output/place_file.h"
#include "output/system_error.h"

#include <algorithm>
#include <exception>
#include <string>
#include <system_error>
#include <type_traits>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

std::u16string quoted(const fs::path &path) { return u"\"" + pathToUtf16(path) + u"\""; }

std::u16string decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Thrown inside the worker when it finds the run given up: it unwinds without writing.
struct GivenUp {};

// Hears what one placement makes and moves aside: passes it on to the run's observer at once
// (a journal has it before it happens) and keeps it for the session.
class PlacementLog final : public output::PlacementRecorder {
public:
    explicit PlacementLog(RunObserver *observer) : m_observer(observer) {}

    void publishing(const fs::path &path, const formats::io::FileIdentity &identity) override
    {
        if (m_observer)
            m_observer->filePublishing(path, identity);
    }
    void keeping(const fs::path &original, const formats::io::FileIdentity &identity, const fs::path &kept) override
    {
        if (m_observer)
            m_observer->fileKept(original, identity, kept);
        records.push_back(CreatedRecord{original, identity, kept});
    }

    // The records of this placement: the files moved aside, then the file it made (identity
    // from placement, or taken now from a placement that did not give it).
    std::vector<CreatedRecord> finish(const output::PlacementContext &placement, int result)
    {
        formats::io::FileIdentity identity = placement.placedIdentity;
        if (!identity.valid && result == 0)
            identity = formats::io::identityOf(placement.destinationPath);
        if (identity.valid)
            records.push_back(CreatedRecord{placement.destinationPath, identity, {}});
        return std::move(records);
    }

    std::vector<CreatedRecord> records;

private:
    RunObserver *m_observer;
};

// The steps of one run; the members are the worker's own state for that run.
class Worker {
public:
    explicit Worker(OrganizeRun &run)
        : m_run(run)
        , m_session(run.session)
        , m_options(run.options)
        , m_sink(run.sink)
        , m_hooks(run.hooks)
        , m_control(run.control)
        , m_catalog(run.catalog)
    {
    }

    void run()
    {
        m_lease = std::unique_lock(m_control.lease);
        if (m_control.giveUp.load())
            throw GivenUp{};
        start();
        if (load()) {
            rescaleProgress();
            place();
        }
        end();
    }

    // The run could not go on (an unexpected exception): report it like any other failure,
    // unless the run was given up meanwhile.
    void fail(const std::u16string &message)
    {
        try {
            if (!m_lease.owns_lock())
                m_lease = std::unique_lock(m_control.lease);
            if (m_control.giveUp.load())
                return;
            reportFailure(message);
            end();
        } catch (const GivenUp &) {
        }
    }

private:
    // Runs f without the lease (a call that may take long), then takes the lease back; throws
    // GivenUp when the run was given up meanwhile, so nothing more is written.
    template <class F>
    auto unleased(F &&f) -> decltype(f())
    {
        m_lease.unlock();
        if constexpr (std::is_void_v<decltype(f())>) {
            try {
                f();
            } catch (...) {
                m_lease.lock();
                throw;
            }
            relock();
        } else {
            auto result = [&] {
                try {
                    return f();
                } catch (...) {
                    m_lease.lock();
                    throw;
                }
            }();
            relock();
            return result;
        }
    }

    void relock()
    {
        m_lease.lock();
        if (m_control.giveUp.load())
            throw GivenUp{};
    }

    bool abortRequested()
    {
        if (!m_control.abort.isSet())
            return false;
        m_session.flags.aborted = 1;
        return true;
    }

    void postStatus(std::uint32_t colour, std::u16string text)
    {
        m_session.statusText = std::move(text);
        m_sink.postStatus(colour, m_session.statusText);
    }

    void advanceProgress()
    {
        m_sink.postProgress(m_session.progressPosition, 0);
        ++m_session.progressPosition;
    }

    void reportFailure(const std::u16string &message)
    {
        postStatus(output::colour::kRed, u"Error");
        // Shown without the lease (the user may take a while), through the gate the give-up
        // path waits on, so no message appears once the run has been given up.
        unleased([&] {
            if (m_control.giveUp.load())
                return;
            std::lock_guard gate(m_control.statusGate);
            if (!m_control.giveUp.load())
                m_sink.showMessage(message);
        });
        m_session.flags.error = 1;
    }

    void start()
    {
        m_session.statusText.clear();
        m_session.flags.aborted = 0;
        m_session.flags.error = 0;
        m_session.filesLoaded = 0;
        m_session.foldersUsed = 0;
        m_session.filesCopied = 0;
        m_session.miscellaneousFiles = 0;
        m_session.skippedFiles.clear();
        m_session.failedFiles.clear();
    }

    // Loading phase; false when an abort request ended it.
    bool load()
    {
        const catalog::LoadOptions loadOptions = m_options.loadOptions();
        const std::size_t count = m_session.sourceFiles.size();
        for (std::size_t n = 0; n < count; ++n) {
            if (abortRequested())
                return false;
            advanceProgress();
            if (m_session.fileCursor >= m_session.sourceFiles.size())
                break;
            const fs::path path = m_session.sourceFiles[m_session.fileCursor++];
            const std::u16string extension = findExtension(path);
            postStatus(output::colour::kLightGreen, u"Loading: " + fileNameText(path));
            unleased([&] { sleepFor(m_run.pauses.afterLoadingNotice); });
            for (const LoaderEntry &loader : m_hooks.loaders) {
                if (!loader.load || loader.format == nullptr || !formatEnabled(m_options, *loader.format))
                    continue;
                if (!equalsIgnoringAsciiCase(extension, loader.extension))
                    continue;
                const int criterionCode = m_session.criterionCode;
                const formats::ReadResult status =
                    unleased([&] { return loader.load(path, criterionCode, loadOptions, m_catalog); });
                if (status.ok())
                    ++m_filesLoaded;
                else
                    m_session.skippedFiles.push_back(readSkip(path, status));
            }
        }
        return true;
    }

    void rescaleProgress()
    {
        const double p = m_session.progressPosition;
        const double r = m_session.progressRange;
        const double t = p + m_filesLoaded;
        m_session.progressRange = static_cast<std::int32_t>(t * 0.61);
        // A run started without a range (no bar set up) keeps the bar at its start.
        m_session.progressPosition = r > 0 ? static_cast<std::int32_t>(t / r * p) : 0;
        m_sink.postProgress(m_session.progressPosition, m_session.progressRange);
        m_session.filesLoaded = m_filesLoaded;
        m_session.foldersCreatedInRun.clear();
        postStatus(output::colour::kLightBlue, u"");
    }

    // Placement phase: one group per first entry that is not yet placed.
    void place()
    {
        // A loader that reported success without appending an entry must not make the first entries
        // run past the catalog.
        const std::size_t loaded = std::min<std::size_t>(static_cast<std::size_t>(m_filesLoaded), m_catalog.size());
        const int criterionCode = m_session.criterionCode;
        std::unique_ptr<GroupSource> groups = unleased([&] {
            return m_hooks.grouping ? m_hooks.grouping(m_catalog, criterionCode, m_options.acceptSimilitudes != 0)
                                    : exactNameGrouping(m_catalog, criterionCode, m_options.acceptSimilitudes != 0);
        });
        if (!groups)
            groups = exactNameGrouping(m_catalog, m_session.criterionCode, m_options.acceptSimilitudes != 0);
        // Known by identity once, before the first file is written: placement never writes
        // over a file the run reads.
        const std::vector<fs::path> sourceFiles = m_session.sourceFiles;
        m_runSources = unleased([&] { return output::RunSources(sourceFiles); });

        for (std::size_t first = 0; first < static_cast<std::size_t>(m_filesLoaded); ++first) {
            if (abortRequested())
                return;
            if (first >= loaded)
                continue;
            // Filled without the lease into the worker's own buffer, then handed to the session.
            const std::size_t memberCount = unleased([&] { return groups->members(first, loaded, m_members); });
            m_session.groupMembers = m_members;
            m_session.groupMemberCount = memberCount;
            if (m_session.groupMemberCount == 0)
                continue;
            const std::u16string groupName = m_catalog.at(first).GroupName;
            if (m_session.destinationFolder.empty())
                continue;
            switch (placeGroup(groupName)) {
            case GroupResult::Next: break;
            case GroupResult::Aborted: return;
            case GroupResult::FolderFailed: noteRunStopped(loaded); return;
            }
        }
    }

    enum class GroupResult { Next, Aborted, FolderFailed };

    GroupResult placeGroup(const std::u16string &groupName)
    {
        const bool newNames = m_options.newFileNames != 0;
        const output::PlacementOptions placementOptions = m_options.placementOptions();
        GroupSetting setting{m_session.destinationFolder, m_session.miscellaneousFolderName,
                             m_session.criterionCode, m_filesLoaded};
        const GroupLayout layout = layoutGroup(m_catalog, m_session.groupMembers, m_session.groupMemberCount,
                                               groupName, m_options, m_hooks, setting);
        const std::vector<fs::path> &sources = layout.sources;
        const std::vector<std::u16string> &names = layout.names;
        if (sources.empty())
            return GroupResult::Next;
        const fs::path groupFolder = layout.folder;
        if (layout.miscellaneous)
            m_miscellaneousUsed = true;
        else
            ++m_session.foldersUsed;

        // A folder that exists, or that another run makes meanwhile, is used and is not this
        // run's to record.
        const FolderMade folderMade = unleased([&] { return makeFolder(groupFolder); });
        if (folderMade == FolderMade::Failed) {
            reportFailure(folderFailureMessage(groupFolder));
            noteNotPlaced(sources, 0, folderFailureMessage(groupFolder));
            return GroupResult::FolderFailed;
        }
        if (folderMade == FolderMade::Created) {
            m_session.foldersCreatedInRun.push_back(groupFolder);
            m_session.foldersCreatedInSession.push_back(groupFolder);
            if (m_hooks.observer)
                m_hooks.observer->folderCreated(groupFolder);
        }

        const int count = static_cast<int>(sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (abortRequested())
                return GroupResult::Aborted;
            advanceProgress();
            m_session.currentSource = sources.at(i);
            if (newNames && names[i].empty()) {
                m_session.skippedFiles.push_back(noNameSkip(sources.at(i)));
                continue;
            }
            m_session.currentDestination = layoutDestination(layout, i);

            output::PlacementContext placement;
            placement.options = placementOptions;
            placement.sourcePath = m_session.currentSource;
            placement.destinationPath = m_session.currentDestination;
            // Nothing may be written outside the destination folder, whatever the tags say.
            placement.destinationRoot = m_session.destinationFolder;
            // Placement runs without the lease: it counts into a copy of the counter and
            // reports through a gate that drops its status lines once the run is given up.
            std::int32_t miscellaneousFiles = m_session.miscellaneousFiles;
            placement.miscellaneousFiles = &miscellaneousFiles;
            placement.catalog = &m_catalog;
            GatedStatus status(m_control, m_sink);
            placement.status = &status;
            placement.cancel = &m_control.giveUp;
            placement.runSources = &m_runSources;
            placement.workNames = &m_run.workNames;
            PlacementLog log(m_hooks.observer);
            placement.recorder = &log;
            const int index = static_cast<int>(i) + 1;
            if (m_hooks.observer)
                m_hooks.observer->fileStarting(placement.destinationPath, placementOptions);
            m_lease.unlock();
            int result = 0;
            try {
                result = m_hooks.placeFile ? m_hooks.placeFile(index, count, placement)
                                           : output::PlaceFile(index, count, placement);
            } catch (...) {
                m_lease.lock();
                throw;
            }
            m_lease.lock();
            std::vector<CreatedRecord> made = log.finish(placement, result);
            if (m_control.giveUp.load()) {
                // The run was given up while this file was written: nothing will record it,
                // so a copy finished meanwhile is taken back and a file it replaced put back.
                undoRecords(made, {}, KeptOriginals::PutBack);
                throw GivenUp{};
            }
            m_session.createdInSession.insert(m_session.createdInSession.end(), made.begin(), made.end());
            m_session.miscellaneousFiles = miscellaneousFiles;
            m_session.currentDestination = placement.destinationPath;
            if (result == 0) {
                m_session.filesCreatedInSession.push_back(m_session.currentDestination);
                ++m_session.filesCopied;
                if (m_hooks.observer)
                    m_hooks.observer->fileCreated(m_session.currentDestination);
                continue;
            }
            if (placement.failure.writtenWithoutTags) {
                // The file is there, only its tags failed: it is the run's, and undo takes it
                // back like the others. It is not counted as copied.
                m_session.filesCreatedInSession.push_back(m_session.currentDestination);
                if (m_hooks.observer)
                    m_hooks.observer->fileCreated(m_session.currentDestination);
            }
            const std::u16string message = placeFailureMessage(result, m_session.currentSource,
                                                               m_session.currentDestination, &placement.failure);
            m_session.failedFiles.push_back(
                FailedFile{m_session.currentSource, m_session.currentDestination, text::utf16ToUtf8(message)});
            noteNotPlaced(sources, i + 1, groupStoppedMessage());
            reportFailure(message);
            unleased([&] { sleepFor(m_run.pauses.afterFailure); });
            return GroupResult::Next;
        }
        return GroupResult::Next;
    }

    // The files of a group from first on that the run leaves, after a failure in their folder.
    void noteNotPlaced(const std::vector<fs::path> &sources, std::size_t first, const std::u16string &message)
    {
        for (std::size_t i = first; i < sources.size(); ++i)
            m_session.failedFiles.push_back(FailedFile{sources[i], {}, text::utf16ToUtf8(message)});
    }

    // Every file not placed yet, after a failure that ends the placement phase.
    void noteRunStopped(std::size_t loaded)
    {
        const std::string message = text::utf16ToUtf8(runStoppedMessage());
        for (std::size_t i = 0; i < loaded; ++i) {
            if (!m_catalog.at(i).Placed)
                m_session.failedFiles.push_back(FailedFile{m_catalog.at(i).Path, {}, message});
        }
    }

    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        // Counted however the run ended: files placed there before an abort are in that folder.
        if (m_miscellaneousUsed)
            ++m_session.foldersUsed;
        m_session.runCompleted = 1;
        m_control.finished.set();
        m_sink.postRunEnded();
    }

    OrganizeRun &m_run;
    SessionState &m_session;
    const RunOptions &m_options;
    ProgressSink &m_sink;
    const RunHooks &m_hooks;
    RunControl &m_control;
    catalog::Catalog &m_catalog;
    std::int32_t m_filesLoaded = 0;
    bool m_miscellaneousUsed = false;
    bool m_ended = false;
    std::vector<std::size_t> m_members;
    output::RunSources m_runSources;
    std::unique_lock<std::mutex> m_lease;
};

} // namespace

std::u16string placeFailureMessage(int code, const fs::path &source, const fs::path &destination,
                                   const output::PlacementFailure *failure)
{
    if (failure != nullptr && failure->writtenWithoutTags) {
        const std::u16string reason = output::systemErrorReason(failure->systemError);
        return u"Sorry. The file " + quoted(source) + (failure->conversion ? u" was converted to " : u" was copied to ")
            + quoted(destination) + u", but its tags could not be written" + (reason.empty() ? u"" : u": " + reason)
            + u".";
    }
    switch (code) {
    case 2: return u"The file " + quoted(source) + u" cannot be found";
    case 3: return u"The file " + quoted(destination) + u" path cannot be used";
    case 5: return u"Access Denied for copying file " + quoted(source) + u" to " + quoted(destination);
    default: break;
    }
    std::u16string message =
        u"Sorry. Could not copy file " + quoted(source) + u" to " + quoted(destination) + u": Error " + decimal(code);
    if (failure == nullptr)
        return message;
    // Placement leaves nothing behind when a copy or a conversion fails.
    const std::u16string reason = output::systemErrorReason(code);
    if (!reason.empty())
        message += u" (" + reason + u")";
    return message + (failure->conversion ? u". The file was not converted." : u". The file was not copied.");
}

std::u16string folderFailureMessage(const fs::path &folder)
{
    return u"Could not create directory " + quoted(folder) + u".";
}

std::u16string undefinedFileName(const fs::path &source)
{
    std::u16string name = fileNameText(source);
    const auto trimmed = [](char16_t c) { return c == u' ' || c == u'-'; };
    std::size_t first = 0;
    while (first < name.size() && trimmed(name[first]))
        ++first;
    std::size_t last = name.size();
    while (last > first && trimmed(name[last - 1]))
        --last;
    name = name.substr(first, last - first);
    if (!name.empty())
        name[0] = text::wideToUpper(name[0]);
    return name;
}

void GatedStatus::showStatus(const std::u16string &text, std::uint32_t colour)
{
    if (m_control.giveUp.load())
        return;
    std::lock_guard lock(m_control.statusGate);
    if (m_control.giveUp.load())
        return;
    m_target.showStatus(text, colour);
}

int runOrganizeWorker(OrganizeRun &run)
{
    Worker worker(run);
    try {
        worker.run();
    } catch (const GivenUp &) {
        // Given up by the front end: it has written the summary; nothing more is said.
    } catch (const std::exception &e) {
        // Nothing may leave the worker thread; the front end must still see the run end.
        worker.fail(u"Sorry. The run stopped: " + text::utf8ToUtf16(e.what()));
    }
    return 0;
}

} // namespace tunvale::engine
