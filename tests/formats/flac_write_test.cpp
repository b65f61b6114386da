#include "formats/flac/flac_tags.h"

#include "formats/flac_fixtures.h"
#include "support/audio_tools.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>

namespace {

using tunvale::testing::callWriter;

namespace fs = std::filesystem;
namespace flac = tunvale::testing::flac;
using tunvale::formats::WriteFlacTags;
using tunvale::testing::haveMutagen;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::runPython;
using tunvale::testing::giveToUnprivileged;
using tunvale::testing::runUnprivileged;
using tunvale::testing::UnprivilegedRun;

// The comments of a file as metaflac exports them, one "KEY=value" per line.
std::string exportedComments(const fs::path &file)
{
    std::string out;
    flac::metaflac("--export-tags-to=-", file, &out);
    return out;
}

std::string blockTypes(const fs::path &file)
{
    std::string out;
    flac::metaflac("--list", file, &out);
    std::string types;
    std::size_t pos = 0;
    while ((pos = out.find("\n  type: ", pos)) != std::string::npos) {
        pos += 9;
        const std::size_t end = out.find('\n', pos);
        const std::string line = out.substr(pos, end - pos);
        if (line.find('(') != std::string::npos && line.find("Cover") == std::string::npos &&
            line.find("Other") == std::string::npos)
            types += line.substr(line.find('(') + 1, line.find(')') - line.find('(') - 1) + " ";
    }
    return types;
}

int pictureBlocks(const fs::path &file)
{
    const std::string types = blockTypes(file);
    int count = 0;
    for (std::size_t pos = 0; (pos = types.find("PICTURE", pos)) != std::string::npos; pos += 7)
        ++count;
    return count;
}

class FlacWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!flac::haveFlacTools())
            GTEST_SKIP() << "flac and metaflac are needed";
        m_source = m_dir / "source.flac";
        m_audio = flac::makeAudio(44100, 2, 16, 30000);
        ASSERT_TRUE(flac::encodeFlac(m_source, m_audio));
        ASSERT_TRUE(flac::setComments(m_source, {"TITLE=First Title", "ALBUM=Kept Album", "title=Second Title",
                                                 "ARTIST=Old Artist", "TRACKNUMBER=3/9"}));
        ASSERT_TRUE(flac::addPicture(m_source, 3, "front", m_dir.path()));
        ASSERT_TRUE(flac::addPicture(m_source, 4, "back", m_dir.path(), 5000));
        flac::metaflac("--show-md5sum", m_source, &m_md5);
        m_sourceBytes = readFile(m_source);
    }

    fs::path copyOfSource(const std::string &name)
    {
        const fs::path copy = m_dir / name;
        fs::copy_file(m_source, copy, fs::copy_options::overwrite_existing);
        return copy;
    }

    // The rewritten copy is a valid FLAC file holding the same audio, and the source is untouched.
    void expectAudioIntact(const fs::path &copy)
    {
        EXPECT_EQ(runCommand("flac -s -t " + flac::quote(copy.string()) + " 2>&1"), 0) << "flac -t failed";
        std::string md5;
        flac::metaflac("--show-md5sum", copy, &md5);
        EXPECT_EQ(md5, m_md5);
        std::vector<std::int32_t> samples;
        ASSERT_TRUE(flac::decodeWithFlacTool(copy, 16, samples));
        EXPECT_TRUE(samples == m_audio.samples) << "decoded audio changed";
        EXPECT_TRUE(readFile(m_source) == m_sourceBytes) << "source changed";
    }

    tunvale::testing::TempDir m_dir;
    fs::path m_source;
    flac::RawAudio m_audio;
    std::string m_md5;
    std::string m_sourceBytes;
};

