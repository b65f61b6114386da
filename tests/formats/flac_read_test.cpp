#include "catalog/text/codepage.h"
#include "formats/flac/flac_tags.h"

#include "formats/flac/flac_file_name.h"
#include "formats/flac/flac_stream_map.h"

#include "formats/flac_fixtures.h"
#include "formats/reader_records.h"
#include "support/temp_dir.h"

#include "formats/writer_calls.h"

#include <gtest/gtest.h>

#include <FLAC/stream_decoder.h>

#include <sys/stat.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace flac = tunvale::testing::flac;
using tunvale::catalog::LoadOptions;
using tunvale::formats::DecodedAudio;
using tunvale::formats::DecodeFlac;
using tunvale::formats::ReadFlacTags;
using tunvale::formats::ReadResult;
using tunvale::formats::ReadStatus;
using tunvale::formats::TrackRead;

class FlacRead : public ::testing::Test, protected tunvale::testing::ReaderRecords {
protected:
    void SetUp() override
    {
        if (!flac::haveFlacTools())
            GTEST_SKIP() << "flac and metaflac are needed";
        m_file = m_dir / "Some File.flac";
        ASSERT_TRUE(flac::encodeFlac(m_file, flac::makeAudio(44100, 2, 16, 2000)));
    }

    // The reader's read, pictures captured when asked, completed with options.
    ReadResult readFlac(const fs::path &path, bool capturePictures, const LoadOptions &options)
    {
        return readWith(path, options.tagsFromName, [&](TrackRead &read, DecodedAudio &audio) {
            return DecodeFlac(path, false, capturePictures, read, audio);
        });
    }
    ReadResult decodeFlac(const fs::path &path)
    {
        return readWith(path, m_noName.tagsFromName, [&](TrackRead &read, DecodedAudio &audio) {
            return DecodeFlac(path, true, false, read, audio);
        });
    }

    tunvale::testing::TempDir m_dir;
    fs::path m_file;
    LoadOptions m_noName{false, false};
};

// Comments written by metaflac, read back through libFLAC, in entry order.
TEST_F(FlacRead, CommentsWrittenByMetaflac)
{
    ASSERT_TRUE(flac::setComments(m_file, {
        "TITLE=Night Train",
        "ARTIST=First Name",
        "ARTISTSORT=Sorted Name",
        "ALBUM=Long Album",
        "PERFORMER=The Soloist",
        "ENSEMBLE=The Orchestra",
        "COMPILATION=1",
        "TRACKNUMBER=7/12",
        "DATE=1999-01-01",
        "DISCNUMBER=2",
        "GENRE=Jazz",
        "UNLISTED=ignored",
    }));
    ASSERT_TRUE(readFlac(m_file, false, m_noName).ok());
    const auto &tags = currentTags();
    EXPECT_EQ(tags.Title.str(), "Night Train");
    EXPECT_EQ(tags.Artist.str(), "Sorted Name");
    EXPECT_EQ(tags.Album.str(), "Long Album");
    EXPECT_EQ(tags.Performer.str(), "The Soloist");
    EXPECT_EQ(tags.Comment.str(), "1");
    EXPECT_EQ(tags.Track, 7);
    EXPECT_EQ(tags.TrackTotal, 0);
    EXPECT_EQ(tags.Year, 1999);
    EXPECT_EQ(tags.Disc, 2);
    EXPECT_EQ(tags.Genre.str(), "Jazz");
    EXPECT_GT(tags.FillScore, 0);   // completion ran
}

TEST_F(FlacRead, EveryReadStartsFromEmptyTags)
{
    ASSERT_TRUE(flac::setComments(m_file, {"TITLE=Something", "TRACKNUMBER=5"}));
    ASSERT_TRUE(readFlac(m_file, false, m_noName).ok());
    ASSERT_EQ(currentTags().Track, 5);

    const fs::path bare = m_dir / "bare.flac";
    ASSERT_TRUE(flac::encodeFlac(bare, flac::makeAudio(44100, 1, 16, 100)));
    ASSERT_EQ(flac::metaflac("--remove --block-type=VORBIS_COMMENT", bare), 0);
    ASSERT_TRUE(readFlac(bare, false, m_noName).ok());
    EXPECT_EQ(currentTags().Track, 0);
    // With tags from the name on, completion runs also without a comment block.
    ASSERT_TRUE(readFlac(bare, false, LoadOptions{true, false}).ok());
    EXPECT_EQ(currentTags().Title.str(), "bare");
}

