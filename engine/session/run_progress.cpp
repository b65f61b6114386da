#include "engine/session/run_progress.h"

#include "engine/session/path_text.h"
#include "engine/session/run_options.h"
#include "formats/format_table.h"

#include <algorithm>
#include <cmath>

namespace tunvale::engine {

double placementCost(const std::filesystem::path &path, const RunOptions &options, const WorkCosts &costs)
{
    if (options.mp3Convert == 0)
        return costs.copy;
    // Placement copies the formats that are never converted and hands everything else to the
    // encoder.
    const formats::FormatRow *format = formats::formatOfExtension(findExtension(path));
    const bool keptAsItIs = format != nullptr && format->openPcm == nullptr;
    return keptAsItIs ? costs.copy : costs.convert;
}

double placementCost(std::span<const std::filesystem::path> paths, const RunOptions &options, const WorkCosts &costs)
{
    double total = 0;
    for (const std::filesystem::path &path : paths)
        total += placementCost(path, options, costs);
    return total;
}

void RunProgress::startLoading(std::int32_t count, double expectedPlacement)
{
    m_phase = RunPhase::Loading;
    m_file = 0;
    m_fileCount = std::max(count, 0);
    m_loadTotal = m_fileCount * m_costs.load;
    m_placeExpected = std::max(expectedPlacement, 0.0);
    m_done = 0;
    m_fileCost = 0;
    m_fileFraction = 0;
    m_placeBase = 0;
    m_reported = -1;
}

WorkProgress RunProgress::startPlacing(std::int32_t count, double placement)
{
    // Loading is complete: its share is what the estimate gave it, and the rest is placement's.
    const double total = m_loadTotal + m_placeExpected;
    m_placeBase = total > 0 ? m_loadTotal / total : 0;
    m_phase = RunPhase::Placing;
    m_file = 0;
    m_fileCount = std::max(count, 0);
    m_placeTotal = std::max(placement, 0.0);
    m_done = 0;
    m_fileCost = 0;
    m_fileFraction = 0;
    return reported();
}

WorkProgress RunProgress::beginFile(double cost)
{
    m_done += m_fileCost;
    m_fileCost = m_phase == RunPhase::Loading ? m_costs.load : std::max(cost, 0.0);
    m_fileFraction = 0;
    if (m_file < m_fileCount)
        ++m_file;
    return reported();
}

std::optional<WorkProgress> RunProgress::fileShare(double fraction)
{
    if (!(fraction >= 0))
        fraction = 0;
    m_fileFraction = std::max(m_fileFraction, std::min(fraction, 1.0));
    const WorkProgress progress = current();
    if (progress.permille == m_reported)
        return std::nullopt;
    m_reported = progress.permille;
    return progress;
}

WorkProgress RunProgress::reported()
{
    const WorkProgress progress = current();
    m_reported = progress.permille;
    return progress;
}

double RunProgress::share() const
{
    const double done = m_done + m_fileCost * m_fileFraction;
    if (m_phase == RunPhase::Loading) {
        const double total = m_loadTotal + m_placeExpected;
        return total > 0 ? done / total : 0;
    }
    const double placed = m_placeTotal > 0 ? done / m_placeTotal : 0;
    return m_placeBase + (1 - m_placeBase) * placed;
}

WorkProgress RunProgress::current() const
{
    WorkProgress progress;
    progress.phase = m_phase;
    progress.file = m_file;
    progress.fileCount = m_fileCount;
    progress.permille = static_cast<std::int32_t>(std::floor(std::clamp(share(), 0.0, 1.0) * 1000));
    return progress;
}

} // namespace tunvale::engine
