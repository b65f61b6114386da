#include "output/file_copy.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::output {
namespace {

namespace fs = std::filesystem;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

void makeReadOnly(const fs::path &path) { fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove); }

TEST(CopyFile, CopiesWholeFilesOfEverySize)
{
    TempDir dir;
    // Empty, small, and larger than one block between two looks at the cancel flag.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4097}, std::size_t{(8u << 20) + 12345}}) {
        const std::string bytes = randomBytes(size, static_cast<unsigned>(size));
        const fs::path source = dir / ("in-" + std::to_string(size) + ".mp3");
        const fs::path destination = dir / ("out-" + std::to_string(size) + ".mp3");
        writeFile(source, bytes);
        ASSERT_EQ(copyFile(source, destination, true, nullptr), 0) << size;
        EXPECT_TRUE(readFile(destination) == bytes) << size;
        EXPECT_TRUE(readFile(source) == bytes) << size;
        // The modification time travels with the copy, as with the platform's own copy.
        EXPECT_EQ(fs::last_write_time(destination), fs::last_write_time(source));
    }
}

TEST(CopyFile, AcrossFileSystems)
{
    // /dev/shm is usually another file system than the temporary folder: the fast in-kernel
    // copy refuses and the fallbacks take over.
    if (!fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm";
    TempDir dir;
    const std::string bytes = randomBytes(3u << 20, 7);
    writeFile(dir / "in.flac", bytes);
    const fs::path destination = fs::path("/dev/shm") / ("tunvale-copy-test-" + std::to_string(::getpid()) + ".flac");
    fs::remove(destination);
    ASSERT_EQ(copyFile(dir / "in.flac", destination, true, nullptr), 0);
    EXPECT_TRUE(readFile(destination) == bytes);
    fs::remove(destination);
}

TEST(CopyFile, ExistingDestination)
{
    TempDir dir;
    writeFile(dir / "in.mp3", "new bytes");
    writeFile(dir / "taken.mp3", "old");

    // Fail-if-exists: the file already there is untouched.
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "taken.mp3", true, nullptr), copy_error::kFileExists);
    EXPECT_EQ(readFile(dir / "taken.mp3"), "old");

    // Replacing: the new content, and no temporary file left beside it.
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "taken.mp3", false, nullptr), 0);
    EXPECT_EQ(readFile(dir / "taken.mp3"), "new bytes");
    EXPECT_EQ(listTree(dir.path()), (std::vector<std::string>{"in.mp3", "taken.mp3"}));

    // A read-only file is never replaced (whoever runs the program, root included).
    writeFile(dir / "locked.mp3", "keep");
    makeReadOnly(dir / "locked.mp3");
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "locked.mp3", false, nullptr), copy_error::kAccessDenied);
    EXPECT_EQ(readFile(dir / "locked.mp3"), "keep");

    // Nor a folder.
    fs::create_directory(dir / "folder.mp3");
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "folder.mp3", false, nullptr), copy_error::kAccessDenied);
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "folder.mp3", true, nullptr), copy_error::kFileExists);
    EXPECT_TRUE(fs::is_directory(dir / "folder.mp3"));

    // Nor the source itself.
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "in.mp3", false, nullptr), copy_error::kAccessDenied);
    EXPECT_EQ(readFile(dir / "in.mp3"), "new bytes");
}

TEST(CopyFile, SymbolicLinkAtTheDestinationIsNotFollowed)
{
    TempDir dir;
    writeFile(dir / "in.mp3", "payload");
    writeFile(dir / "outside" / "precious.txt", "precious");
    fs::create_directory(dir / "dst");
    fs::create_symlink(dir / "outside" / "precious.txt", dir / "dst" / "Song.mp3");

    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "dst" / "Song.mp3", true, nullptr), copy_error::kFileExists);
    EXPECT_EQ(copyFile(dir / "in.mp3", dir / "dst" / "Song.mp3", false, nullptr), 0);
    // The link itself was replaced by the copy; what it pointed to is untouched.
    EXPECT_FALSE(fs::is_symlink(dir / "dst" / "Song.mp3"));
    EXPECT_EQ(readFile(dir / "dst" / "Song.mp3"), "payload");
    EXPECT_EQ(readFile(dir / "outside" / "precious.txt"), "precious");
}

TEST(CopyFile, ErrorCodes)
{
    TempDir dir;
    writeFile(dir / "in.mp3", "x");
    writeFile(dir / "plain-file", "x");
    struct Case {
        const char *what;
        fs::path source;
        fs::path destination;
        int expected;
    };
    const Case cases[] = {
        {"missing source", dir / "missing.mp3", dir / "out.mp3", copy_error::kFileNotFound},
        {"missing source folder", dir / "nowhere" / "a.mp3", dir / "out.mp3", copy_error::kFileNotFound},
        {"source is a folder", dir.path(), dir / "out.mp3", copy_error::kAccessDenied},
        {"missing destination folder", dir / "in.mp3", dir / "nowhere" / "out.mp3", copy_error::kPathNotFound},
        {"destination folder is a file", dir / "in.mp3", dir / "plain-file" / "out.mp3", copy_error::kPathNotFound},
        {"name too long", dir / "in.mp3", dir / (std::string(300, 'n') + ".mp3"), copy_error::kFileNameTooLong},
    };
    for (const Case &c : cases)
        EXPECT_EQ(copyFile(c.source, c.destination, true, nullptr), c.expected) << c.what;
    EXPECT_EQ(listTree(dir.path()), (std::vector<std::string>{"in.mp3", "plain-file"}));
}

TEST(CopyFile, FifoSourceDoesNotHang)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
    EXPECT_EQ(copyFile(dir / "pipe.mp3", dir / "out.mp3", true, nullptr), copy_error::kAccessDenied);
    EXPECT_FALSE(fs::exists(dir / "out.mp3"));
}

TEST(CopyFile, CancelLeavesNoPartialFile)
{
    TempDir dir;
    writeFile(dir / "in.wav", randomBytes(1u << 20, 3));
    writeFile(dir / "existing.wav", "old");
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(copyFile(dir / "in.wav", dir / "new.wav", true, &cancel), copy_error::kRequestAborted);
    EXPECT_EQ(copyFile(dir / "in.wav", dir / "existing.wav", false, &cancel), copy_error::kRequestAborted);
    EXPECT_EQ(readFile(dir / "existing.wav"), "old");
    EXPECT_EQ(listTree(dir.path()), (std::vector<std::string>{"existing.wav", "in.wav"}));
}

TEST(CopyFile, ClearReadOnly)
{
    TempDir dir;
    writeFile(dir / "a.mp3", "x");
    makeReadOnly(dir / "a.mp3");
    clearReadOnly(dir / "a.mp3");
    EXPECT_NE(fs::status(dir / "a.mp3").permissions() & fs::perms::owner_write, fs::perms::none);
    clearReadOnly(dir / "missing.mp3");   // ignored
}

} // namespace
} // namespace tunvale::output
