#include "formats/ogg/xiph_comment_packet.h"
#include "formats/ogg/xiph_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using tunvale::catalog::PictureTable;
using tunvale::formats::collectXiphPictures;
using tunvale::formats::parseFlacPictureBlock;
using tunvale::formats::parseXiphComments;
using tunvale::formats::renderXiphComments;
using tunvale::formats::XiphCommentEdit;
using tunvale::formats::XiphCommentPacket;

std::string u32le(std::uint32_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

std::string u32be(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>(v & 0xFF)};
}

// A comment body: vendor, count, entries, then trailing bytes.
std::string body(const std::string &vendor, const std::vector<std::string> &entries, const std::string &trailing = {},
                 std::uint32_t count = UINT32_MAX)
{
    std::string out = u32le(static_cast<std::uint32_t>(vendor.size())) + vendor;
    out += u32le(count == UINT32_MAX ? static_cast<std::uint32_t>(entries.size()) : count);
    for (const std::string &e : entries)
        out += u32le(static_cast<std::uint32_t>(e.size())) + e;
    return out + trailing;
}

std::vector<std::string> entriesOf(const std::string &bytes)
{
    XiphCommentPacket packet;
    EXPECT_TRUE(parseXiphComments(bytes, packet));
    EXPECT_TRUE(packet.complete);
    return {packet.entries.begin(), packet.entries.end()};
}

// Damaged bodies: what is kept, and whether the packet may still be rebuilt.
TEST(XiphCommentPacket, DamagedBodiesKeepWhatParsesAndAreMarkedIncomplete)
{
    struct Case {
        const char *name;
        std::string bytes;
        bool parses;
        bool complete;
        std::size_t entries;
    };
    const std::string whole = body("vendor", {"A=1", "B=2"});
    const std::vector<Case> cases = {
        {"whole", whole, true, true, 2},
        {"empty", "", false, false, 0},
        {"vendor_length_past_end", u32le(1000) + "abc", false, false, 0},
        {"no_count", u32le(3) + "abc", false, false, 0},
        {"last_entry_cut", whole.substr(0, whole.size() - 1), true, false, 1},
        // A count of four billion entries over a few bytes: nothing reserved beyond the bytes.
        {"count_past_end", body("v", {"A=1"}, {}, 0xFFFFFFFFu - 1), true, false, 1},
        {"entry_length_past_end", body("v", {}, u32le(0x7FFFFFFF) + "x", 1), true, false, 0},
    };
    for (const Case &c : cases) {
        XiphCommentPacket packet;
        EXPECT_EQ(parseXiphComments(c.bytes, packet), c.parses) << c.name;
        EXPECT_EQ(packet.complete, c.complete) << c.name;
        EXPECT_EQ(packet.entries.size(), c.entries) << c.name;
    }
}

TEST(XiphCommentPacket, EditReplacesInPlaceAppendsAndKeepsEverythingElseByteForByte)
{
    // Lower-case keys, a duplicate TITLE, an entry without '=', bytes that are not UTF-8 and the
    // Vorbis framing bit after the entries.
    const std::string original = body("Xiph.Org libVorbis I 20200704",
                                      {"title=Old", "REPLAYGAIN_TRACK_GAIN=-3.1 dB", "TITLE=Second", "noequals",
                                       std::string("COMMENT=\xff\xfe raw"), "TRACKNUMBER=3/9", "artistsort=Kept"},
                                      "\x01");
    XiphCommentPacket packet;
    ASSERT_TRUE(parseXiphComments(original, packet));
    XiphCommentEdit edit;
    edit.title = "New \xc3\xa9";
    edit.artist = "Added";
    edit.track = "5";
    edit.totalTracks = "12";
    const std::string rendered = renderXiphComments(packet, edit);
    XiphCommentPacket result;
    ASSERT_TRUE(parseXiphComments(rendered, result));
    EXPECT_EQ(result.vendor, "Xiph.Org libVorbis I 20200704");
    EXPECT_EQ(result.trailing, "\x01");
    const std::vector<std::string> expected = {"title=New \xc3\xa9", "REPLAYGAIN_TRACK_GAIN=-3.1 dB", "noequals",
                                               std::string("COMMENT=\xff\xfe raw"), "TRACKNUMBER=5",
                                               "artistsort=Kept", "ARTIST=Added", "TRACKTOTAL=12"};
    EXPECT_EQ(entriesOf(rendered), expected);
}

