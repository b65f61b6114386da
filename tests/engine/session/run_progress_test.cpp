#include "engine/session/run_options.h"
#include "engine/session/run_progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace tunvale::engine {
namespace {

std::vector<int> permilles(const std::vector<WorkProgress> &seen)
{
    std::vector<int> values;
    for (const WorkProgress &p : seen)
        values.push_back(p.permille);
    return values;
}

// Costs: load 3, copy 1, convert 60 (the defaults).
TEST(RunProgress, PhasesAreWeightedByTheirFilesCost)
{
    struct Case {
        const char *what;
        int loadCount;
        double expectedPlacement;
        int placeCount;
        std::vector<double> placeCosts;
        std::vector<int> loading;   // permille before each file is loaded
        std::vector<int> placing;   // at placement start, then before each placed file
    };
    const Case cases[] = {
        // 4 x 3 to load, 4 x 1 to copy: loading is three quarters of the run.
        {"copy run", 4, 4, 4, {1, 1, 1, 1}, {0, 187, 375, 562}, {750, 750, 812, 875, 937}},
        // 2 x 3 to load, 2 x 60 to convert: loading ends at 6/126 of the bar.
        {"conversion run", 2, 120, 2, {60, 60}, {0, 23}, {47, 47, 523}},
        // Half the files could not be loaded: placement shares the rest among the two left,
        // starting where loading ended.
        {"files skipped", 4, 4, 2, {1, 1}, {0, 187, 375, 562}, {750, 750, 875}},
        // An MP3 copied among conversions takes its own small step.
        {"mixed", 2, 61, 2, {1, 60}, {0, 44}, {89, 89, 104}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RunProgress progress;
        progress.startLoading(c.loadCount, c.expectedPlacement);
        std::vector<WorkProgress> loading;
        for (int n = 0; n < c.loadCount; ++n)
            loading.push_back(progress.beginFile());
        EXPECT_EQ(permilles(loading), c.loading);
        EXPECT_EQ(loading.back().file, c.loadCount);
        EXPECT_EQ(loading.back().fileCount, c.loadCount);
        EXPECT_EQ(loading.back().phase, RunPhase::Loading);

        double total = 0;
        for (double cost : c.placeCosts)
            total += cost;
        std::vector<WorkProgress> placing = {progress.startPlacing(c.placeCount, total)};
        for (double cost : c.placeCosts)
            placing.push_back(progress.beginFile(cost));
        EXPECT_EQ(permilles(placing), c.placing);
        EXPECT_EQ(placing.front().file, 0);
        EXPECT_EQ(placing.back().file, c.placeCount);
        EXPECT_EQ(placing.back().fileCount, c.placeCount);
        EXPECT_EQ(placing.back().phase, RunPhase::Placing);
    }
}

// A long file moves the share by its own progress, never back, and only a change of a
// thousandth is reported.
TEST(RunProgress, AFileInWorkMovesTheShare)
{
    RunProgress progress;
    progress.startLoading(2, 120);
    progress.beginFile();
    progress.beginFile();
    progress.startPlacing(2, 120);
    EXPECT_EQ(progress.beginFile(60).permille, 47);
    EXPECT_EQ(progress.fileShare(0.5).value().permille, 285);   // 6/126 + 120/126 x 30/120
    EXPECT_FALSE(progress.fileShare(0.5).has_value());
    EXPECT_FALSE(progress.fileShare(0.5001).has_value());
    EXPECT_FALSE(progress.fileShare(0.2).has_value());          // never goes back
    EXPECT_EQ(progress.fileShare(1.0).value().permille, 523);
    EXPECT_EQ(progress.fileShare(2.0), std::nullopt);            // clamped to the whole file
    const WorkProgress second = progress.beginFile(60);
    EXPECT_EQ(second.permille, 523);
    EXPECT_EQ(second.file, 2);
    EXPECT_EQ(progress.fileShare(1.0).value().permille, 1000);
}

// Odd inputs give a bar at its start, never a division by zero or a share past the end.
TEST(RunProgress, EmptyRunsAndExtraFilesStayInRange)
{
    RunProgress progress;
    progress.startLoading(0, 0);
    EXPECT_EQ(progress.current().permille, 0);
    EXPECT_EQ(progress.startPlacing(0, 0).permille, 0);
    const WorkProgress extra = progress.beginFile(5);
    EXPECT_EQ(extra.file, 0);   // no file beyond the count
    EXPECT_EQ(extra.permille, 0);
    EXPECT_EQ(progress.fileShare(-1.0), std::nullopt);
}

TEST(PlacementCost, ConversionsCostMoreThanCopies)
{
    RunOptions options;
    options.mp3Convert = 0;
    EXPECT_EQ(placementCost("a/x.flac", options), WorkCosts{}.copy);
    options.mp3Convert = 1;
    struct Case { const char *path; double cost; };
    const Case cases[] = {
        {"a/x.mp3", WorkCosts{}.copy},   // MP3 is copied as it is
        {"a/x.MP3", WorkCosts{}.copy},
        {"a/x.flac", WorkCosts{}.convert},
        {"a/x.wav", WorkCosts{}.convert},
        {"a/x.aiff", WorkCosts{}.convert},
        {"a/x.ogg", WorkCosts{}.copy},   // lossy sources are copied, never converted
        {"a/x.m4a", WorkCosts{}.copy},
    };
    for (const Case &c : cases)
        EXPECT_EQ(placementCost(c.path, options), c.cost) << c.path;
    const std::vector<std::filesystem::path> paths = {"x.mp3", "y.flac"};
    EXPECT_EQ(placementCost(paths, options), WorkCosts{}.copy + WorkCosts{}.convert);
}

} // namespace
} // namespace tunvale::engine
