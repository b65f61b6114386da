#include "fake_tag_writers.h"
#include "output/rewrite_tags.h"

#include <gtest/gtest.h>

namespace tunvale::output {
namespace {

using testing::fakeWriterResult;
using testing::RecordingWriters;
using testing::writerCalls;

TEST(RewriteTags, DispatchesByLowerCaseExtension)
{
    RecordingWriters writers;
    formats::io::WorkNames names;
    struct Case {
        const char *path;
        const char *writer;   // nullptr: no writer, the rewrite fails
    };
    const Case cases[] = {
        {"/dst/Group/01 - A - T.mp3", "mp3"}, {"/dst/Group/Song.MP3", "mp3"},
        {"/dst/Group/Song.flac", "flac"},     {"/dst/Group/Song.FLAC", "flac"},
        {"/dst/Group/Song.wav", "wav"},       {"/dst/Group/Song.Wav", "wav"},
        {"/dst/Group/Song.aiff", "aiff"},     {"/dst/Group/Song.AIF", "aiff"},
        {"/dst/Group/Song.ogg", "ogg"},       {"/dst/Group/Song.OGA", "ogg"},
        {"/dst/Group/Song.opus", "opus"},     {"/dst/Group/Song.m4a", "m4a"},
        {"/dst/Group/Song.mp4", "m4a"},       {"/dst/Group/Song.wma", nullptr},
        {"/dst/Group/Song.mp3.bak", nullptr},
        {"/dst/Group/mp3", nullptr},          {"/dst/Group.mp3/Song", nullptr}, // the folder's extension does not count
    };
    for (const Case &c : cases) {
        writerCalls().clear();
        const formats::WriteResult result =
            RewriteTags(c.path, c.path, {u"Title", u"Artist", 3, 12, true}, names, writers.writer());
        if (c.writer == nullptr) {
            EXPECT_FALSE(result.written) << c.path;
            EXPECT_TRUE(writerCalls().empty()) << c.path;
            continue;
        }
        EXPECT_TRUE(result.written) << c.path;
        ASSERT_EQ(writerCalls().size(), 1u) << c.path;
        EXPECT_EQ(writerCalls()[0].writer, c.writer) << c.path;
    }
}

// A work file is retagged by the writer of the name it is going to take.
TEST(RewriteTags, HandsOverTheValuesAndTheWritersResult)
{
    RecordingWriters writers;
    formats::io::WorkNames names;
    const formats::TagChanges changes{u"T\u00eftle", u"\u00c4rtist", 20, 120, false};
    EXPECT_TRUE(RewriteTags("/dst/G/.tunvale-x-1.part", "/dst/G/Song.flac", changes, names, writers.writer()).written);
    ASSERT_EQ(writerCalls().size(), 1u);
    const testing::WriterCall &call = writerCalls()[0];
    EXPECT_EQ(call.writer, "flac");
    EXPECT_EQ(call.path, std::filesystem::path("/dst/G/.tunvale-x-1.part"));
    EXPECT_EQ(call.title, u"T\u00eftle");
    EXPECT_EQ(call.artist, u"\u00c4rtist");
    EXPECT_EQ(call.track, 20);
    EXPECT_EQ(call.total, 120);
    EXPECT_FALSE(call.removePictures);

    fakeWriterResult() = 0;
    EXPECT_FALSE(
        RewriteTags("/dst/G/Song.wav", "/dst/G/Song.wav", {u"T", u"A", 0, 0, true}, names, writers.writer()).written);
}

TEST(RewriteTags, WithoutStandInTheFormatsWritersWrite)
{
    RecordingWriters writers;
    formats::io::WorkNames names;
    // The format handlers' writers: nothing is recorded and a missing file fails.
    const std::filesystem::path missing = "/nonexistent-tunvale-folder/Song.mp3";
    EXPECT_FALSE(RewriteTags(missing, missing, {u"T", u"A", 1, 2, false}, names).written);
    EXPECT_TRUE(writerCalls().empty());
}

} // namespace
} // namespace tunvale::output