TEST(XiphCommentPacket, AnEmptyEditRebuildsTheSameBytes)
{
    const std::string original = body("v", {"A=1", "b=", "=x", "METADATA_BLOCK_PICTURE=AAAA"}, std::string("pad\0\0", 5));
    XiphCommentPacket packet;
    ASSERT_TRUE(parseXiphComments(original, packet));
    EXPECT_EQ(renderXiphComments(packet, XiphCommentEdit{}), original);
}

TEST(XiphCommentPacket, RemovingPicturesDropsOnlyPictureComments)
{
    const std::string original = body("v", {"METADATA_BLOCK_PICTURE=AAAA", "TITLE=T", "coverart=BBBB",
                                            "COVERARTMIME=image/jpeg", "METADATA_BLOCK_PICTURES_NOTE=kept",
                                            "metadata_block_picture=CCCC"});
    XiphCommentPacket packet;
    ASSERT_TRUE(parseXiphComments(original, packet));
    XiphCommentEdit edit;
    edit.removePictures = true;
    EXPECT_EQ(entriesOf(renderXiphComments(packet, edit)),
              (std::vector<std::string>{"TITLE=T", "METADATA_BLOCK_PICTURES_NOTE=kept"}));
}

std::string pictureBlock(std::uint32_t type, const std::string &mime, const std::string &description,
                         std::uint32_t width, std::uint32_t height, std::uint32_t depth, const std::string &data)
{
    return u32be(type) + u32be(static_cast<std::uint32_t>(mime.size())) + mime
        + u32be(static_cast<std::uint32_t>(description.size())) + description + u32be(width) + u32be(height)
        + u32be(depth) + u32be(0) + u32be(static_cast<std::uint32_t>(data.size())) + data;
}

std::string base64(const std::string &bytes)
{
    static const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
    }
    return out;
}

TEST(XiphPictures, BlocksCutShortAreRefusedAtEveryField)
{
    const std::string whole = pictureBlock(3, "image/png", "front", 16, 16, 24, "payload");
    ASSERT_TRUE(parseFlacPictureBlock(whole).has_value());
    EXPECT_EQ(parseFlacPictureBlock(whole)->picture.data.size(), 7u);
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(parseFlacPictureBlock(whole.substr(0, size)).has_value()) << "cut at " << size;
    // A data length far past the block.
    std::string lying = whole;
    lying.replace(lying.size() - 11, 4, u32be(0xFFFFFFF0u));
    EXPECT_FALSE(parseFlacPictureBlock(lying).has_value());
}

TEST(XiphPictures, LargestOfEachTypeInTypeOrderNeverTypeZero)
{
    const std::vector<std::string> entries = {
        "METADATA_BLOCK_PICTURE=" + base64(pictureBlock(4, "image/png", "back", 10, 10, 24, "b")),
        "METADATA_BLOCK_PICTURE=" + base64(pictureBlock(3, "image/png", "small", 10, 10, 24, "s")),
        "METADATA_BLOCK_PICTURE=" + base64(pictureBlock(0, "image/png", "other", 99, 99, 24, "o")),
        "METADATA_BLOCK_PICTURE=" + base64(pictureBlock(3, "image/jpeg", "large", 20, 20, 24, "l")),
        "METADATA_BLOCK_PICTURE=" + base64(pictureBlock(3, "image/png", "deeper but small", 10, 10, 32, "d")),
        "METADATA_BLOCK_PICTURE=not base64 at all!",
        "TITLE=not a picture",
    };
    std::vector<std::string_view> views(entries.begin(), entries.end());
    PictureTable table;
    collectXiphPictures(views, table);
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.at(0).type, 3);
    EXPECT_EQ(table.at(0).description, "large");
    EXPECT_EQ(table.at(0).mimeType, "image/jpeg");
    EXPECT_EQ(table.at(1).type, 4);
    EXPECT_EQ(std::string(table.at(1).data.begin(), table.at(1).data.end()), "b");
}

} // namespace