TEST_F(FlacWrite, NothingToDoSucceedsWithoutOpening)
{
    // The path does not exist: only a call that never opens it can succeed.
    EXPECT_EQ(callWriter(WriteFlacTags, m_dir / "does-not-exist.flac", u"", u"", 0, 0, false), 1);
    EXPECT_EQ(callWriter(WriteFlacTags, fs::path(), u"Title", u"", 0, 0, false), 0);
    EXPECT_EQ(callWriter(WriteFlacTags, m_dir / "does-not-exist.flac", u"Title", u"", 0, 0, false), 0);
    tunvale::testing::writeFile(m_dir / "not-flac.flac", std::string(1000, 'z'));
    EXPECT_EQ(callWriter(WriteFlacTags, m_dir / "not-flac.flac", u"Title", u"", 0, 0, true), 0);
    EXPECT_EQ(callWriter(WriteFlacTags, m_dir.path(), u"Title", u"", 0, 0, true), 0); // a folder
}

// Every comment of a key is replaced by one entry: the first keeps its place, the others go.
TEST_F(FlacWrite, TitleArtistAndTrackReplaceAllTheirComments)
{
    const fs::path copy = copyOfSource("copy.flac");
    ASSERT_EQ(callWriter(WriteFlacTags, copy, u"New Title", u"Caf\u00e9 \u00d1and\u00fa", 5, 12, false), 1);
    EXPECT_EQ(exportedComments(copy), "TITLE=New Title\n"
                                      "ALBUM=Kept Album\n"
                                      "ARTIST=Caf\xC3\xA9 \xC3\x91" "and\xC3\xBA\n"
                                      "TRACKNUMBER=5\n"
                                      "TRACKTOTAL=12\n");
    EXPECT_EQ(pictureBlocks(copy), 2);   // pictures kept
    expectAudioIntact(copy);
}

