#pragma once

#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"
#include "formats/read_status.h"
#include "output/placement_context.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tunvale::engine {

struct RunOptions;

// Whether the run takes the files of format (its option is ticked).
bool formatEnabled(const RunOptions &options, const formats::FormatRow &format);

// A format's loader: reads the file's tags, completes them and appends one entry to the run's
// catalog; ok when the file was taken (the reader's status, with why, when it was not).
using LoaderFn = std::function<formats::ReadResult(const std::filesystem::path &path, int criterionCode,
                                                   const catalog::LoadOptions &options, catalog::Catalog &catalog)>;

struct LoaderEntry {
    std::u16string extension;   // with its dot, compared without regard to case
    const formats::FormatRow *format = nullptr; // the option that enables the loader
    LoaderFn load;
    // The same loader split in two, when it can be: read fills a record and touches nothing
    // shared, and takeTrack puts the record into the catalog. With it the worker reads files
    // ahead on another thread; without it the worker calls load.
    ReadTrackFn read;
};

// Places one file (1-based index within a group of count files); 0 on success.
using PlaceFileFn = std::function<int(int index, int count, output::PlacementContext &context)>;
// The new file name (without extension) of a group member at 1-based index.
using TrackNameFn = std::function<std::u16string(const catalog::CMetaDat &entry, int index,
                                                 const output::PlacementOptions &options)>;

// Answers, for the first entry of each group in the placement phase, the unplaced entries of its group.
class GroupSource {
public:
    virtual ~GroupSource() = default;
    // Fills members (the first entry itself first) from the entries 0..n-1; 0 when the first entry is placed or has no
    // key words.
    virtual std::size_t members(std::size_t first, std::size_t n, std::vector<std::size_t> &members) = 0;
};
using GroupingFn = std::function<std::unique_ptr<GroupSource>(const catalog::Catalog &catalog,
                                                              int criterionCode, bool acceptSimilitudes)>;

// Told of everything a run writes, as it happens (on the worker thread), so a journal or an
// undo can follow the run.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void folderCreated(const std::filesystem::path &folder) { (void)folder; }
    // Placement of a file to destination (before placement may change its name) is starting:
    // its work files are written in the folder of destination.
    virtual void fileStarting(const std::filesystem::path &destination, const output::PlacementOptions &options)
    {
        (void)destination;
        (void)options;
    }
    // A complete file the run made (identity) is about to take the name path; told before the
    // rename, so a run killed right after it has recorded the file.
    virtual void filePublishing(const std::filesystem::path &path, const formats::io::FileIdentity &identity)
    {
        (void)path;
        (void)identity;
    }
    // The file at original (identity) is about to be moved to kept, to be replaced.
    virtual void fileKept(const std::filesystem::path &original, const formats::io::FileIdentity &identity,
                          const std::filesystem::path &kept)
    {
        (void)original;
        (void)identity;
        (void)kept;
    }
    // Placement of the file, now final at file, succeeded.
    virtual void fileCreated(const std::filesystem::path &file) { (void)file; }
    // The same, with the identity placement gave the file (invalid when it gave none).
    virtual void fileCreated(const std::filesystem::path &file, const formats::io::FileIdentity &identity)
    {
        (void)identity;
        fileCreated(file);
    }
};

// What the worker calls into: the loaders by extension, grouping, naming and placement. An
// unset function falls back to the engine's own (exact group names) or output's (PlaceFile's
// three steps, several files written at once; BuildTrackFileName). A placeFile set here places
// each file whole, one after another, on the worker's thread. With no loader registered a run
// loads nothing.
struct RunHooks {
    std::vector<LoaderEntry> loaders;
    GroupingFn grouping;
    TrackNameFn trackFileName;
    PlaceFileFn placeFile;
    RunObserver *observer = nullptr;

    void addLoader(std::u16string extension, const formats::FormatRow &format, LoaderFn load,
                   ReadTrackFn read = {});
};

// Groups entries whose GroupName is identical: the simplest grouping, used when no other is set.
std::unique_ptr<GroupSource> exactNameGrouping(const catalog::Catalog &catalog, int criterionCode,
                                               bool acceptSimilitudes);

// A loader for every extension of every row of the format table (the format's reader, then
// loadTrack's completion and intake), the catalog's GroupFinder, and output's
// BuildTrackFileName; placement is left to the worker's own (output's placement steps).
RunHooks standardHooks();

} // namespace tunvale::engine
