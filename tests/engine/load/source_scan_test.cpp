#include "engine/load/source_scan.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>


namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

std::vector<std::string> relative(const std::vector<fs::path> &files, const fs::path &root)
{
    std::vector<std::string> names;
    for (const fs::path &f : files)
        names.push_back(f.lexically_relative(root).generic_string());
    return names;
}

const std::vector<std::string> kAll = {".mp3", ".wav", ".flac", ".aiff", ".aif"};

TEST(SourceScan, OrderIgnoresAsciiCaseAndDescendsWhereTheFolderFalls)
{
    TempDir dir;
    for (const char *name : {"b.mp3", "A.mp3", "a.mp3", "C/x.MP3", "C/inner/y.wav", "d.flac", ".hidden.mp3",
                             "notes.mp3.bak", "noext", "song.mp3s", "dir.mp3/in.wav", "e.Aif", "f.aiff", "g.mp3 "})
        writeFile(dir / name, "x");
    std::vector<fs::path> files;
    scanSource(dir.path(), kAll, files);
    EXPECT_EQ(relative(files, dir.path()),
              (std::vector<std::string>{".hidden.mp3", "A.mp3", "a.mp3", "b.mp3", "C/inner/y.wav", "C/x.MP3", "d.flac",
                                        "dir.mp3/in.wav", "e.Aif", "f.aiff"}));
}

TEST(SourceScan, OnlyTheGivenExtensions)
{
    TempDir dir;
    for (const char *name : {"a.mp3", "b.aif", "c.AIFF", "d.wav"})
        writeFile(dir / name, "x");
    std::vector<fs::path> files;
    scanSource(dir.path(), {".aiff", ".aif"}, files);
    EXPECT_EQ(relative(files, dir.path()), (std::vector<std::string>{"b.aif", "c.AIFF"}));
    files.clear();
    scanSource(dir.path(), {}, files);
    EXPECT_TRUE(files.empty());
}

TEST(SourceScan, AppendsToTheList)
{
    TempDir dir;
    writeFile(dir / "a.mp3", "x");
    std::vector<fs::path> files = {"/kept/first.mp3"};
    scanSource(dir.path(), kAll, files);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], fs::path("/kept/first.mp3"));
}

TEST(SourceScan, LinkCyclesEndAndLinkedFoldersAreFollowedOnce)
{
    TempDir dir;
    writeFile(dir / "music/a/one.mp3", "x");
    writeFile(dir / "other/two.mp3", "x");
    fs::create_directory_symlink(dir / "music", dir / "music/a/back");   // cycle
    fs::create_directory_symlink(dir / "music/a", dir / "music/a/self");  // points at its own folder
    fs::create_directory_symlink(dir / "other", dir / "music/z-link");    // outside the tree
    std::vector<fs::path> files;
    scanSource(dir / "music", kAll, files);
    EXPECT_EQ(relative(files, dir / "music"), (std::vector<std::string>{"a/one.mp3", "z-link/two.mp3"}));
}

// The run's destination inside its source is not scanned, however it is named; the source
// itself, or a folder outside it, is no reason to leave anything out.
TEST(SourceScan, LeavesOutTheDestinationInsideTheSource)
{
    TempDir dir;
    writeFile(dir / "lib/a.mp3", "x");
    writeFile(dir / "lib/sorted/A/a.mp3", "x");
    writeFile(dir / "lib/sorted2/b.mp3", "x");
    fs::create_directory_symlink(dir / "lib/sorted", dir / "out");
    struct Case {
        const char *label;
        fs::path leaveOut;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {"a.mp3", "sorted/A/a.mp3", "sorted2/b.mp3"}},
        {"a sub-folder", dir / "lib/sorted", {"a.mp3", "sorted2/b.mp3"}},
        {"another spelling", dir / "lib/./sorted2/../sorted", {"a.mp3", "sorted2/b.mp3"}},
        {"a link to it", dir / "out", {"a.mp3", "sorted2/b.mp3"}},
        {"the source itself", dir / "lib", {"a.mp3", "sorted/A/a.mp3", "sorted2/b.mp3"}},
        {"a folder outside", dir.path(), {"a.mp3", "sorted/A/a.mp3", "sorted2/b.mp3"}},
    };
    for (const Case &c : cases) {
        std::vector<fs::path> files;
        scanSource(dir / "lib", kAll, files, c.leaveOut);
        EXPECT_EQ(relative(files, dir / "lib"), c.expected) << c.label;
    }
}

TEST(SourceScan, MissingOrUnreadableFoldersContributeNothing)
{
    TempDir dir;
    std::vector<fs::path> files;
    scanSource(dir / "absent", kAll, files);
    EXPECT_TRUE(files.empty());
    writeFile(dir / "plain.mp3", "x");
    scanSource(dir / "plain.mp3", kAll, files);
    EXPECT_TRUE(files.empty());

    // A folder the user may not read: the scan runs as an unprivileged user (root gives up its
    // rights in a child process first) and reports back the files it found.
    writeFile(dir / "locked/a.mp3", "x");
    writeFile(dir / "open/b.mp3", "x");
    fs::permissions(dir / "locked", fs::perms::none);
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const tunvale::testing::UnprivilegedRun run = tunvale::testing::runUnprivileged([&] {
        std::vector<fs::path> found;
        scanSource(dir.path(), kAll, found);
        std::string lines;
        for (const std::string &name : relative(found, dir.path()))
            lines += name + "\n";
        return lines;
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "open/b.mp3\nplain.mp3\n");
}

TEST(ScanOrder, CaseInsensitiveThenBytes)
{
    EXPECT_TRUE(scanOrderLess("a", "B"));
    EXPECT_TRUE(scanOrderLess("B", "c"));
    EXPECT_TRUE(scanOrderLess("A", "a"));    // tie: byte order puts upper case first
    EXPECT_FALSE(scanOrderLess("a", "A"));
    EXPECT_TRUE(scanOrderLess("ab", "abc"));
    EXPECT_TRUE(scanOrderLess("_x", "ax"));   // '_' (0x5F) before letters once folded to lower case
    EXPECT_FALSE(scanOrderLess("same", "same"));
}

} // namespace
} // namespace tunvale::engine
