#pragma once

// A preview of an organize run: the same scan, loading, grouping, naming and numbering as the
// run, with the names already standing in the destination taken into account, and nothing
// written anywhere.

#include "engine/run/organize_command.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"
#include "engine/session/session_state.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::engine {

// One tag field the run would rewrite in a copy, as UTF-8 text ("" for an absent value).
struct PlannedTag {
    std::string field;   // "title", "artist", "track", "total", "pictures"
    std::string before;  // as the source holds it
    std::string after;   // as the copy will hold it
};

struct PlannedFile {
    std::filesystem::path source;
    std::filesystem::path destination;
    bool convert = false;    // converted to MP3
    bool replace = false;    // takes the name of a file standing there, which is kept aside
    bool numbered = false;   // its name was taken: it gets "Name(n).ext"
    std::vector<PlannedTag> tags;

    // The one word for what happens to the file: "replace", "numbered", "convert" or "copy",
    // the first that applies.
    std::string_view action() const;
};

struct PlannedFolder {
    std::filesystem::path folder;
    bool exists = false;          // the folder is there already
    bool miscellaneous = false;   // the folder of lone files
    std::vector<std::u16string> mergedFrom;   // other spellings of the group name taken in
    std::vector<PlannedFile> files;
};

struct OrganizePlan {
    // Ready, or the refusal the run would meet (message: its text).
    PrepareStatus status = PrepareStatus::Ready;
    std::u16string message;
    std::filesystem::path source;
    std::filesystem::path destination;
    bool destinationMissing = false;   // the run would create the destination
    bool stopped = false;              // the preview was cancelled before its end
    std::vector<PlannedFolder> folders;
    std::vector<SkippedFile> skipped;
    // Files the preview already knows cannot be placed (a name that cannot be used, every
    // numbered name taken) and the files of their folder the run would leave after them.
    std::vector<FailedFile> failed;
    std::int32_t filesLoaded = 0;
    std::int32_t filesCopied = 0;
    std::int32_t foldersUsed = 0;
    std::u16string summary;   // the summary line the run would end with

    std::size_t fileCount() const;
};

// What a preview reports while it works and how it is stopped.
struct PlanControl {
    const std::atomic<bool> *cancel = nullptr;
    // Called after each file read: files read, files in all.
    std::function<void(std::size_t, std::size_t)> progress;
    // Work out the tag changes of each file (a plan shown without them is quicker to make).
    bool tags = true;
};

// Plans the run of options from source into destination with the grouping and naming of hooks
// (the loaders of the format table read the files). Reads only.
OrganizePlan planOrganize(const RunOptions &options, const std::filesystem::path &source,
                          const std::filesystem::path &destination, const RunHooks &hooks,
                          const PlanControl &control = {});

} // namespace tunvale::engine
