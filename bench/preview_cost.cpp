// The cost of a preview against the loading and grouping of a real run on the same library:
//   preview_cost FOLDER [RUNS]
// prints, as the median of RUNS (default 3) warm-cache runs, the time of the run's scan,
// loading phase (the format table's readers, reading ahead on a second thread, into a catalog) and grouping (each group's members
// found and marked placed, as the placement phase asks for them), the time of a whole preview
// (planOrganize into a destination that does not exist), their ratio, and the median of the
// ratios of each run and the preview timed next to it.
#include "catalog/records/catalog.h"
#include "engine/plan/organize_plan.h"
#include "engine/threads/reads_ahead.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"
#include "engine/load/source_scan.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace tunvale;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The processor time of the process so far: on a busy machine it counts only this work.
double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Scan, load and group as the run does; the number of groups.
int loadAndGroup(const std::filesystem::path &source, const engine::RunOptions &options,
                    const engine::RunHooks &hooks, std::size_t &groups)
{
    std::vector<std::filesystem::path> files;
    engine::scanSource(source, engine::sourceExtensions(options), files);
    catalog::Catalog catalog;
    const catalog::LoadOptions loadOptions = options.loadOptions();
    const int criterion = engine::criterionCodeFor(options.tagId);
    // Read ahead on a second thread and taken in order, as the run's loading phase does.
    engine::readInOrder(
        files, loadOptions, false,
        [&](const std::filesystem::path &file) {
            std::vector<const engine::ReadTrackFn *> readers;
            if (const formats::FormatRow *format = formats::formatOfExtension(file.extension().u16string()))
                readers.push_back(&engine::formatReader(*format));
            return readers;
        },
        [&](std::size_t n, std::vector<engine::ReadsAhead::Read> &reads) {
            for (const engine::ReadsAhead::Read &read : reads) {
                if (read.status.ok())
                    engine::takeTrack(files[n], criterion, loadOptions, read.track, catalog);
            }
            return true;
        });
    std::unique_ptr<engine::GroupSource> source2 =
        hooks.grouping(catalog, criterion, options.acceptSimilitudes != 0);
    std::vector<std::size_t> members;
    groups = 0;
    for (std::size_t first = 0; first < catalog.size(); ++first) {
        const std::size_t count = source2->members(first, catalog.size(), members);
        if (count == 0)
            continue;
        ++groups;
        for (std::size_t k = 0; k < count; ++k)
            catalog.at(members[k]).Placed = 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::filesystem::path source = argv[1];
    const std::filesystem::path destination = source.parent_path() / "preview-cost-destination-not-made";
    const engine::RunOptions options;
    const engine::RunHooks hooks = engine::standardHooks();
    std::size_t groups = 0;
    loadAndGroup(source, options, hooks, groups);   // warm the cache
    std::vector<double> runTimes, runCpu, previewTimes, previewCpu;
    std::size_t planned = 0;
    for (int run = 0; run < runs; ++run) {
        const auto timeRun = [&] {
            const auto start = Clock::now();
            const double cpu = cpuSeconds();
            loadAndGroup(source, options, hooks, groups);
            runTimes.push_back(seconds(start));
            runCpu.push_back(cpuSeconds() - cpu);
        };
        const auto timePreview = [&] {
            const auto start = Clock::now();
            const double cpu = cpuSeconds();
            // As the command line's text and the dialog's tree show it: without the tag changes.
            engine::PlanControl control;
            control.tags = false;
            const engine::OrganizePlan plan = engine::planOrganize(options, source, destination, hooks, control);
            previewTimes.push_back(seconds(start));
            previewCpu.push_back(cpuSeconds() - cpu);
            planned = plan.fileCount();
        };
        // Every other pair the preview goes first: neither always gets the heap and the caches
        // the other left behind.
        if (run % 2 == 0) {
            timeRun();
            timePreview();
        } else {
            timePreview();
            timeRun();
        }
    }
    std::printf("files planned             %zu in %zu groups\n", planned, groups);
    std::printf("                          wall      processor\n");
    std::printf("run: scan, load, group    %.3f s   %.3f s\n", median(runTimes), median(runCpu));
    std::printf("preview                   %.3f s   %.3f s\n", median(previewTimes), median(previewCpu));
    std::printf("ratio of medians          %.3f     %.3f (goal <= 1.10)\n", median(previewTimes) / median(runTimes),
                median(previewCpu) / median(runCpu));
    // Each preview and its run are timed one after the other: the median of the pairs' ratios
    // leaves out most of what a busy or throttled machine adds to one run and not the other.
    std::vector<double> wallRatios, cpuRatios;
    for (std::size_t i = 0; i < runTimes.size(); ++i) {
        wallRatios.push_back(previewTimes[i] / runTimes[i]);
        cpuRatios.push_back(previewCpu[i] / runCpu[i]);
    }
    std::printf("median of paired ratios   %.3f     %.3f (goal <= 1.10)\n", median(wallRatios), median(cpuRatios));
    return 0;
}
