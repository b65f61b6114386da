#include "engine/plan/organize_plan.h"

#include "catalog/text/codepage.h"
#include "engine/plan/group_layout.h"
#include "engine/session/path_text.h"
#include "engine/session/run_report.h"
#include "engine/session/run_summary.h"
#include "engine/load/source_scan.h"
#include "engine/threads/reads_ahead.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"
#include "formats/io/file_identity.h"
#include "output/placement_plan.h"
#include "output/publish_file.h"
#include "output/run_sources.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <memory>
#include <optional>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

std::string_view PlannedFile::action() const
{
    if (replace)
        return "replace";
    if (numbered)
        return "numbered";
    if (convert)
        return "convert";
    return "copy";
}

std::size_t OrganizePlan::fileCount() const
{
    std::size_t count = 0;
    for (const PlannedFolder &folder : folders)
        count += folder.files.size();
    return count;
}

namespace {

// The tag values of a source that a copy's rewrite may change, as the reader found them.
struct SourceTags {
    std::string title;
    std::string artist;
    std::int32_t track = 0;
    std::int32_t total = 0;
    std::int32_t pictures = 0;
};

std::string numberText(std::int32_t value) { return value > 0 ? std::to_string(value) : std::string(); }

bool isFolder(const fs::path &path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool entryExists(const fs::path &path) { return formats::io::entryKind(path) != formats::io::EntryKind::Missing; }

OrganizePlan refused(PrepareStatus status, std::u16string message)
{
    OrganizePlan plan;
    plan.status = status;
    plan.message = std::move(message);
    return plan;
}

class Planner {
public:
    Planner(const RunOptions &options, const fs::path &destination, const RunHooks &hooks, const PlanControl &control,
            OrganizePlan &plan)
        : m_options(options), m_destination(destination), m_hooks(hooks), m_control(control), m_plan(plan)
    {
    }

    // Reads the files ahead on another thread, as the run's loading phase does, and takes each
    // into the catalog here in order.
    void load(const std::vector<fs::path> &files, int criterionCode)
    {
        m_criterionCode = criterionCode;
        const catalog::LoadOptions loadOptions = m_options.loadOptions();
        const auto readersOf = [this](const fs::path &path) { return formatReadersOf(path); };
        readInOrder(files, loadOptions, m_control.tags, readersOf,
                    [&](std::size_t n, std::vector<ReadsAhead::Read> &reads) {
                        if (cancelled())
                            return false;
                        for (ReadsAhead::Read &read : reads)
                            take(files[n], read, loadOptions);
                        if (m_control.progress)
                            m_control.progress(n + 1, files.size());
                        return true;
                    });
    }

    void take(const fs::path &path, const ReadsAhead::Read &read, const catalog::LoadOptions &loadOptions)
    {
        if (!read.status.ok()) {
            m_plan.skipped.push_back(readSkip(path, read.status));
            return;
        }
        const std::size_t before = m_catalog.size();
        takeTrack(path, m_criterionCode, loadOptions, read.track, m_catalog);
        ++m_plan.filesLoaded;
        if (m_catalog.size() > before && m_control.tags) {
            const catalog::CurrentTags &asRead = read.asRead;
            m_sourceTags.push_back(SourceTags{std::string(asRead.Title.view()), std::string(asRead.Artist.view()),
                                              asRead.Track, asRead.TrackTotal, read.track.pictures.count()});
        }
    }

    // The readers of the enabled formats that take path, in the order of the format table.
    std::vector<const ReadTrackFn *> formatReadersOf(const fs::path &path) const
    {
        const std::u16string extension = findExtension(path);
        std::vector<const ReadTrackFn *> taking;
        for (const formats::FormatRow &format : formats::formatTable()) {
            if (formatEnabled(m_options, format) && formats::hasExtension(format, extension))
                taking.push_back(&formatReader(format));
        }
        return taking;
    }

    void place(const std::vector<fs::path> &sourceFiles)
    {
        m_sourceFiles = &sourceFiles;
        const std::size_t loaded = std::min<std::size_t>(static_cast<std::size_t>(m_plan.filesLoaded), m_catalog.size());
        const bool similitudes = m_options.acceptSimilitudes != 0;
        std::unique_ptr<GroupSource> groups = m_hooks.grouping
            ? m_hooks.grouping(m_catalog, m_criterionCode, similitudes)
            : exactNameGrouping(m_catalog, m_criterionCode, similitudes);
        if (!groups)
            groups = exactNameGrouping(m_catalog, m_criterionCode, similitudes);
        m_taken.reserve(loaded);
        // The standard grouping finds the groups on a thread of its own, ahead of this loop:
        // each group is laid out while the next ones are being found.
        std::vector<std::size_t> members;
        for (std::size_t first = 0; first < loaded; ++first) {
            if (cancelled())
                break;
            const std::size_t count = groups->members(first, loaded, members);
            const std::size_t memberCount = std::min(count, members.size());
            if (memberCount != 0)
                placeGroup(m_catalog.at(first).GroupName, members, memberCount);
        }
        if (m_plan.stopped)
            return;
        if (m_miscellaneousUsed)
            ++m_plan.foldersUsed;
    }

private:
    bool cancelled()
    {
        if (m_control.cancel == nullptr || !m_control.cancel->load())
            return false;
        m_plan.stopped = true;
        return true;
    }

    PlannedFolder &folderBlock(const GroupLayout &layout)
    {
        const auto found = m_folderIndex.find(layout.folder.native());
        if (found != m_folderIndex.end())
            return m_plan.folders[found->second];
        m_folderIndex.emplace(layout.folder.native(), m_plan.folders.size());
        PlannedFolder &block = m_plan.folders.emplace_back();
        block.folder = layout.folder;
        block.exists = !m_plan.destinationMissing && isFolder(layout.folder);
        block.miscellaneous = layout.miscellaneous;
        return block;
    }

    void placeGroup(const std::u16string &groupName, const std::vector<std::size_t> &members, std::size_t memberCount)
    {
        const GroupSetting setting{m_destination, u"Miscellaneous", m_criterionCode, m_plan.filesLoaded};
        GroupLayout layout = layoutGroup(m_catalog, members, memberCount, groupName, m_options, m_hooks, setting);
        if (layout.sources.empty())
            return;
        if (layout.miscellaneous)
            m_miscellaneousUsed = true;
        else
            ++m_plan.foldersUsed;
        PlannedFolder &block = folderBlock(layout);
        for (const std::u16string &spelling : layout.mergedFrom) {
            if (std::find(block.mergedFrom.begin(), block.mergedFrom.end(), spelling) == block.mergedFrom.end())
                block.mergedFrom.push_back(spelling);
        }
        const output::PlacementOptions placementOptions = m_options.placementOptions();
        const int count = static_cast<int>(layout.sources.size());
        for (std::size_t i = 0; i < layout.sources.size(); ++i) {
            const fs::path &source = layout.sources[i];
            if (layout.newNames && layout.names[i].empty()) {
                m_plan.skipped.push_back(noNameSkip(source));
                continue;
            }
            output::PlacementDecision decision = output::decidePlacement(
                static_cast<int>(i) + 1, count, placementOptions, source, layoutDestination(layout, i),
                &m_miscellaneousFiles);
            PlannedFile file;
            file.destination = std::move(decision.destination);
            if (!output::isSafeDestination(m_destination, file.destination)) {
                failGroup(layout, i, file.destination, u"The file name cannot be used.");
                return;
            }
            if (decision.converting) {
                file.destination.replace_extension(".mp3");
                file.convert = true;
            }
            if (!takeName(file, source, block.exists)) {
                failGroup(layout, i, file.destination, u"Every numbered name of the file is taken.");
                return;
            }
            file.source = std::move(layout.sources[i]);   // the group's layout is not read again
            const std::size_t entry = layout.entries[i];
            if (!m_control.tags) {
                block.files.push_back(std::move(file));
                ++m_plan.filesCopied;
                continue;
            }
            if (const auto changes = output::tagChangesFor(m_catalog.at(entry), decision.tags, decision.index,
                                                           decision.count))
                file.tags = tagDifferences(*changes, entry);
            block.files.push_back(std::move(file));
            ++m_plan.filesCopied;
        }
    }

    // The files of a group from i on are not placed: the file at i fails, the run leaves the others.
    void failGroup(const GroupLayout &layout, std::size_t i, const fs::path &destination, std::u16string_view message)
    {
        m_plan.failed.push_back(FailedFile{layout.sources[i], destination, text::utf16ToUtf8(message)});
        const std::string left = text::utf16ToUtf8(groupStoppedMessage());
        for (std::size_t k = i + 1; k < layout.sources.size(); ++k)
            m_plan.failed.push_back(FailedFile{layout.sources[k], {}, left});
    }

    // Gives the file the name the run's publishing would: its own, else the first numbered name
    // that is free; with replace, a name held by a file that may be kept aside is taken over.
    // In a folder that does not exist yet only the plan's own files can hold a name.
    bool takeName(PlannedFile &file, const fs::path &source, bool folderExists)
    {
        const bool replace = m_options.fileReplace != 0;
        const fs::path &wanted = file.destination;   // changed only once a name is taken
        for (int n = 0; n <= output::kMaxIterations; ++n) {
            fs::path numbered = n == 0 ? fs::path() : output::iterationPath(wanted, n);
            const fs::path &candidate = n == 0 ? wanted : numbered;
            const bool planned = m_taken.count(candidate.native()) != 0;
            if (planned || (folderExists && entryExists(candidate))) {
                if (!replace || !(planned || mayReplace(source, candidate)))
                    continue;
                file.replace = true;
            }
            m_taken.insert(candidate.native());
            if (n > 0)
                file.destination = std::move(numbered);
            file.numbered = n > 0;
            return true;
        }
        return false;
    }

    bool mayReplace(const fs::path &source, const fs::path &candidate)
    {
        if (!m_runSources)
            m_runSources.emplace(*m_sourceFiles);
        output::PlacementContext context;
        context.sourcePath = source;
        context.destinationRoot = m_destination;
        context.runSources = &*m_runSources;
        return output::mayKeepAside(context, candidate);
    }

    std::vector<PlannedTag> tagDifferences(const formats::TagChanges &changes, std::size_t entry) const
    {
        std::vector<PlannedTag> tags;
        if (entry >= m_sourceTags.size())
            return tags;
        const SourceTags &old = m_sourceTags[entry];
        const auto text = [&](const char *field, const std::u16string &value, const std::string &before) {
            if (value.empty())
                return;
            std::string after = text::utf16ToUtf8(value);
            if (after != before)
                tags.push_back(PlannedTag{field, before, std::move(after)});
        };
        const auto number = [&](const char *field, int value, std::int32_t before) {
            if (value > 0 && value != before)
                tags.push_back(PlannedTag{field, numberText(before), numberText(value)});
        };
        text("title", changes.title, old.title);
        text("artist", changes.artist, old.artist);
        number("track", changes.track, old.track);
        number("total", changes.totalTracks, old.total);
        if (changes.removePictures && old.pictures > 0)
            tags.push_back(PlannedTag{"pictures", std::to_string(old.pictures), "0"});
        return tags;
    }

    const RunOptions &m_options;
    fs::path m_destination;
    const RunHooks &m_hooks;
    const PlanControl &m_control;
    OrganizePlan &m_plan;
    catalog::Catalog m_catalog;
    std::vector<SourceTags> m_sourceTags;   // parallel to the catalog's entries
    int m_criterionCode = 0;
    std::int32_t m_miscellaneousFiles = 0;
    bool m_miscellaneousUsed = false;
    std::unordered_map<fs::path::string_type, std::size_t> m_folderIndex;
    std::unordered_set<fs::path::string_type> m_taken;   // the names files of the plan take
    const std::vector<fs::path> *m_sourceFiles = nullptr;
    std::optional<output::RunSources> m_runSources;
};

} // namespace

OrganizePlan planOrganize(const RunOptions &options, const fs::path &source, const fs::path &destination,
                          const RunHooks &hooks, const PlanControl &control)
{
    if (source.empty())
        return refused(PrepareStatus::NoSource, u"Please define a valid Source folder");
    if (!isFolder(source))
        return refused(PrepareStatus::SourceMissing, u"Sorry, the source Folder doesn't exist!");
    if (destination.empty())
        return refused(PrepareStatus::NoDestination, u"Please define a valid Destination folder");
    OrganizePlan plan;
    plan.source = source;
    plan.destination = destination;
    if (!isFolder(destination)) {
        // Something other than a folder on the way cannot become the destination.
        for (fs::path folder = destination; !folder.empty(); folder = folder.parent_path()) {
            if (entryExists(folder) && !isFolder(folder))
                return refused(PrepareStatus::DestinationNotCreated,
                               u"Sorry. Could not create directory \"" + pathToUtf16(destination) + u"\".");
            if (entryExists(folder) || folder == folder.parent_path())
                break;
        }
        plan.destinationMissing = true;
    }

    const int criterionCode = criterionCodeFor(options.tagId);
    std::vector<fs::path> files;
    scanSource(source, sourceExtensions(options), files, destination, &plan.skipped);
    if (files.empty()) {
        plan.status = PrepareStatus::NoFiles;
        plan.message = u"Sorry, found no audio files that could be sorted!";
        return plan;
    }

    Planner planner(options, destination, hooks, control, plan);
    planner.load(files, criterionCode);
    if (!plan.stopped)
        planner.place(files);
    plan.summary = summaryLine(u"Done", plan.filesLoaded, plan.filesCopied, plan.foldersUsed);
    return plan;
}

} // namespace tunvale::engine
