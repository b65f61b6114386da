#pragma once

// Where the members of one group go and what they are called: the folder, the files in the
// order they are placed and their new names. The run places by it; a preview shows it.

#include "catalog/records/catalog.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::engine {

// What the layout of a group reads besides the catalog and the options.
struct GroupSetting {
    std::filesystem::path destinationFolder;
    std::u16string miscellaneousFolderName = u"Miscellaneous";
    int criterionCode = 0;
    std::int32_t filesLoaded = 0;   // files the run loaded in all
};

struct GroupLayout {
    std::filesystem::path folder;
    bool miscellaneous = false;   // a lone file gathered into the Miscellaneous folder
    bool newNames = false;        // names holds the new names; otherwise the files keep theirs
    // The files in the order they are placed, with their new names (parallel; with new names
    // on, an empty name means no name could be built and the file is not placed).
    std::vector<std::filesystem::path> sources;
    std::vector<std::u16string> names;
    // The catalog indexes of the files, parallel to sources.
    std::vector<std::size_t> entries;
    // The group names of the members that differ from the folder's group name: the spellings
    // merged into it, each once, in member order.
    std::vector<std::u16string> mergedFrom;
};

// Lays out the group of the first memberCount indexes of members (grouping order) named
// groupName, marking each entry placed; members already placed are left out.
GroupLayout layoutGroup(catalog::Catalog &catalog, const std::vector<std::size_t> &members, std::size_t memberCount,
                        const std::u16string &groupName, const RunOptions &options, const RunHooks &hooks,
                        const GroupSetting &setting);

// The destination of the file at position i of a layout.
std::filesystem::path layoutDestination(const GroupLayout &layout, std::size_t i);

} // namespace tunvale::engine
