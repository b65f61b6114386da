#include "formats/io/file_identity.h"
#include "formats/io/work_files.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <thread>
#include <vector>

namespace tunvale::formats::io {
namespace {

namespace fs = std::filesystem;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

constexpr const char *kToken = "20260101-000000-42-abcdef01";

TEST(WorkFiles, NamesCarryTheRunsTokenAndAreToldApart)
{
    WorkNames names(kToken);
    EXPECT_EQ(names.token(), kToken);
    EXPECT_EQ(names.beside("/d/G/Song.mp3"), fs::path("/d/G/.tunvale-20260101-000000-42-abcdef01-0.part"));
    EXPECT_EQ(names.beside("/d/G/Other.flac"), fs::path("/d/G/.tunvale-20260101-000000-42-abcdef01-1.part"));
    // Each run has a token of its own, and a token of the form the sweep of undo accepts.
    const WorkNames first;
    const WorkNames second;
    EXPECT_NE(first.token(), second.token());
    EXPECT_TRUE(isValidToken(first.token()));

    struct Case {
        const char *name;
        const char *token;
        bool work;
        bool program;
    };
    const Case cases[] = {
        {".tunvale-20260101-000000-42-abcdef01-0.part", kToken, true, true},
        // libFLAC's own temporary file, made from a work file's name
        {".tunvale-20260101-000000-42-abcdef01-7.part.metadata_edit", kToken, true, true},
        {".tunvale-20260101-000000-42-abcdef01-0.part", "20260101-000000-43-abcdef01", false, true},
        {".tunvale-20260101-000000-42-abcdef01-x.part", kToken, false, true},
        {".tunvale-kept", kToken, false, true},
        {".tunvale-20260101-000000-42-abcdef01-0.part", "", false, true},          // no token matches all
        {".tunvale--0.part", "", false, true},
        {".tunvale-../x-0.part", "../x", false, true},                             // not a token
        {"Song.mp3", kToken, false, false},
        {"tunvale-20260101-000000-42-abcdef01-0.part", kToken, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(isWorkFileOf(c.name, c.token), c.work) << c.name << " / " << c.token;
        EXPECT_EQ(isProgramName(c.name), c.program) << c.name;
    }
}

// Several threads of one run asking at once never get the same name.
TEST(WorkFiles, NamesStayDistinctAcrossThreads)
{
    WorkNames names(kToken);
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::vector<fs::path>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&names, &got, t] {
            for (int i = 0; i < kEach; ++i)
                got[t].push_back(names.beside("/d/G/Song.mp3"));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    std::set<fs::path> distinct;
    for (const auto &list : got)
        distinct.insert(list.begin(), list.end());
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(distinct.count(fs::path("/d/G/.tunvale-20260101-000000-42-abcdef01-0.part")), 1u);
}

TEST(WorkFiles, KeptOriginalsMirrorTheirPlaceBelowTheRoot)
{
    const WorkNames names(kToken);
    EXPECT_EQ(keptFolder("/d"), fs::path("/d/.tunvale-kept"));
    EXPECT_EQ(names.keptPath("/d", "/d/G/a.mp3", 0), fs::path("/d/.tunvale-kept/20260101-000000-42-abcdef01/G/a.mp3"));
    EXPECT_EQ(names.keptPath("/d", "/d/G/a.mp3", 2),
              fs::path("/d/.tunvale-kept/20260101-000000-42-abcdef01/G/a.mp3.2"));
    EXPECT_TRUE(names.keptPath("/d", "/e/G/a.mp3", 0).empty());
    EXPECT_TRUE(names.keptPath("/d", "/d/../e/a.mp3", 0).empty());
    EXPECT_TRUE(names.keptPath("/d", "/d", 0).empty());
}

// The no-replace rename refuses every kind of entry at the new name and leaves both as they
// were; to a free name it moves the file, identity and all.
TEST(FileIdentity, RenameNeverReplacesAnything)
{
    TempDir dir;
    writeFile(dir / "work", "new");
    writeFile(dir / "file", "the user's");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "file", dir / "link");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    const FileIdentity work = identityOf(dir / "work");
    ASSERT_TRUE(work.valid);
    for (const char *taken : {"file", "folder", "link", "dangling"}) {
        EXPECT_EQ(renameNoReplace(dir / "work", dir / taken), EEXIST) << taken;
        EXPECT_EQ(identityOf(dir / "work"), work) << taken;
    }
    EXPECT_EQ(readFile(dir / "file"), "the user's");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(renameNoReplace(dir / "work", dir / "free"), 0);
    EXPECT_EQ(identityOf(dir / "free"), work);
    EXPECT_EQ(entryKind(dir / "work"), EntryKind::Missing);
    EXPECT_EQ(renameNoReplace(dir / "work", dir / "again"), ENOENT);
}

// An identity survives its text form; a link has its own identity, never its target's, and
// only the very file made is ever deleted by identity.
TEST(FileIdentity, LinksAreNeverTakenForTheirTargets)
{
    TempDir dir;
    writeFile(dir / "made", "made by the run");
    fs::create_symlink(dir / "made", dir / "link");
    const FileIdentity made = identityOf(dir / "made");
    const FileIdentity link = identityOf(dir / "link");
    ASSERT_TRUE(made.valid);
    ASSERT_TRUE(link.valid);
    EXPECT_TRUE(link.link);
    EXPECT_NE(link, made);
    EXPECT_EQ(identityFromText(identityText(made)), made);
    EXPECT_EQ(identityFromText(identityText(link)), link);
    for (const char *bad : {"-", "", "1:2:3", "1:2:3:4:5", "a:2:3:4", "1:2:3:4 "})
        EXPECT_FALSE(identityFromText(bad).valid) << bad;
    EXPECT_FALSE(identityOf(dir.path()).valid);   // a folder has none

    EXPECT_FALSE(removeIfIdentity(dir / "link", made));   // the link is not the file
    EXPECT_FALSE(removeIfIdentity(dir / "link", link));   // and a link is never deleted as made
    EXPECT_EQ(createExclusive(dir / "made"), EEXIST);
    EXPECT_EQ(createExclusive(dir / "link"), EEXIST);
    EXPECT_EQ(readFile(dir / "made"), "made by the run");
    EXPECT_TRUE(removeIfIdentity(dir / "made", made));
    EXPECT_FALSE(fs::exists(dir / "made"));
}

} // namespace
} // namespace tunvale::formats::io
