#include "formats/taglib/regular_file_stream.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
using tunvale::formats::RegularFile;
using tunvale::formats::RegularFileStream;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

TagLib::ByteVector bytes(const std::string &s) { return TagLib::ByteVector(s.data(), static_cast<unsigned int>(s.size())); }
std::string text(const TagLib::ByteVector &v) { return std::string(v.data(), v.size()); }

// Inserts and removals of every size relation, checked against the same edit on a string.
TEST(RegularFileStream, EditsMatchTheSameEditsOnAString)
{
    TempDir dir;
    const fs::path path = dir / "file.bin";
    std::mt19937 random(7);
    std::string model(300000, '\0');
    for (char &c : model)
        c = static_cast<char>(random());
    writeFile(path, model);
    RegularFile file;
    ASSERT_TRUE(file.open(path, RegularFile::Access::ReadWrite));
    RegularFileStream stream(file, path, true);

    for (int step = 0; step < 200; ++step) {
        const unsigned long start = random() % (model.size() + 1);
        const unsigned long length = random() % 3000;
        std::string data(random() % 3000, static_cast<char>('a' + step % 26));
        switch (step % 4) {
        case 0: // grow, shrink or overwrite in place
        case 1: {
            const unsigned long replace = std::min<unsigned long>(length, model.size() - start);
            stream.insert(bytes(data), start, length);
            model.replace(start, replace, data);
            break;
        }
        case 2: {
            stream.removeBlock(start, length);
            model.erase(start, std::min<unsigned long>(length, model.size() - start));
            break;
        }
        case 3: {
            stream.seek(static_cast<long>(start));
            EXPECT_EQ(text(stream.readBlock(length)), model.substr(start, length)) << "step " << step;
            break;
        }
        }
        ASSERT_EQ(stream.length(), static_cast<long>(model.size())) << "step " << step;
    }
    EXPECT_FALSE(stream.failed());
    file.close();
    EXPECT_EQ(readFile(path), model);
}

TEST(RegularFileStream, ReadsNeverReturnMoreThanTheFileHolds)
{
    TempDir dir;
    const fs::path path = dir / "small.bin";
    writeFile(path, "0123456789");
    RegularFile file;
    ASSERT_TRUE(file.open(path, RegularFile::Access::Read));
    RegularFileStream stream(file, path, false);
    stream.seek(4);
    // A damaged length asking for 2 GiB gets the six bytes that are there.
    EXPECT_EQ(text(stream.readBlock(0x7FFFFFFFul)), "456789");
    EXPECT_EQ(stream.tell(), 10);
    EXPECT_TRUE(stream.readBlock(100).isEmpty());
    stream.seek(-3, RegularFileStream::End);
    EXPECT_EQ(text(stream.readBlock(2)), "78");
    stream.seek(-100, RegularFileStream::Current);
    EXPECT_EQ(stream.tell(), 0);
    EXPECT_FALSE(stream.failed());
    // A stream over a file opened for reading refuses writes and says so.
    stream.insert(bytes("x"), 0, 0);
    EXPECT_TRUE(stream.failed());
    file.close();
    EXPECT_EQ(readFile(path), "0123456789");
}

} // namespace
