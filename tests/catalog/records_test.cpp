#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/meta_dat.h"
#include "catalog/records/picture_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tunvale::catalog {
namespace {

TEST(Records, CurrentTagsClearEmptiesEveryField)
{
    CurrentTags tags;
    tags.Title.set("Title");
    tags.Genre.set("Rock");
    tags.Comment.set("note");
    tags.Year = 1999;
    tags.Track = 3;
    tags.Rating = 5;
    tags.FillScore = 7;
    tags.clear();
    for (const TagTextField *field : {&tags.Title, &tags.Subtitle, &tags.Album, &tags.Artist,
                                      &tags.AlbumArtist, &tags.Performer, &tags.Composer,
                                      &tags.Comment, &tags.Publisher, &tags.Encoder, &tags.Genre})
        EXPECT_TRUE(field->empty());
    EXPECT_EQ(tags.Year, 0);
    EXPECT_EQ(tags.Track, 0);
    EXPECT_EQ(tags.Rating, 0);
    EXPECT_EQ(tags.FillScore, 0);
}

// A file's records empty in one operation each, whatever they held.
TEST(Records, ClearEmptiesTheRecords)
{
    CurrentTags tags;
    tags.Artist.set("Someone");
    tags.Year = 2001;
    tags.FillScore = 4;
    PictureTable pictures;
    Picture picture;
    picture.data = {1, 2, 3};
    ASSERT_TRUE(pictures.add(picture));
    tags.clear();
    pictures.clear();
    EXPECT_TRUE(tags.Artist.empty());
    EXPECT_EQ(tags.Year, 0);
    EXPECT_EQ(tags.FillScore, 0);
    EXPECT_EQ(pictures.count(), 0);
}

TEST(Records, TagTextFieldHoldsAtMost1023Characters)
{
    TagTextField field;
    field.set(std::string(1023, 'a'));
    EXPECT_EQ(field.size(), 1023u);
    field.set(std::string(5000, 'b'));
    EXPECT_EQ(field.str(), std::string(1023, 'b'));
    EXPECT_EQ(field.c_str()[1023], '\0');
    field.set(std::string_view("ab\0cd", 5));   // stored as a C string would be
    EXPECT_EQ(field.str(), "ab");
    field.clear();
    EXPECT_TRUE(field.empty());
}

TEST(Records, PictureTableHoldsAtMost20)
{
    PictureTable table;
    for (int i = 0; i < 20; ++i) {
        Picture picture;
        picture.type = i;
        EXPECT_TRUE(table.add(std::move(picture))) << i;
    }
    EXPECT_FALSE(table.add(Picture{}));
    EXPECT_EQ(table.count(), 20);
    EXPECT_EQ(table.at(19).type, 19);

    table.clear();
    Picture named;
    named.mimeType = std::string(40, 'm');
    named.description = std::string(100, 'd');
    ASSERT_TRUE(table.add(named));
    EXPECT_EQ(table.at(0).mimeType.size(), 31u);
    EXPECT_EQ(table.at(0).description.size(), 63u);
}

TEST(Records, MetaDatKeyWordsAndSafeNames)
{
    struct Case {
        std::u16string key;
        std::u16string groupName;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {u"AC/DC: Live?", u"AC,DC; Live ", {"Ac", "Dc", "Live"}},
        {u"\u00C9lectro-Pop 80's", u"\u00C9lectro-Pop 80's", {"Electro", "Pop", "80", "S"}},
        {u"Undefined", u"Undefined", {"Undefined"}},
        {u"!!!", u"!!!", {}},                            // no letters or digits: no key words
        {u"\u041C\u0438\u0440", u"\u041C\u0438\u0440", {"\u041C\u0438\u0440"}},   // any script has words
        {u"\u5742\u672C \u9F8D\u4E00", u"\u5742\u672C \u9F8D\u4E00", {"\u5742\u672C\u9F8D\u4E00"}},   // no spaces in Han
        {u"", u"", {}},
    };
    for (const Case &c : cases) {
        const CMetaDat entry("/music/a.mp3", c.key);
        EXPECT_EQ(entry.Path, std::filesystem::path("/music/a.mp3"));
        EXPECT_EQ(entry.GroupName, c.groupName);
        ASSERT_EQ(entry.KeyWordCount, static_cast<std::int32_t>(c.words.size()));
        for (std::size_t i = 0; i < c.words.size(); ++i)
            EXPECT_EQ(entry.KeyWords[i], c.words[i]);
        EXPECT_EQ(entry.Placed, 0);
    }
}

TEST(Records, MetaDatSettersStoreSafeNames)
{
    CMetaDat entry("/music/b.flac", u"Rock");
    entry.setArtist(u"AC/DC");
    entry.setComposer(u"Young|Young");
    entry.setTitle(u"What? <Live>");
    entry.setTrackText(u"07");
    EXPECT_EQ(entry.Artist, u"AC,DC");
    EXPECT_EQ(entry.Composer, u"Young,Young");
    EXPECT_EQ(entry.Title, u"What  'Live'");
    EXPECT_EQ(entry.TrackText, u"07");
}

TEST(Records, CatalogFindByPath)
{
    Catalog catalog;
    catalog.append(std::make_unique<CMetaDat>("/music/1.mp3", u"A"));
    catalog.append(std::make_unique<CMetaDat>("/music/2.mp3", u"B"));
    catalog.append(std::make_unique<CMetaDat>("/music/2.mp3", u"C"));   // first match wins
    ASSERT_EQ(catalog.size(), 3u);
    CMetaDat *second = catalog.findByPath("/music/2.mp3");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, &catalog.at(1));
    EXPECT_EQ(catalog.findByPath("/music/3.mp3"), nullptr);
    EXPECT_EQ(catalog.findByPath("/MUSIC/1.mp3"), nullptr);             // exact comparison
    catalog.at(0).Path = "/music/moved.mp3";                              // a Path changed later
    EXPECT_EQ(catalog.findByPath("/music/moved.mp3"), &catalog.at(0));
    EXPECT_EQ(catalog.findByPath("/music/1.mp3"), nullptr);
    catalog.clear();
    EXPECT_TRUE(catalog.empty());
    EXPECT_EQ(catalog.findByPath("/music/1.mp3"), nullptr);
    catalog.append(std::make_unique<CMetaDat>("/music/2.mp3", u"D"));   // indexes restart after clear
    EXPECT_EQ(catalog.findByPath("/music/2.mp3"), &catalog.at(0));
}

} // namespace
} // namespace tunvale::catalog
