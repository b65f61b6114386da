#include "engine/run/organize_worker.h"

#include "catalog/records/catalog.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "catalog/text/unicode/fold.h"
#include "engine/run/file_system_sync.h"
#include "engine/run/make_folder.h"
#include "engine/session/path_text.h"
#include "engine/plan/group_layout.h"
#include "engine/run/placement_queue.h"
#include "engine/threads/reads_ahead.h"
#include "engine/session/run_report.h"
#include "output/name_text.h"
#include "output/place_file.h"
#include "output/system_error.h"

#include <algorithm>
#include <exception>
#include <string>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

std::u16string quoted(const fs::path &path) { return u"\"" + pathToUtf16(path) + u"\""; }

std::u16string decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

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

// The steps of one run; the members are the worker's own state for that run. The worker holds
// the run's lease (m_lease) from its start to its end and lets it go only inside
// m_lease.without(...), around each call that may take long.
class Worker final : private PlacementTurns {
public:
    explicit Worker(OrganizeRun &run)
        : m_run(run)
        , m_session(run.session)
        , m_options(run.options)
        , m_sink(run.sink)
        , m_hooks(run.hooks)
        , m_control(run.control)
        , m_catalog(run.catalog)
        , m_status(run.control, run.sink, m_progress)
        , m_lease(run.control)
    {
    }

    void run()
    {
        m_lease.throwIfGivenUp();
        start();
        if (load()) {
            rescaleProgress();
            place();
        }
        // What the run wrote is on the disk before it says it is done.
        const fs::path destination = m_session.destinationFolder;
        if (!m_session.createdInSession.empty() || !m_session.foldersCreatedInRun.empty())
            m_lease.without([&] { syncFileSystemOf(destination); });
        end();
    }

    // The run could not go on (an unexpected exception): report it like any other failure,
    // unless the run was given up meanwhile.
    void fail(const std::u16string &message)
    {
        try {
            if (m_lease.givenUp())
                return;
            reportFailure(message);
            end();
        } catch (const GivenUp &) {
        }
    }

private:
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

    // The position notice of the next file, then the run's share with that file in work.
    void advanceProgress(double cost = 1.0)
    {
        m_sink.postProgress(m_session.progressPosition, 0);
        ++m_session.progressPosition;
        m_sink.postWork(m_progress.beginFile(cost));
    }