// Pictures of types 1 to 20 in type order, whatever their order in the file; type 0 never.
TEST_F(FlacRead, PicturesAreCapturedInTypeOrder)
{
    ASSERT_TRUE(flac::addPicture(m_file, 4, "back", m_dir.path()));
    ASSERT_TRUE(flac::addPicture(m_file, 0, "other", m_dir.path()));
    ASSERT_TRUE(flac::addPicture(m_file, 3, "small front", m_dir.path(), 3000, "16x16x24"));
    // A second front cover with a larger declared area: the largest of a type is the one taken.
    ASSERT_TRUE(flac::addPicture(m_file, 3, "Caf\xC3\xA9 front", m_dir.path(), 100, "600x600x24"));

    ASSERT_TRUE(readFlac(m_file, false, m_noName).ok());
    EXPECT_EQ(pictureTable().count(), 0);   // capture off

    ASSERT_TRUE(readFlac(m_file, true, m_noName).ok());
    ASSERT_EQ(pictureTable().count(), 2);
    const auto &front = pictureTable().at(0);
    const auto &back = pictureTable().at(1);
    EXPECT_EQ(front.type, 3);
    EXPECT_EQ(back.type, 4);
    EXPECT_EQ(front.mimeType, "image/png");
    // The description is stored as UTF-8.
    EXPECT_EQ(front.description, tunvale::text::cp1252ToUtf8("Caf\xE9 front"));
    EXPECT_EQ(front.data.size(), 100u);
    EXPECT_EQ(std::string(front.data.begin(), front.data.begin() + 4), "\x89PNG");
    EXPECT_EQ(back.description, "back");
    EXPECT_EQ(back.data.size(), 64u);
}

TEST_F(FlacRead, LoadFlacCataloguesOnlyReadableFiles)
{
    ASSERT_TRUE(flac::setComments(m_file, {"TITLE=Catalogued", "ARTIST=Band Name"}));
    ASSERT_TRUE(load(ReadFlacTags, m_file, m_noName).ok());
    ASSERT_EQ(m_catalog.size(), 1u);
    EXPECT_EQ(m_catalog.at(0).Path, m_file);

    EXPECT_EQ(load(ReadFlacTags, m_dir / "missing.flac", m_noName).status, ReadStatus::CannotOpen);
    tunvale::testing::writeFile(m_dir / "fake.flac", "ID3 this is not audio at all");
    EXPECT_EQ(load(ReadFlacTags, m_dir / "fake.flac", m_noName).status, ReadStatus::NotThisFormat);
    // Neither a FIFO (opening it would wait for a writer) nor a folder is handed to libFLAC.
    ASSERT_EQ(::mkfifo((m_dir / "fifo.flac").c_str(), 0644), 0);
    for (const fs::path &path : {m_dir / "fifo.flac", m_dir.path()}) {
        const ReadResult refused = load(ReadFlacTags, path, m_noName);
        EXPECT_EQ(refused.status, ReadStatus::CannotOpen) << path;
        EXPECT_EQ(statusText(refused), "not a regular file") << path;
        EXPECT_EQ(tunvale::testing::callWriter(tunvale::formats::WriteFlacTags, path, u"Title", u"", 0, 0, false), 0)
            << path;
    }
    EXPECT_EQ(m_catalog.size(), 1u);
}

// Names with spaces, quotes and non-ASCII characters reach libFLAC as the file system's bytes.
TEST_F(FlacRead, FileNamesWithAnyCharacters)
{
    const fs::path odd = m_dir.path() / fs::path(u8"Ünïcødé 'quoted' & $pace.flac");
    fs::copy_file(m_file, odd);
    ASSERT_TRUE(flac::setComments(odd, {"TITLE=Odd Name"}));
    ASSERT_TRUE(readFlac(odd, false, m_noName).ok());
    EXPECT_EQ(currentTags().Title.str(), "Odd Name");
}

// Some taggers put an ID3v2 tag in front of the FLAC stream; libFLAC skips it.
TEST_F(FlacRead, LeadingId3v2TagIsSkipped)
{
    ASSERT_TRUE(flac::setComments(m_file, {"TITLE=Behind Id3"}));
    // "ID3", version 3.0, no flags, syncsafe size 20, then 20 bytes of padding.
    std::string prefixed("ID3\x03\x00\x00\x00\x00\x00\x14", 10);
    prefixed += std::string(20, '\0');
    prefixed += tunvale::testing::readFile(m_file);
    const fs::path path = m_dir / "prefixed.flac";
    tunvale::testing::writeFile(path, prefixed);
    ASSERT_TRUE(readFlac(path, false, m_noName).ok());
    EXPECT_EQ(currentTags().Title.str(), "Behind Id3");
    ASSERT_TRUE(decodeFlac(path).ok());
    EXPECT_EQ(decodedAudio().byteLength, 2000u * 2 * 2);
}

