#pragma once

#include "engine/session/run_options.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::cli {

// Exit statuses of tunvale-cli.
namespace exit_code {
inline constexpr int kDone = 0;
inline constexpr int kError = 1;      // the run reported a failure; inspect: a file did not load
inline constexpr int kRefused = 2;    // a folder check refused the run, or the arguments are wrong
inline constexpr int kAborted = 3;    // SIGINT or SIGTERM stopped the run
} // namespace exit_code

struct OrganizeArguments {
    std::string source;
    std::string destination;
    engine::RunOptions options;
    bool json = false;
    unsigned jobs = 0;   // conversions at once; 0: one per hardware thread
    bool dryRun = false;   // show the plan of the run, write nothing
};

struct InspectArguments {
    std::vector<std::string> files;
    engine::RunOptions options;   // criterion, similitudes and tags from name
};

int runOrganize(const OrganizeArguments &arguments);
// The plan of the run the arguments ask for, printed; source and destination made absolute.
int runPreview(const OrganizeArguments &arguments, const std::filesystem::path &source,
               const std::filesystem::path &destination);
int runInspect(const InspectArguments &arguments);

} // namespace tunvale::cli