TEST_F(FlacWrite, OnlyTheGivenValuesChange)
{
    struct Case {
        const char *name;
        std::u16string title, artist;
        int track, total;
        const char *comments;
    };
    const Case cases[] = {
        {"track only", u"", u"", 8, 0,
         "TITLE=First Title\nALBUM=Kept Album\ntitle=Second Title\nARTIST=Old Artist\nTRACKNUMBER=8\n"},
        {"total only", u"", u"", 0, 20,
         "TITLE=First Title\nALBUM=Kept Album\ntitle=Second Title\nARTIST=Old Artist\nTRACKNUMBER=3/9\n"
         "TRACKTOTAL=20\n"},
        {"negative numbers are left alone", u"", u"", -1, -5,
         "TITLE=First Title\nALBUM=Kept Album\ntitle=Second Title\nARTIST=Old Artist\nTRACKNUMBER=3/9\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path copy = copyOfSource("only.flac");
        ASSERT_EQ(callWriter(WriteFlacTags, copy, c.title, c.artist, c.track, c.total, false), 1);
        EXPECT_EQ(exportedComments(copy), c.comments);
        expectAudioIntact(copy);
    }
}

TEST_F(FlacWrite, PicturesAreDeleted)
{
    const fs::path copy = copyOfSource("nopics.flac");
    ASSERT_NE(blockTypes(copy).find("PICTURE"), std::string::npos);
    ASSERT_EQ(callWriter(WriteFlacTags, copy, u"", u"", 0, 0, true), 1);
    EXPECT_EQ(blockTypes(copy).find("PICTURE"), std::string::npos) << blockTypes(copy);
    EXPECT_EQ(exportedComments(copy), exportedComments(m_source));
    expectAudioIntact(copy);

    // Together with new comments, in one pass.
    const fs::path both = copyOfSource("both.flac");
    ASSERT_EQ(callWriter(WriteFlacTags, both, u"Both", u"", 1, 0, true), 1);
    EXPECT_EQ(blockTypes(both).find("PICTURE"), std::string::npos);
    EXPECT_NE(exportedComments(both).find("TITLE=Both\n"), std::string::npos);
    expectAudioIntact(both);
}

// A comment block that outgrows the padding makes libFLAC rewrite the whole file.
TEST_F(FlacWrite, GrowingPastThePaddingRewritesTheFileSafely)
{
    const fs::path copy = m_dir / "nopad.flac";
    ASSERT_TRUE(flac::encodeFlac(copy, m_audio, "--no-padding"));
    const std::u16string longTitle(20000, u'x');
    ASSERT_EQ(callWriter(WriteFlacTags, copy, longTitle, u"", 0, 0, false), 1);
    EXPECT_NE(exportedComments(copy).find("TITLE=" + std::string(20000, 'x')), std::string::npos);
    expectAudioIntact(copy);
}

// Without a comment block the values would be lost while success is reported: one is added.
TEST_F(FlacWrite, AFileWithoutCommentBlockGetsOne)
{
    const fs::path copy = copyOfSource("nocomments.flac");
    ASSERT_EQ(flac::metaflac("--remove --block-type=VORBIS_COMMENT", copy), 0);
    ASSERT_EQ(blockTypes(copy).find("VORBIS_COMMENT"), std::string::npos);
    ASSERT_EQ(callWriter(WriteFlacTags, copy, u"Added", u"Someone", 4, 0, true), 1);
    EXPECT_EQ(exportedComments(copy), "TITLE=Added\nARTIST=Someone\nTRACKNUMBER=4\n");
    EXPECT_EQ(blockTypes(copy).rfind("STREAMINFO VORBIS_COMMENT", 0), 0u) << blockTypes(copy);
    expectAudioIntact(copy);
    // Removing pictures alone adds nothing.
    const fs::path bare = copyOfSource("bare.flac");
    ASSERT_EQ(flac::metaflac("--remove --block-type=VORBIS_COMMENT", bare), 0);
    ASSERT_EQ(callWriter(WriteFlacTags, bare, u"", u"", 0, 0, true), 1);
    EXPECT_EQ(blockTypes(bare).find("VORBIS_COMMENT"), std::string::npos);
}

TEST_F(FlacWrite, ReadOnlyFileIsRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "read-only attribute test is POSIX only";
#else
    // Run by an unprivileged user (root gives up its rights in a child process first), on
    // copies that user owns in a folder of theirs: only the read-only bit stands in the way.
    const fs::path folder = m_dir / "owned";
    fs::create_directory(folder);
    fs::permissions(m_dir.path(), fs::perms::others_exec, fs::perm_options::add);
    const fs::path copy = copyOfSource("owned/readonly.flac");
    const fs::path writable = copyOfSource("owned/writable.flac");
    fs::permissions(copy, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const fs::path &path : {folder, copy, writable})
        ASSERT_TRUE(giveToUnprivileged(path)) << path;
    const UnprivilegedRun run = runUnprivileged([&] {
        return std::to_string(callWriter(WriteFlacTags, copy, u"Title", u"", 0, 0, false)) + " "
            + std::to_string(callWriter(WriteFlacTags, writable, u"Title", u"", 0, 0, false));
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "0 1") << "refused while read-only, written where the same user may write";
    EXPECT_TRUE(readFile(copy) == m_sourceBytes);
#endif
}

// An independent reader (mutagen) sees what was written.
TEST_F(FlacWrite, MutagenReadsTheRewrittenCopy)
{
    if (!haveMutagen())
        GTEST_SKIP() << "mutagen is needed";
    const fs::path copy = copyOfSource("mutagen.flac");
    ASSERT_EQ(callWriter(WriteFlacTags, copy, u"\u00c9t\u00e9 \u20ac", u"Artist", 2, 10, true), 1);
    std::string out;
    ASSERT_EQ(runPython("import sys; from mutagen.flac import FLAC; f = FLAC(sys.argv[1]); "
                        "print(repr((f['title'], f['artist'], f['tracknumber'], f['tracktotal'], len(f.pictures), "
                        "f.info.total_samples)))",
                        {copy.string()}, &out),
              0);
    EXPECT_EQ(out, "(['\u00c9t\u00e9 \u20ac'], ['Artist'], ['2'], ['10'], 0, 30000)\n");
}

} // namespace
