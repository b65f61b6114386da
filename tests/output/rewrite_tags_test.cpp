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
    struct Case {
        const char *path;
        const char *writer;   // nullptr: no writer, the rewrite fails
    };
    const Case cases[] = {
        {"/dst/Group/01 - A - T.mp3", "mp3"},
        {"/dst/Group/Song.MP3", "mp3"},
        {"/dst/Group/Song.flac", "flac"},
        {"/dst/Group/Song.FLAC", "flac"},
        {"/dst/Group/Song.wav", "wave"},
        {"/dst/Group/Song.Wav", "wave"},
        {"/dst/Group/Song.aiff", "aiff"},
        {"/dst/Group/Song.AIF", "aiff"},
        {"/dst/Group/Song.ogg", nullptr},
        {"/dst/Group/Song.mp3.bak", nullptr},
        {"/dst/Group/mp3", nullptr},
        {"/dst/Group.mp3/Song", nullptr},   // the folder's extension does not count
    };
    for (const Case &c : cases) {
        writerCalls().clear();
        const int result = RewriteTags(c.path, u"Title", u"Artist", 3, 12, true);
        if (c.writer == nullptr) {
            EXPECT_EQ(result, 0) << c.path;
            EXPECT_TRUE(writerCalls().empty()) << c.path;
            continue;
        }
        EXPECT_NE(result, 0) << c.path;
        ASSERT_EQ(writerCalls().size(), 1u) << c.path;
        EXPECT_EQ(writerCalls()[0].writer, c.writer) << c.path;
    }
}

TEST(RewriteTags, HandsOverTheValuesAndTheWritersResult)
{
    RecordingWriters writers;
    EXPECT_NE(RewriteTags("/dst/G/Song.flac", u"T\u00eftle", u"\u00c4rtist", 20, 120, false), 0);
    ASSERT_EQ(writerCalls().size(), 1u);
    const testing::WriterCall &call = writerCalls()[0];
    EXPECT_EQ(call.path, std::filesystem::path("/dst/G/Song.flac"));
    EXPECT_EQ(call.title, u"T\u00eftle");
    EXPECT_EQ(call.artist, u"\u00c4rtist");
    EXPECT_EQ(call.track, 20);
    EXPECT_EQ(call.total, 120);
    EXPECT_FALSE(call.removePictures);

    fakeWriterResult() = 0;
    EXPECT_EQ(RewriteTags("/dst/G/Song.wav", u"T", u"A", 0, 0, true), 0);
}

TEST(RewriteTags, ScopedWritersAreRestored)
{
    {
        RecordingWriters writers;
    }
    // The format handlers' writers again: nothing is recorded and a missing file fails.
    writerCalls().clear();
    EXPECT_EQ(RewriteTags("/nonexistent-tunvale-folder/Song.mp3", u"T", u"A", 1, 2, false), 0);
    EXPECT_TRUE(writerCalls().empty());
}

} // namespace
} // namespace tunvale::output
