#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"

#include <gtest/gtest.h>

#include <set>

namespace tunvale::engine {
namespace {

TEST(RunOptions, ValueNamesAndFirstStartDefaults)
{
    const std::vector<std::pair<std::string, int>> expected = {
        {"MP3_FORMAT", 1},     {"FLAC_FORMAT", 1},        {"WAV_FORMAT", 1},   {"AIFF_FORMAT", 1},
        {"OGG_FORMAT", 1},     {"OPUS_FORMAT", 1},        {"M4A_FORMAT", 1},   {"TAG_ID", 1004},
        {"GROUP_ISOLATED", 1}, {"ACCEPT_SIMILITUDES", 1}, {"FILE_REPLACE", 0}, {"REMOVE_PICTS", 0},
        {"ADD_ARTIST", 1},     {"ADD_COMPOSER", 1},       {"NEWFILENAMES", 1}, {"TAGSFROMNAME", 1},
        {"ALPHA_TRACK", 1},    {"IDC_TRk_INCREMENT", 1},  {"MP3_CONVERT", 0},  {"MP3_QUALITY", 1}};
    const auto fields = optionFields();
    ASSERT_EQ(fields.size(), expected.size());
    RunOptions defaults;
    std::set<const std::int32_t *> distinct;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].valueName, expected[i].first);
        EXPECT_EQ(fields[i].firstStartDefault, expected[i].second) << expected[i].first;
        EXPECT_EQ(fields[i].of(defaults), expected[i].second) << expected[i].first;
        distinct.insert(&fields[i].of(defaults));
        EXPECT_EQ(findOptionField(expected[i].first), &fields[i]);
    }
    EXPECT_EQ(distinct.size(), fields.size());   // every field persisted exactly once
    EXPECT_EQ(findOptionField("SRC_DIR"), nullptr);
}

TEST(RunOptions, CriterionCodes)
{
    const std::vector<std::pair<int, int>> cases = {{1004, 1}, {1005, 2}, {1006, 6}, {1007, 1007}, {1008, 5},
                                                    {1003, 0}, {1009, 0}, {0, 0}, {-1, 0}};
    for (const auto &[tagId, code] : cases)
        EXPECT_EQ(criterionCodeFor(tagId), code) << tagId;
}

TEST(RunOptions, StepForcedIntoRange)
{
    EXPECT_EQ(clampTrackStep(0), 1);
    EXPECT_EQ(clampTrackStep(-4), 1);
    EXPECT_EQ(clampTrackStep(1), 1);
    EXPECT_EQ(clampTrackStep(10), 10);
    EXPECT_EQ(clampTrackStep(25), 10);
}

// The extension list follows the format table, the order the formats are offered in.
TEST(RunOptions, ExtensionsOfTickedFormatsInScanOrder)
{
    RunOptions options;
    EXPECT_EQ(
        sourceExtensions(options),
        (std::vector<std::string>{".mp3", ".flac", ".wav", ".aiff", ".aif", ".ogg", ".oga", ".opus", ".m4a", ".mp4"}));
    options.formatFlags.at("ogg") = 0;
    options.formatFlags.at("m4a") = 0;
    EXPECT_EQ(sourceExtensions(options), (std::vector<std::string>{".mp3", ".flac", ".wav", ".aiff", ".aif", ".opus"}));
    options.formatFlags.at("opus") = 0;
    options.formatFlags.at("mp3") = 0;
    options.formatFlags.at("wav") = 0;
    options.formatFlags.at("flac") = 0;
    EXPECT_EQ(sourceExtensions(options), (std::vector<std::string>{".aiff", ".aif"}));
    options.formatFlags.at("aiff") = 0;
    EXPECT_TRUE(sourceExtensions(options).empty());
}

// Each row of the format table brings its flag, stored under the row's option name, found by
// the row or by its id; an id of no row is refused.
TEST(RunOptions, EveryFormatOfTheTableHasItsFlag)
{
    RunOptions options;
    for (const formats::FormatRow &format : formats::formatTable()) {
        SCOPED_TRACE(std::string(format.id));
        const OptionField *field = findOptionField(format.optionName);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->format, &format);
        EXPECT_EQ(field->field, nullptr);
        EXPECT_EQ(field->firstStartDefault, format.enabledAtFirstStart);
        EXPECT_EQ(&field->of(options), &options.formatFlags.of(format));
        EXPECT_EQ(&options.formatFlags.at(format.id), &options.formatFlags.of(format));
        options.formatFlags.of(format) = 0;
        EXPECT_FALSE(formatEnabled(options, format));
        options.formatFlags.of(format) = 1;
        EXPECT_TRUE(formatEnabled(options, format));
    }
    EXPECT_THROW(options.formatFlags.at("wma"), std::out_of_range);
    options.formatFlags.setAll(0);
    EXPECT_TRUE(sourceExtensions(options).empty());
}

TEST(RunOptions, SnapshotsForLoadersAndPlacement)
{
    RunOptions options;
    options.tagsFromName = 0;
    options.mp3Quality = 7;
    options.trackStep = 10;
    options.removePictures = 1;
    const auto load = options.loadOptions();
    EXPECT_FALSE(load.tagsFromName);
    EXPECT_TRUE(load.acceptSimilitudes);
    const auto place = options.placementOptions();
    EXPECT_FALSE(place.tagsFromName);
    EXPECT_EQ(place.mp3Quality, 7);
    EXPECT_EQ(place.trackStep, 10);
    EXPECT_TRUE(place.removePictures);
    EXPECT_TRUE(place.newFileNames);
    EXPECT_FALSE(place.mp3Convert);
}

} // namespace
} // namespace tunvale::engine

namespace tunvale::engine {
namespace {

TEST(RunOptions, RunStartReadsThreeValuesAgainWithTheirOwnDefaults)
{
    const auto rereads = runStartRereads();
    ASSERT_EQ(rereads.size(), 3u);
    EXPECT_EQ(rereads[0].valueName, "TAG_ID");
    EXPECT_EQ(rereads[0].firstStartDefault, 1004);
    EXPECT_EQ(rereads[1].valueName, "GROUP_ISOLATED");
    EXPECT_EQ(rereads[1].firstStartDefault, 0);
    EXPECT_EQ(rereads[2].valueName, "ACCEPT_SIMILITUDES");
    EXPECT_EQ(rereads[2].firstStartDefault, 1);
    for (const OptionField &f : rereads)
        EXPECT_EQ(findOptionField(f.valueName)->field, f.field);
}

} // namespace
} // namespace tunvale::engine
