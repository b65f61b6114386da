#include "engine/plan/group_layout.h"

#include "engine/plan/file_name_sorted_paths.h"
#include "engine/run/organize_worker.h"
#include "engine/session/path_text.h"
#include "output/folder_name.h"
#include "output/track_file_name.h"

#include <algorithm>
#include <map>

namespace tunvale::engine {

namespace fs = std::filesystem;

GroupLayout layoutGroup(catalog::Catalog &catalog, const std::vector<std::size_t> &members, std::size_t memberCount,
                        const std::u16string &groupName, const RunOptions &options, const RunHooks &hooks,
                        const GroupSetting &setting)
{
    GroupLayout layout;
    layout.newNames = options.newFileNames != 0;
    const output::PlacementOptions placementOptions = options.placementOptions();
    FileNameSortedPaths sources;
    memberCount = std::min(memberCount, members.size());
    std::vector<std::pair<fs::path, std::size_t>> indexOf;
    for (std::size_t k = 1; k <= memberCount; ++k) {
        const std::size_t index = members[k - 1];
        if (index >= catalog.size())
            continue;
        catalog::CMetaDat &entry = catalog.at(index);
        if (entry.Placed)
            continue;
        entry.Placed = 1;
        std::u16string name;
        if (layout.newNames) {
            if (groupName == u"Undefined") {
                name = undefinedFileName(entry.Path);
            } else {
                name = hooks.trackFileName ? hooks.trackFileName(entry, static_cast<int>(k), placementOptions)
                                           : output::BuildTrackFileName(entry, static_cast<int>(k), placementOptions);
                if (!name.empty())
                    name += asciiLower(findExtension(entry.Path));
            }
        }
        if (entry.GroupName != groupName
            && std::find(layout.mergedFrom.begin(), layout.mergedFrom.end(), entry.GroupName) == layout.mergedFrom.end())
            layout.mergedFrom.push_back(entry.GroupName);
        layout.names.push_back(std::move(name));
        sources.add(entry.Path);
        if (layout.newNames)
            layout.entries.push_back(index);
        else
            indexOf.emplace_back(entry.Path, index);
    }
    // New names follow the grouping's order (the names are parallel to it); kept names are
    // sorted by file name.
    if (!layout.newNames)
        sources.sortByFileName();
    layout.sources = sources.take();
    if (!layout.newNames) {
        // Sorting keeps equal names in their order, so each path takes its indexes in turn.
        std::map<fs::path, std::vector<std::size_t>> byPath;
        for (auto item = indexOf.rbegin(); item != indexOf.rend(); ++item)
            byPath[item->first].push_back(item->second);
        for (const fs::path &source : layout.sources) {
            std::vector<std::size_t> &indexes = byPath[source];
            layout.entries.push_back(indexes.back());
            indexes.pop_back();
        }
    }

    // Folder names follow the file-name rules: a tag longer than a name, or holding control
    // characters, still gives a folder that can be made.
    layout.folder = setting.destinationFolder;
    if (setting.filesLoaded > 1 && layout.sources.size() == 1 && options.groupIsolated != 0
        && setting.criterionCode != catalog::criterion::kYear) {
        layout.folder /= pathFromUtf16(output::groupFolderName(setting.miscellaneousFolderName));
        layout.miscellaneous = true;
    } else {
        layout.folder /= pathFromUtf16(output::groupFolderName(groupName));
    }
    return layout;
}

fs::path layoutDestination(const GroupLayout &layout, std::size_t i)
{
    return layout.folder / (layout.newNames ? pathFromUtf16(layout.names[i]) : layout.sources.at(i).filename());
}

} // namespace tunvale::engine
