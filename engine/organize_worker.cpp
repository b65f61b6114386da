#include "engine/organize_worker.h"

#include "catalog/records/catalog.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "engine/make_folder.h"
#include "engine/path_text.h"
#include "engine/file_name_sorted_paths.h"
#include "engine/placement_queue.h"
#include "output/folder_name.h"
#include "output/name_text.h"
#include "output/place_file.h"
#include "output/system_error.h"
#include "output/track_file_name.h"

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
        , m_status(run.control, run.sink)
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
                    m_session.skippedFiles.push_back({path, formats::statusText(status)});
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

        // Files are written side by side and recorded in placement order.
        PlacementQueue queue(m_run.conversionJobs > 0 ? m_run.conversionJobs : defaultConversionJobs(), *this);
        m_queue = &queue;
        m_nextMiscellaneous = m_session.miscellaneousFiles;
        placeGroups(groups, loaded);
        queue.finishAll();
        m_queue = nullptr;
    }

    void placeGroups(std::unique_ptr<GroupSource> &groups, std::size_t loaded)
    {
        for (std::size_t first = 0; first < static_cast<std::size_t>(m_filesLoaded); ++first) {
            if (abortRequested()) {
                m_queue->dropWaiting();
                return;
            }
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
            switch (placeGroup(groupName, first)) {
            case GroupResult::Next: break;
            case GroupResult::Aborted: m_queue->dropWaiting(); return;
            case GroupResult::FolderFailed: return;
            }
        }
    }

    enum class GroupResult { Next, Aborted, FolderFailed };

    GroupResult placeGroup(const std::u16string &groupName, std::size_t groupId)
    {
        const bool newNames = m_options.newFileNames != 0;
        const output::PlacementOptions placementOptions = m_options.placementOptions();
        FileNameSortedPaths sources;
        std::vector<std::u16string> names;
        const std::size_t memberCount = std::min(m_session.groupMemberCount, m_session.groupMembers.size());
        for (std::size_t k = 1; k <= memberCount; ++k) {
            const std::size_t index = m_session.groupMembers[k - 1];
            if (index >= m_catalog.size())
                continue;
            catalog::CMetaDat &entry = m_catalog.at(index);
            if (entry.Placed)
                continue;
            entry.Placed = 1;
            m_session.currentSource = entry.Path;
            std::u16string name;
            if (newNames) {
                if (groupName == u"Undefined") {
                    name = undefinedFileName(entry.Path);
                } else {
                    name = m_hooks.trackFileName ? m_hooks.trackFileName(entry, static_cast<int>(k), placementOptions)
                                                 : output::BuildTrackFileName(entry, static_cast<int>(k), placementOptions);
                    if (!name.empty())
                        name += asciiLower(findExtension(entry.Path));
                }
            }
            names.push_back(std::move(name));
            sources.add(entry.Path);
        }
        if (sources.empty())
            return GroupResult::Next;
        // New names follow the grouping's order (the names are parallel to it); kept names are
        // sorted by file name.
        if (!newNames)
            sources.sortByFileName();

        // Folder names follow the file-name rules: a tag longer than a name, or holding
        // control characters, still gives a folder that can be made.
        fs::path groupFolder = m_session.destinationFolder;
        if (m_filesLoaded > 1 && sources.size() == 1 && m_options.groupIsolated != 0
            && m_session.criterionCode != catalog::criterion::kYear) {
            groupFolder /= pathFromUtf16(output::groupFolderName(m_session.miscellaneousFolderName));
            m_miscellaneousUsed = true;
        } else {
            groupFolder /= pathFromUtf16(output::groupFolderName(groupName));
            ++m_session.foldersUsed;
        }

        // A folder that exists, or that another run makes meanwhile, is used and is not this
        // run's to record.
        const FolderMade folderMade = unleased([&] { return makeFolder(groupFolder); });
        if (folderMade == FolderMade::Failed) {
            m_queue->finishAll();
            reportFailure(folderFailureMessage(groupFolder));
            return GroupResult::FolderFailed;
        }
        if (folderMade == FolderMade::Created) {
            m_session.foldersCreatedInRun.push_back(groupFolder);
            m_session.foldersCreatedInSession.push_back(groupFolder);
            if (m_hooks.observer)
                m_hooks.observer->folderCreated(groupFolder);
        }

        const int count = static_cast<int>(sources.size());
        const bool miscellaneousFolder = output::equalsIgnoreCase(output::pathToText(groupFolder.filename()), u"Miscellaneous");
        for (std::size_t i = 0; i < sources.size(); ++i) {
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
            output::PlacementContext &placement = job->context;
            placement.sourcePath = sources.at(i);
            if (newNames && names[i].empty()) {
                job->noName = true;
                m_queue->add(std::move(job));
                continue;
            }
            job->destination = groupFolder / (newNames ? pathFromUtf16(names[i]) : sources.at(i).filename());
            placement.options = placementOptions;
            placement.destinationPath = job->destination;
            // Nothing may be written outside the destination folder, whatever the tags say.
            placement.destinationRoot = m_session.destinationFolder;
            job->miscellaneousFiles = m_nextMiscellaneous;
            placement.miscellaneousFiles = &job->miscellaneousFiles;
            placement.catalog = &m_catalog;
            // Its lines reach the run's sink in placement order, and not at all once the run
            // is given up.
            placement.status = &job->status;
            placement.cancel = &m_control.giveUp;
            placement.runSources = &m_runSources;
            placement.workNames = &m_run.workNames;
            job->recorder = std::make_unique<PlacementLog>(m_hooks.observer);
            placement.recorder = job->recorder.get();
            if (m_hooks.placeFile) {
                PlacementJob *whole = job.get();
                job->hook = [this, whole] {
                    const int result = m_hooks.placeFile(whole->index, whole->count, whole->context);
                    m_nextMiscellaneous = whole->miscellaneousFiles;
                    return result;
                };
            } else {
                job->result = output::preparePlacement(job->index, job->count, placement, job->plan);
            }
            if (!job->hook)
                m_nextMiscellaneous = job->miscellaneousFiles;
            if (m_hooks.observer)
                m_hooks.observer->fileStarting(job->destination, placementOptions);
            m_queue->add(std::move(job));
        }
        return GroupResult::Next;
    }

    // A file's turn: it counts in the progress and its status lines are shown.
    void startTurn(PlacementJob &job) override
    {
        advanceProgress();
        m_session.currentSource = job.context.sourcePath;
        if (job.noName)
            return;
        m_session.currentDestination = job.destination;
        job.status.goLive(m_status);
    }

    // Publishes a written file and records what it made; false when it failed.
    bool finishTurn(PlacementJob &job) override
    {
        if (job.noName)
            return true;
        output::PlacementContext &placement = job.context;
        int result = job.result;
        if (result == 0 && !job.hook)
            result = unleasedQuiet([&] { return output::publishPlacement(placement, job.plan); });
        std::vector<CreatedRecord> made = static_cast<PlacementLog &>(*job.recorder).finish(placement, result);
        if (m_control.giveUp.load()) {
            // The run was given up while this file was written: nothing will record it,
            // so a copy finished meanwhile is taken back and a file it replaced put back.
            undoRecords(made, {}, KeptOriginals::PutBack);
            throw GivenUp{};
        }
        m_session.createdInSession.insert(m_session.createdInSession.end(), made.begin(), made.end());
        m_session.miscellaneousFiles = job.miscellaneousFiles;
        // Set again: the names of later groups were made meanwhile.
        m_session.currentSource = placement.sourcePath;
        m_session.currentDestination = placement.destinationPath;
        if (result == 0) {
            m_session.filesCreatedInSession.push_back(m_session.currentDestination);
            ++m_session.filesCopied;
            if (m_hooks.observer)
                m_hooks.observer->fileCreated(m_session.currentDestination);
            return true;
        }
        if (placement.failure.writtenWithoutTags) {
            // The file is there, only its tags failed: it is the run's, and undo takes it
            // back like the others. It is not counted as copied.
            m_session.filesCreatedInSession.push_back(m_session.currentDestination);
            if (m_hooks.observer)
                m_hooks.observer->fileCreated(m_session.currentDestination);
        }
        reportFailure(placeFailureMessage(result, m_session.currentSource, m_session.currentDestination,
                                          &placement.failure));
        unleased([&] { sleepFor(m_run.pauses.afterFailure); });
        return false;
    }

    void waitUnleased(const std::function<void()> &wait) override { unleased(wait); }
    void writeUnleased(const std::function<void()> &write) override
    {
        unleasedQuiet([&] {
            write();
            return 0;
        });
    }

    void waitUnwinding(const std::function<void()> &wait) noexcept override
    {
        const bool held = m_lease.owns_lock();
        if (held)
            m_lease.unlock();
        wait();
        if (held)
            m_lease.lock();
    }

    // Runs f without the lease and takes the lease back, even when the run was given up
    // meanwhile (the caller looks at it).
    template <class F>
    auto unleasedQuiet(F &&f) -> decltype(f())
    {
        m_lease.unlock();
        try {
            auto result = f();
            m_lease.lock();
            return result;
        } catch (...) {
            m_lease.lock();
            throw;
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
    GatedStatus m_status;
    PlacementQueue *m_queue = nullptr;
    std::int32_t m_nextMiscellaneous = 0;
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