// Padding is never read through: a file whose comments follow 2 GiB of PADDING blocks (holes
// on disk, so the test writes almost nothing) is read in the time of a small one, because its
// decoders are shown STREAMINFO, the blocks they ask for and the audio only.
TEST_F(FlacRead, HugePaddingIsNeverReadThrough)
{
    ASSERT_TRUE(flac::setComments(m_file, {"TITLE=After The Padding"}));
    const std::string bytes = tunvale::testing::readFile(m_file);
    // Split the file into its blocks (a 4-byte header each: last flag and type, 24-bit length).
    std::string streamInfo;
    std::string comments;
    std::size_t pos = 4;
    for (bool last = false; !last;) {
        last = (static_cast<unsigned char>(bytes[pos]) & 0x80) != 0;
        const int type = static_cast<unsigned char>(bytes[pos]) & 0x7F;
        const std::size_t length = (static_cast<unsigned char>(bytes[pos + 1]) << 16)
            | (static_cast<unsigned char>(bytes[pos + 2]) << 8) | static_cast<unsigned char>(bytes[pos + 3]);
        const std::string data = bytes.substr(pos + 4, length);
        if (type == 0)
            streamInfo = data;
        if (type == 4)
            comments = data;
        pos += 4 + length;
    }
    const std::string audio = bytes.substr(pos);
    const auto header = [](int type, bool last, std::size_t length) {
        return std::string{static_cast<char>(type | (last ? 0x80 : 0)), static_cast<char>(length >> 16),
                           static_cast<char>(length >> 8), static_cast<char>(length)};
    };
    const fs::path padded = m_dir / "padded.flac";
    {
        std::ofstream out(padded, std::ios::binary);
        out << "fLaC" << header(0, false, streamInfo.size()) << streamInfo;
        constexpr std::size_t kPadding = (1u << 24) - 1; // the largest block
        for (int i = 0; i < 128; ++i) {
            out << header(1, false, kPadding);
            out.seekp(static_cast<std::streamoff>(kPadding), std::ios::cur); // a hole
        }
        out << header(4, true, comments.size()) << comments << audio;
        ASSERT_TRUE(out.good());
    }
    ASSERT_GT(fs::file_size(padded), std::uintmax_t(2) << 30);

    tunvale::formats::RegularFile file;
    ASSERT_TRUE(file.open(padded, tunvale::formats::RegularFile::Access::Read));
    const auto map = tunvale::formats::mapFlacStream(file);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->blocks.size(), 130u);
    std::uint64_t shown = 0;
    for (const auto &part : tunvale::formats::flacView(*map, {4}, map->audioStart))
        shown += part.length;
    EXPECT_EQ(shown, 4 + 4 + streamInfo.size() + 4 + comments.size() + audio.size());

    ASSERT_TRUE(readFlac(padded, false, m_noName).ok());
    EXPECT_EQ(currentTags().Title.str(), "After The Padding");
    ASSERT_TRUE(decodeFlac(padded).ok());
    const std::vector<std::int16_t> fromPadded = decodedAudio().pcm;
    ASSERT_TRUE(decodeFlac(m_file).ok());
    EXPECT_TRUE(fromPadded == decodedAudio().pcm);
}

TEST(FlacFileName, BytesHandedToLibFlac)
{
    using tunvale::formats::flacFileName;
    using tunvale::formats::kMaxFlacFileName;
    EXPECT_EQ(flacFileName(fs::path(u8"/music/Caf\u00e9.flac")), std::optional<std::string>("/music/Caf\xC3\xA9.flac"));
    EXPECT_FALSE(flacFileName(fs::path()));
    EXPECT_TRUE(flacFileName(fs::path(std::string(kMaxFlacFileName, 'a'))));
    EXPECT_FALSE(flacFileName(fs::path(std::string(kMaxFlacFileName + 1, 'a'))));
    EXPECT_FALSE(flacFileName(fs::path(std::string("a\0b", 3))));
}

} // namespace
