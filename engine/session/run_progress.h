#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace tunvale::engine {

struct RunOptions;

// The two phases of a run the front ends show.
enum class RunPhase { Loading, Placing };

// How far a run has come, for a front end to show: the phase, the file being worked on as
// "n of N" within that phase, and the share of the whole run that is done, in thousandths,
// with each phase weighted by what its files cost.
struct WorkProgress {
    RunPhase phase = RunPhase::Loading;
    std::int32_t file = 0;        // 1-based number of the file in work
    std::int32_t fileCount = 0;   // files of the phase
    std::int32_t permille = 0;    // the whole run, 0..1000

    bool operator==(const WorkProgress &) const = default;
};

// What one file costs in each step, in units of one plain copy. Reading a file's tags costs
// about three copies (in a copy run of 3 000 MP3 files three quarters of the time goes to
// loading); encoding a lossless file to MP3 costs far more than copying it.
struct WorkCosts {
    double load = 3.0;
    double copy = 1.0;
    double convert = 60.0;
};

// The placement cost of the file at path under options: a conversion for a file the run
// converts, a copy otherwise.
double placementCost(const std::filesystem::path &path, const RunOptions &options, const WorkCosts &costs = {});
double placementCost(std::span<const std::filesystem::path> paths, const RunOptions &options,
                     const WorkCosts &costs = {});

// The share of a run that is done, from its files' costs. Loading is weighted against the
// placement the loaded files are expected to need; when placement starts, the rest of the
// bar is shared among the files actually loaded, so the share never goes back.
class RunProgress {
public:
    explicit RunProgress(const WorkCosts &costs = {}) : m_costs(costs) {}

    // Loading of count files starts; placing them all is expected to cost expectedPlacement.
    void startLoading(std::int32_t count, double expectedPlacement);
    // Placement of count files, costing placement in all, starts (loading is complete).
    WorkProgress startPlacing(std::int32_t count, double placement);
    // The next file of the phase starts; cost is its weight (ignored while loading: every
    // file costs the same to read).
    WorkProgress beginFile(double cost = 1.0);
    // The file in work is done up to fraction (0..1, a long conversion reports its own
    // progress); empty when the whole run's share has not changed by a thousandth since the
    // last report.
    std::optional<WorkProgress> fileShare(double fraction);

    WorkProgress current() const;

private:
    double share() const;
    WorkProgress reported();

    WorkCosts m_costs;
    RunPhase m_phase = RunPhase::Loading;
    std::int32_t m_file = 0;
    std::int32_t m_fileCount = 0;
    double m_loadTotal = 0;       // cost of loading every file
    double m_placeExpected = 0;   // expected cost of placement, while loading
    double m_placeTotal = 0;      // cost of placing the loaded files
    double m_done = 0;            // cost of the files of the phase that are done
    double m_fileCost = 0;        // cost of the file in work
    double m_fileFraction = 0;    // how much of it is done
    double m_placeBase = 0;       // the run's share when placement started
    std::int32_t m_reported = -1; // last permille reported
};

} // namespace tunvale::engine
