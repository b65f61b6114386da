#include "output/title_builders.h"

#include <gtest/gtest.h>

namespace tunvale::output {
namespace {

catalog::CMetaDat entryWith(std::u16string_view artist, std::u16string_view composer, std::u16string_view title)
{
    catalog::CMetaDat entry("/music/a.mp3", u"Group");
    entry.setArtist(artist);
    entry.setComposer(composer);
    entry.setTitle(title);
    return entry;
}

TEST(TitleBuilders, ArtistAndComposerCases)
{
    struct Case {
        const char16_t *head;
        const char16_t *title;
        const char16_t *artistTitle;    // with the head as artist
        const char16_t *composerTitle;  // with the head as composer
    };
    const Case cases[] = {
        // No word of the head resembles a word of the title: the whole head goes first.
        {u"Miles Davis", u"So What", u"Miles Davis, So What", u"Miles Davis, So What"},
        // The title already holds every significant word.
        {u"Miles Davis", u"Miles Davis - So What", u"Miles Davis - So What", u"Miles Davis - So What"},
        // One of two words present: the other word alone goes first.
        {u"Miles Davis", u"Davis Blues", u"Miles, Davis Blues", u"Miles Davis Blues"},
        {u"miles davis", u"Davis Blues", u"Miles, Davis Blues", u"Miles Davis Blues"},
        // A near spelling counts as present (similarity above 0.7).
        {u"Coltrane", u"Coltrain Tune", u"Coltrain Tune", u"Coltrain Tune"},
        // "Undefined" in any case leaves the title alone.
        {u"UNDEFINED", u"So What", u"So What", u"So What"},
        {u"", u"So What", u"So What", u"So What"},
        // An empty title: the head followed by a comma and a space.
        {u"Miles Davis", u"", u"Miles Davis, ", u"Miles Davis, "},
        // A head without any word (punctuation only) leaves the title alone.
        {u"!!!", u"So What", u"So What", u"So What"},
        // Two records (one head word matching two title words) also mean "present".
        {u"Davis Miles", u"Davis Davis", u"Davis Davis", u"Davis Davis"},
        // Characters outside Windows-1252 in the title survive.
        {u"Bj\u00f6rk", u"\u0419\u043e\u0433\u0430", u"Bj\u00f6rk, \u0419\u043e\u0433\u0430",
         u"Bj\u00f6rk, \u0419\u043e\u0433\u0430"},
        // The missing word as the head spells it (never folded), first letter upper case.
        {u"\u00e9dith Piaf", u"Piaf Song", u"\u00c9dith, Piaf Song", u"\u00c9dith Piaf Song"},
        {u"\u0393\u03b9\u03ce\u03c1\u03b3\u03bf\u03c2 \u039d\u03c4\u03b1\u03bb\u03ac\u03c1\u03b1\u03c2",
         u"\u039d\u03c4\u03b1\u03bb\u03ac\u03c1\u03b1\u03c2 Live",
         u"\u0393\u03b9\u03ce\u03c1\u03b3\u03bf\u03c2, \u039d\u03c4\u03b1\u03bb\u03ac\u03c1\u03b1\u03c2 Live",
         u"\u0393\u03b9\u03ce\u03c1\u03b3\u03bf\u03c2 \u039d\u03c4\u03b1\u03bb\u03ac\u03c1\u03b1\u03c2 Live"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ArtistTitle(entryWith(c.head, u"", c.title)), c.artistTitle);
        EXPECT_EQ(ComposerTitle(entryWith(u"", c.head, c.title)), c.composerTitle);
    }
}

TEST(TitleBuilders, ReadNothingButTheirOwnHead)
{
    // The artist rule ignores the composer and the other way round.
    const catalog::CMetaDat entry = entryWith(u"Miles Davis", u"Bill Evans", u"Blue");
    EXPECT_EQ(ArtistTitle(entry), u"Miles Davis, Blue");
    EXPECT_EQ(ComposerTitle(entry), u"Bill Evans, Blue");
    EXPECT_EQ(entry.Title, u"Blue");
}

} // namespace
} // namespace tunvale::output
