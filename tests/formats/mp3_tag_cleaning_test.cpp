// What the MP3 reader does before libid3tag sees a byte: the probe for MPEG audio, the
// cleaning of ID3v2 tags, and the merging of a file's tags.
#include "support/mp3_fixtures.h"
#include "support/temp_dir.h"

#include "catalog/records/current_tags.h"
#include "formats/mp3/id3v2_tag_cleaner.h"
#include "formats/mp3/mpeg_audio_probe.h"
#include "formats/mp3/mp3_tags.h"
#include "formats/reader_records.h"

#include <gtest/gtest.h>

#include <random>

namespace tunvale::formats {
namespace {

namespace fx = testing::mp3;

fx::Frame text(const std::string &id, const std::string &value) { return {id, fx::latin1Text(value)}; }

std::string bigEndian32(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string syncsafe32(std::uint32_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

// An ID3v2.3 frame body compressed (flag 0x0080) that declares inflated bytes.
fx::Frame compressedV23(const std::string &id, std::uint32_t inflated)
{
    return {id, bigEndian32(inflated) + fx::zlibStored(fx::latin1Text("x")), 0x0080};
}

bool probe(const std::string &bytes) { return looksLikeMpegAudio(asBytes(bytes), bytes.size()); }

TEST(MpegAudioProbe, TagOrFramesOfOneStream)
{
    std::mt19937 random(99);
    std::string noise(100000, '\0');
    for (char &c : noise)
        c = static_cast<char>(random() & 0xFF);
    // MPEG-2 layer III, 64 kbit/s, 22050 Hz: 72 * 64000 / 22050 = 208 bytes a frame.
    std::string mpeg2;
    for (int i = 0; i < 3; ++i)
        mpeg2 += std::string("\xFF\xF3\x80\xC4", 4) + std::string(204, static_cast<char>(i + 1));
    const std::string frames = fx::mpegFrames(3);
    const std::string oneFrame = fx::mpegFrames(1);
    struct Case {
        const char *name;
        std::string bytes;
        bool audio;
    };
    const std::vector<Case> cases = {
        {"empty", "", false},
        {"text", "Dear diary, today I renamed a letter to .mp3\n", false},
        {"noise", noise, false},
        {"ID3v2.3 header", fx::id3v2Tag(3, {text("TIT2", "t")}), true},
        {"ID3 magic of version 5", std::string("ID3\x05\x00\x00\x00\x00\x00\x10", 10) + std::string(16, 'A'), false},
        {"three MPEG-1 frames", frames, true},
        {"three MPEG-2 frames", mpeg2, true},
        {"frames after some junk", std::string(30000, 'j') + frames, true},
        {"frames past the first 64 KiB", std::string(70000, 'j') + frames, false},
        {"one frame filling the file", oneFrame, true},
        {"one frame, then an ID3v1 tag", oneFrame + fx::id3v1Tag("t", "a", "", "", "", 0, 255), true},
        {"a header whose next frame is missing", oneFrame + std::string(1000, 'x'), false},
        {"a bare 12-bit sync", std::string("\xFF\xE0\x00\x00", 4) + std::string(2000, '\0'), false},
        {"frames of two streams in turn", oneFrame + mpeg2.substr(0, 208) + oneFrame + mpeg2.substr(0, 208) +
                                              std::string(1000, 'x'), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(probe(c.bytes), c.audio) << c.name;
}

TEST(Id3v2TagCleaner, InflatedSizeLimits)
{
    struct Case {
        const char *name;
        std::vector<fx::Frame> frames;
        std::size_t dropped;
    };
    const std::uint32_t limit = kMaxInflatedFrame;
    const std::vector<Case> cases = {
        {"a frame at the limit", {compressedV23("TIT2", limit)}, 0},
        {"a frame past it", {compressedV23("TIT2", limit + 1)}, 1},
        {"the fifth frame at the limit passes the tag's", {compressedV23("TIT1", limit), compressedV23("TIT2", limit),
          compressedV23("TIT3", limit), compressedV23("TPE1", limit), compressedV23("TPE2", limit)}, 1},
        {"a compressed frame too short for its size field", {{"TIT2", "ab", 0x0080}}, 1},
    };
    for (const Case &c : cases) {
        const std::string tag = fx::id3v2Tag(3, c.frames);
        const auto clean = cleanId3v2Tag(asBytes(tag));
        ASSERT_TRUE(clean) << c.name;
        EXPECT_EQ(clean->droppedFrames, c.dropped) << c.name;
    }
    // ID3v2.4: the inflated size is the data length indicator (flag 0x0001), after a grouping byte.
    const std::string v24 = fx::id3v2Tag(4, {{"TIT2", "G" + syncsafe32(limit + 1) + fx::zlibStored("x"), 0x0049},
                                             {"TPE1", syncsafe32(2) + fx::zlibStored("xy"), 0x0009}});
    const auto clean = cleanId3v2Tag(asBytes(v24));
    ASSERT_TRUE(clean);
    EXPECT_EQ(clean->droppedFrames, 1u);
}

class Mp3TagCleaning : public ::testing::Test, protected testing::ReaderRecords {
protected:
    catalog::CurrentTags read(const std::string &bytes)
    {
        const std::filesystem::path path = m_dir / "file.mp3";
        testing::writeFile(path, bytes);
        const ReadResult result = readTags(ReadMp3Tags, path, m_options);
        EXPECT_TRUE(result.ok()) << statusText(result);
        return currentTags();
    }

    testing::TempDir m_dir;
    catalog::LoadOptions m_options{false, false};
    const std::string m_audio = fx::mpegFrames(3);
};

// Damage that made the library drop the whole tag (or read past its buffer) now costs at most
// the damaged frame.
TEST_F(Mp3TagCleaning, DamageCostsOnlyTheDamagedFrame)
{
    std::string stray = fx::id3v2Tag(3, {text("TIT2", "title"), text("TPE1", "band")});
    stray += "\x01\x02\x03";
    stray[9] = static_cast<char>(stray[9] + 3);
    std::string cut = fx::id3v2Tag(4, {text("TIT2", "title"), text("TPE1", "band"), text("TALB", "album")});
    cut.resize(cut.size() - 3);
    cut[9] = static_cast<char>(cut[9] - 3);
    struct Case {
        const char *name;
        std::string tag;
    };
    const std::vector<Case> cases = {
        {"stray bytes after the last frame", stray},
        {"the last frame cut by the end of the tag", cut},
        {"ID3v2.3 unsynchronised, data ending in FF 00",
         fx::unsynchronised(fx::id3v2Tag(3, {text("TIT2", "title"), text("TPE1", "band")}) + "\xFF")},
        {"ID3v2.4 frame unsynchronised, data ending in FF 00",
         fx::id3v2Tag(4, {text("TIT2", "title"), text("TPE1", "band"),
                          {"TXXX", std::string("\0d\0", 3) + "x\xFF\x00", 0x0002}})},
        {"a frame with a misnamed identifier", fx::id3v2Tag(3, {text("TIT2", "title"), text("t!t3", "x"),
                                                              text("TPE1", "band")})},
        {"a frame inflating past the limit",
         fx::id3v2Tag(3, {text("TIT2", "title"), compressedV23("COMM", kMaxInflatedFrame + 1), text("TPE1", "band")})},
        {"ID3v2.4 compression without a data length",
         fx::id3v2Tag(4, {text("TIT2", "title"), {"COMM", fx::zlibStored(fx::comment("", "c")), 0x0008},
                          text("TPE1", "band")})},
        {"ID3v2.3 extended header", [] {
             std::string tag = fx::id3v2Tag(3, {text("TIT2", "title"), text("TPE1", "band")}, 0, 0x40);
             const std::string extended("\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00", 10);
             tag.insert(10, extended);
             tag[9] = static_cast<char>(tag[9] + 10);
             return tag;
         }()},
    };
    for (const Case &c : cases) {
        const catalog::CurrentTags tags = read(c.tag + m_audio);
        EXPECT_EQ(tags.Title.str(), "Title") << c.name;
        EXPECT_EQ(tags.Artist.str(), "Band") << c.name;
    }
}

// The tags of a file merge as the library's own file reading merged them.
TEST_F(Mp3TagCleaning, TagsOfAFileMerge)
{
    const std::string v1 = fx::id3v1Tag("v1 title", "v1 band", "v1 album", "1999", "", 0, 255);
    const std::string front = fx::id3v2Tag(3, {text("TIT2", "front title")});
    // An ID3v2.4 tag appended at the end, found by its footer ("3DI"); flags: footer (0x10),
    // and extended header (0x40) for the update.
    const auto appended = [](const std::vector<fx::Frame> &frames, bool update) {
        std::string tag = fx::id3v2Tag(4, frames, 0, update ? 0x50 : 0x10);
        if (update) {
            tag.insert(10, std::string("\x00\x00\x00\x06\x01\x40", 6));   // size 6, one flag byte: update
            std::string size = syncsafe32(static_cast<std::uint32_t>(tag.size() - 10));
            tag.replace(6, 4, size);
        }
        std::string footer = tag.substr(0, 10);
        footer.replace(0, 3, "3DI");
        return tag + footer;
    };
    struct Case {
        const char *name;
        std::string bytes;
        const char *title;
        const char *artist;
    };
    const std::vector<Case> cases = {
        {"ID3v1 only", m_audio + v1, "V1 title", "V1 band"},
        {"ID3v2 replaces ID3v1", front + m_audio + v1, "Front title", ""},
        {"an unreadable ID3v2 leaves ID3v1", std::string("ID3\x02\x00\x40\x00\x00\x00\x05", 10) + "abcde" + m_audio + v1,
         "V1 title", "V1 band"},
        {"an appended tag replaces the front one", front + m_audio + appended({text("TPE1", "back band")}, false),
         "", "Back band"},
        {"an appended update adds to it", front + m_audio + appended({text("TPE1", "back band")}, true) + v1,
         "Front title", "Back band"},
    };
    for (const Case &c : cases) {
        const catalog::CurrentTags tags = read(c.bytes);
        EXPECT_EQ(tags.Title.str(), c.title) << c.name;
        EXPECT_EQ(tags.Artist.str(), c.artist) << c.name;
    }
}

} // namespace
} // namespace tunvale::formats
