// The table of formats: every row complete, no name or extension claimed twice, and the
// lookups by id and by extension.

#include "formats/format_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tunvale::formats {
namespace {

TEST(FormatTable, RowsAreCompleteAndDistinct)
{
    std::set<std::string_view> ids;
    std::set<std::string_view> options;
    std::set<std::string_view> extensions;
    for (const FormatRow &row : formatTable()) {
        SCOPED_TRACE(std::string(row.id));
        EXPECT_TRUE(ids.insert(row.id).second);
        EXPECT_TRUE(options.insert(row.optionName).second);
        EXPECT_FALSE(row.caption.empty());
        EXPECT_NE(row.read, nullptr);
        EXPECT_NE(row.writeTags, nullptr);
        ASSERT_FALSE(row.extensions.empty());
        for (const std::string_view extension : row.extensions) {
            EXPECT_TRUE(extensions.insert(extension).second) << extension;
            EXPECT_EQ(extension.front(), '.');
            for (const char c : extension)
                EXPECT_FALSE(c >= 'A' && c <= 'Z') << extension;
        }
        EXPECT_EQ(findFormat(row.id), &row);
        EXPECT_EQ(&formatTable()[formatIndex(row)], &row);
    }
    EXPECT_EQ(findFormat("wma"), nullptr);
}

TEST(FormatTable, ExtensionsNameTheirFormatInAnyCase)
{
    struct Case {
        const char16_t *extension;
        const char *format; // nullptr: no format
    };
    const Case cases[] = {
        {u".mp3", "mp3"},    {u".MP3", "mp3"},  {u".Flac", "flac"},      {u".wav", "wav"},   {u".WAV", "wav"},
        {u".aiff", "aiff"},  {u".AIF", "aiff"}, {u".ogg", "ogg"},        {u".OGA", "ogg"},   {u".opus", "opus"},
        {u".M4a", "m4a"},    {u".mp4", "m4a"},  {u".wma", nullptr},      {u"mp3", nullptr},  {u".mp", nullptr},
        {u".mp3 ", nullptr}, {u"", nullptr},    {u".m\u00F03", nullptr}, {u".opu", nullptr},
    };
    for (const Case &c : cases) {
        const FormatRow *row = formatOfExtension(c.extension);
        if (c.format == nullptr) {
            EXPECT_EQ(row, nullptr) << c.format;
            continue;
        }
        ASSERT_NE(row, nullptr) << c.format;
        EXPECT_EQ(row->id, c.format);
    }
}

// The lossy formats (and MP4, whose ALAC has no decoder here) are copied as they are; the
// lossless ones have a decoding read for the conversion.
TEST(FormatTable, OnlyLosslessFormatsAreConverted)
{
    for (const char *id : {"mp3", "ogg", "opus", "m4a"})
        EXPECT_EQ(findFormat(id)->openPcm, nullptr) << id;
    for (const char *id : {"flac", "wav", "aiff"})
        EXPECT_NE(findFormat(id)->openPcm, nullptr) << id;
}

} // namespace
} // namespace tunvale::formats