    void reportFailure(const std::u16string &message)
    {
        postStatus(output::colour::kRed, u"Error");
        // Shown without the lease (the user may take a while), through the gate the give-up
        // path waits on, so no message appears once the run has been given up.
        m_lease.without([&] { m_control.throughStatusGate([&] { m_sink.showMessage(message); }); });
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

    // Loading phase; false when an abort request ended it. The loaders that can be split read
    // their files ahead on another thread, at most kFilesReadAhead files ahead; each file's records
    // are taken into the catalog here, in order, at the file's turn.
    bool load()
    {
        const catalog::LoadOptions loadOptions = m_options.loadOptions();
        const std::size_t count = m_session.sourceFiles.size();
        m_progress.startLoading(static_cast<std::int32_t>(std::min<std::size_t>(count, INT32_MAX)),
                                placementCost(m_session.sourceFiles, m_options));
        ReadsAhead ahead(loadOptions, false);
        std::size_t asked = m_session.fileCursor;
        for (std::size_t n = 0; n < count; ++n) {
            if (abortRequested())
                return false;
            advanceProgress();
            if (m_session.fileCursor >= m_session.sourceFiles.size())
                break;
            for (; asked < m_session.sourceFiles.size() && asked < m_session.fileCursor + kFilesReadAhead; ++asked)
                ahead.ask(m_session.sourceFiles[asked], readersOf(m_session.sourceFiles[asked]));
            const fs::path path = m_session.sourceFiles[m_session.fileCursor++];
            postStatus(output::colour::kLightGreen, u"Loading: " + fileNameText(path));
            m_lease.without([&] { sleepFor(m_run.pauses.afterLoadingNotice); });
            const int criterionCode = m_session.criterionCode;
            const std::vector<formats::ReadResult> statuses =
                m_lease.without([&] { return loadFile(ahead, path, criterionCode, loadOptions); });
            for (const formats::ReadResult &status : statuses) {
                if (status.ok())
                    ++m_filesLoaded;
                else
                    m_session.skippedFiles.push_back(readSkip(path, status));
            }
        }
        return true;
    }

    bool takes(const LoaderEntry &loader, std::u16string_view extension) const
    {
        return loader.load && loader.format != nullptr && formatEnabled(m_options, *loader.format) &&
               equalsIgnoringAsciiCase(extension, loader.extension);
    }

    // The split loaders that take path, in the order of the loaders.
    std::vector<const ReadTrackFn *> readersOf(const fs::path &path) const
    {
        const std::u16string extension = findExtension(path);
        std::vector<const ReadTrackFn *> readers;
        for (const LoaderEntry &loader : m_hooks.loaders) {
            if (loader.read && takes(loader, extension))
                readers.push_back(&loader.read);
        }
        return readers;
    }

    // Takes the oldest file read ahead (path) into the catalog with each loader that takes it:
    // the records read ahead by the split ones, a whole load by the others. One status per
    // loader. Runs without the lease.
    std::vector<formats::ReadResult> loadFile(ReadsAhead &ahead, const fs::path &path, int criterionCode,
                                              const catalog::LoadOptions &options)
    {
        std::vector<ReadsAhead::Read> reads = ahead.takeOldest();
        const std::u16string extension = findExtension(path);
        std::vector<formats::ReadResult> statuses;
        std::size_t r = 0;
        for (const LoaderEntry &loader : m_hooks.loaders) {
            if (!takes(loader, extension))
                continue;
            if (!loader.read) {
                statuses.push_back(loader.load(path, criterionCode, options, m_catalog));
                continue;
            }
            ReadsAhead::Read &read = reads[r++];
            if (read.status.ok())
                takeTrack(path, criterionCode, options, read.track, m_catalog);
            statuses.push_back(std::move(read.status));
        }
        return statuses;
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
        std::vector<fs::path> loaded;
        for (std::size_t i = 0; i < m_catalog.size(); ++i)
            loaded.push_back(m_catalog.at(i).Path);
        m_sink.postWork(m_progress.startPlacing(m_filesLoaded, placementCost(loaded, m_options)));
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
        std::unique_ptr<GroupSource> groups = m_lease.without([&] {
            return m_hooks.grouping ? m_hooks.grouping(m_catalog, criterionCode, m_options.acceptSimilitudes != 0)
                                    : exactNameGrouping(m_catalog, criterionCode, m_options.acceptSimilitudes != 0);
        });
        if (!groups)
            groups = exactNameGrouping(m_catalog, m_session.criterionCode, m_options.acceptSimilitudes != 0);
        // Known by identity once, before the first file is written: placement never writes
        // over a file the run reads.
        const std::vector<fs::path> sourceFiles = m_session.sourceFiles;
        m_runSources = m_lease.without([&] { return output::RunSources(sourceFiles); });

        // Files are written side by side and recorded in placement order.
        PlacementQueue queue(m_run.conversionJobs > 0 ? m_run.conversionJobs : defaultConversionJobs(), *this);
        m_queue = &queue;
        m_nextMiscellaneous = m_session.miscellaneousFiles;
        placeGroups(*groups, loaded);
        queue.finishAll();
        m_queue = nullptr;
    }

    void placeGroups(GroupSource &groups, std::size_t loaded)
    {
        for (std::size_t first = 0; first < static_cast<std::size_t>(m_filesLoaded); ++first) {
            if (abortRequested()) {
                m_queue->dropWaiting();
                return;
            }
            if (first >= loaded)
                continue;
            // Filled without the lease into the worker's own buffer, then handed to the session.
            const std::size_t memberCount = m_lease.without([&] { return groups.members(first, loaded, m_members); });
            m_session.groupMembers = m_members;
            m_session.groupMemberCount = memberCount;
            if (m_session.groupMemberCount == 0)
                continue;
            const std::u16string groupName = m_catalog.at(first).GroupName;
            if (m_session.destinationFolder.empty())
                continue;
            switch (placeGroup(groupName, first)) {
            case GroupResult::Next: break;
            case GroupResult::Aborted: m_queue->dropWaiting(); return;
            case GroupResult::FolderFailed: noteRunStopped(loaded); return;
            }
        }
    }

    enum class GroupResult { Next, Aborted, FolderFailed };

    // The session's current group (groupId: its first entry): its files not yet placed go
    // into the group's folder.
    GroupResult placeGroup(const std::u16string &groupName, std::size_t groupId)
    {
        const GroupSetting setting{m_session.destinationFolder, m_session.miscellaneousFolderName,
                                   m_session.criterionCode, m_filesLoaded};
        auto layout = std::make_shared<const GroupLayout>(layoutGroup(
            m_catalog, m_session.groupMembers, m_session.groupMemberCount, groupName, m_options, m_hooks, setting));
        if (layout->sources.empty())
            return GroupResult::Next;
        if (layout->miscellaneous)
            m_miscellaneousUsed = true;
        else
            ++m_session.foldersUsed;
        if (!makeGroupFolder(layout->folder)) {
            noteNotPlaced(layout->sources, 0, folderFailureMessage(layout->folder));
            return GroupResult::FolderFailed;
        }
        return placeFiles(layout, groupId);
    }

    // Makes the group's folder, recording it when this run made it; false (failure reported)
    // when it cannot be made. A folder that exists, or that another run makes meanwhile, is
    // used and is not this run's to record.
    bool makeGroupFolder(const fs::path &folder)
    {
        const FolderMade folderMade = m_lease.without([&] { return makeFolder(folder); });
        if (folderMade == FolderMade::Failed) {
            // The files before it are recorded first: messages come in placement order.
            m_queue->finishAll();
            reportFailure(folderFailureMessage(folder));
            return false;
        }
        if (folderMade == FolderMade::Created) {
            m_session.foldersCreatedInRun.push_back(folder);
            m_session.foldersCreatedInSession.push_back(folder);
            if (m_hooks.observer)
                m_hooks.observer->folderCreated(folder);
        }
        return true;
    }

    // Settles the group's files one by one in placement order and hands them to the queue,
    // which writes them side by side; the group ends at its first failure.
    GroupResult placeFiles(const std::shared_ptr<const GroupLayout> &layout, std::size_t groupId)
    {
        const int count = static_cast<int>(layout->sources.size());
        const bool miscellaneousFolder =
            output::equalsIgnoreCase(output::pathToText(layout->folder.filename()), u"Miscellaneous");
        for (std::size_t i = 0; i < layout->sources.size(); ++i) {
            if (abortRequested())
                return GroupResult::Aborted;
            // Its number in the Miscellaneous folder counts only files that are placed: the
            // earlier files of the group must be through first.
            if (miscellaneousFolder)
                m_queue->finishGroup(groupId);
            // After a failure the rest of the group is not placed.
            if (m_queue->groupFailed(groupId))
                return GroupResult::Next;
            auto job = std::make_unique<PlacementJob>();
            job->group = groupId;
            job->index = static_cast<int>(i) + 1;
            job->count = count;
            job->layout = layout;
            job->context.sourcePath = layout->sources[i];
            if (layout->newNames && layout->names[i].empty()) {
                job->noName = true;
                m_queue->add(std::move(job));
                continue;
            }
            job->destination = layoutDestination(*layout, i);
            prepareJob(*job);
            m_queue->add(std::move(job));
        }
        return GroupResult::Next;
    }

    // Settles the job's placement (its Miscellaneous number, name and tag changes) in
    // placement order; a placement hook instead places the whole file in the job's turn.
    void prepareJob(PlacementJob &job)
    {
        const output::PlacementOptions placementOptions = m_options.placementOptions();
        job.miscellaneousFiles = m_nextMiscellaneous;
        job.recorder = std::make_unique<PlacementLog>(m_hooks.observer);
        fillContext(job.context, placementOptions, job.destination, job.miscellaneousFiles, job.status, *job.recorder);
        if (m_hooks.placeFile) {
            PlacementJob *whole = &job;
            job.hook = [this, whole] {
                const int result = m_hooks.placeFile(whole->index, whole->count, whole->context);
                m_nextMiscellaneous = whole->miscellaneousFiles;
                return result;
            };
        } else {
            job.result = output::preparePlacement(job.index, job.count, job.context, job.plan);
            m_nextMiscellaneous = job.miscellaneousFiles;
        }
        if (m_hooks.observer)
            m_hooks.observer->fileStarting(job.destination, placementOptions);
    }

    // What placement needs for one file. Its status lines reach the run's sink in placement
    // order, and not at all once the run is given up.
    void fillContext(output::PlacementContext &placement, const output::PlacementOptions &placementOptions,
                     const fs::path &destination, std::int32_t &miscellaneousFiles, output::StatusReporter &status,
                     output::PlacementRecorder &recorder)
    {
        placement.options = placementOptions;
        placement.destinationPath = destination;
        // Nothing may be written outside the destination folder, whatever the tags say.
        placement.destinationRoot = m_session.destinationFolder;
        placement.miscellaneousFiles = &miscellaneousFiles;
        placement.catalog = &m_catalog;
        placement.status = &status;
        placement.cancel = &m_control.giveUp;
        placement.runSources = &m_runSources;
        placement.workNames = &m_run.workNames;
        placement.copyMethods = &m_run.copyMethods;
        placement.recorder = &recorder;
    }

    // A file's turn: it counts in the progress and its status lines are shown.
    void startTurn(PlacementJob &job) override
    {
        advanceProgress(placementCost(job.context.sourcePath, m_options));
        m_session.currentSource = job.context.sourcePath;
        if (job.noName)
            return;
        m_session.currentDestination = job.destination;
        job.status.goLive(m_status);
    }

    // Publishes a written file and records what it made; false when it failed (the failure is
    // reported).
    bool finishTurn(PlacementJob &job) override
    {
        if (job.noName) {
            m_session.skippedFiles.push_back(noNameSkip(job.context.sourcePath));
            return true;
        }
        output::PlacementContext &placement = job.context;
        int result = job.result;
        if (result == 0 && !job.hook)
            result = m_lease.withoutQuietly([&] { return output::publishPlacement(placement, job.plan); });
        const std::vector<CreatedRecord> made = static_cast<PlacementLog &>(*job.recorder).finish(placement, result);
        if (m_lease.givenUp()) {
            // The run was given up while this file was written: nothing will record it, so a
            // copy finished meanwhile is taken back and a file it replaced put back.
            undoRecords(made, {}, KeptOriginals::PutBack);
            throw GivenUp{};
        }
        m_session.createdInSession.insert(m_session.createdInSession.end(), made.begin(), made.end());
        m_session.miscellaneousFiles = job.miscellaneousFiles;
        // Set again: the names of later files were settled meanwhile.
        m_session.currentSource = placement.sourcePath;
        m_session.currentDestination = placement.destinationPath;
        if (result == 0) {
            ++m_session.filesCopied;
            recordCreatedFile(&placement.placedIdentity);
            return true;
        }
        reportPlacementFailure(result, placement.failure, job);
        return false;
    }

    void waitUnleased(const std::function<void()> &wait) override { m_lease.without(wait); }
    void writeUnleased(const std::function<void()> &write) override { m_lease.withoutQuietly(write); }
    void waitUnwinding(const std::function<void()> &wait) noexcept override { m_lease.whileUnwinding(wait); }

    // The session's current destination is a file this run made: undo takes it back. The
    // identity, when placement gives it, is the one the file had when it was put in place.
    void recordCreatedFile(const formats::io::FileIdentity *identity = nullptr)
    {
        m_session.filesCreatedInSession.push_back(m_session.currentDestination);
        if (m_hooks.observer == nullptr)
            return;
        if (identity != nullptr)
            m_hooks.observer->fileCreated(m_session.currentDestination, *identity);
        else
            m_hooks.observer->fileCreated(m_session.currentDestination);
    }

    // Reports the failure of job's file; the rest of its group is left and listed with it.
    void reportPlacementFailure(int result, const output::PlacementFailure &failure, const PlacementJob &job)
    {
        // The file is there, only its tags failed: it is the run's, and undo takes it back
        // like the others. It is not counted as copied.
        if (failure.writtenWithoutTags)
            recordCreatedFile();
        const std::u16string message =
            placeFailureMessage(result, m_session.currentSource, m_session.currentDestination, &failure);
        m_session.failedFiles.push_back(
            FailedFile{m_session.currentSource, m_session.currentDestination, text::utf16ToUtf8(message)});
        if (job.layout)
            noteNotPlaced(job.layout->sources, static_cast<std::size_t>(job.index), groupStoppedMessage());
        reportFailure(message);
        m_lease.without([&] { sleepFor(m_run.pauses.afterFailure); });
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
    RunProgress m_progress;
    GatedStatus m_status;
    PlacementQueue *m_queue = nullptr;
    std::int32_t m_nextMiscellaneous = 0;
    RunLease m_lease;
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
        name = text::utf8ToUtf16(text::unicode::upperFirst(text::utf16ToUtf8(name)));
    return name;
}

void GatedStatus::showFileProgress(double fraction)
{
    if (m_progress == nullptr || m_sink == nullptr)
        return;
    m_control.throughStatusGate([&] {
        if (const std::optional<WorkProgress> progress = m_progress->fileShare(fraction))
            m_sink->postWork(*progress);
    });
}

void GatedStatus::showStatus(const std::u16string &text, std::uint32_t colour)
{
    m_control.throughStatusGate([&] { m_target.showStatus(text, colour); });
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
