#include "output/name_text.h"
#include "output/track_file_name.h"

#include <gtest/gtest.h>

namespace tunvale::output {
namespace {

struct Fields {
    std::u16string artist;
    std::u16string composer;
    std::u16string title;
    std::u16string trackText;
};

catalog::CMetaDat entryWith(const Fields &fields)
{
    catalog::CMetaDat entry("/music/a.mp3", u"Group");
    entry.setArtist(fields.artist);
    entry.setComposer(fields.composer);
    entry.setTitle(fields.title);
    entry.setTrackText(fields.trackText);
    return entry;
}

PlacementOptions options(bool alphaTrack, int step = 1)
{
    PlacementOptions result;
    result.alphaTrack = alphaTrack;
    result.trackStep = step;
    return result;
}

std::string utf8(const std::u16string &text) { return pathFromText(text).string(); }

TEST(BuildTrackFileName, Cases)
{
    const std::u16string x30(30, u'x');
    struct Case {
        const char *what;
        Fields fields;
        int index;
        PlacementOptions options;
        std::u16string expected;
    };
    const Case cases[] = {
        {"own track text, artist, title",
         {u"Queen", u"", u"Bohemian Rhapsody", u"07"},
         3,
         options(false),
         u"07 - Queen - Bohemian Rhapsody"},
        {"renumbered",
         {u"Queen", u"", u"Bohemian Rhapsody", u"07"},
         3,
         options(true),
         u"03 - Queen - Bohemian Rhapsody"},
        {"renumbered, step 10",
         {u"Queen", u"", u"Bohemian Rhapsody", u"07"},
         3,
         options(true, 10),
         u"030 - Queen - Bohemian Rhapsody"},
        {"no track text, step 10",
         {u"Queen", u"", u"Bohemian Rhapsody", u""},
         3,
         options(false, 10),
         u"001 - Queen - Bohemian Rhapsody"},
        {"no track text, step 1",
         {u"Queen", u"", u"Bohemian Rhapsody", u""},
         3,
         options(false),
         u"01 - Queen - Bohemian Rhapsody"},
        {"100th file", {u"Queen", u"", u"Song", u""}, 100, options(true), u"100 - Queen - Song"},
        {"composer without artist", {u"", u"Mozart", u"Requiem", u"03"}, 1, options(false), u"03 - Mozart - Requiem"},
        {"composer unlike the artist",
         {u"Ella Fitzgerald", u"Cole Porter", u"Night and Day", u""},
         2,
         options(true),
         u"02 - Ella Fitzgerald - Cole Porter - Night and Day"},
        {"composer resembling the artist",
         {u"John Williams", u"John Williams", u"Hedwig Theme", u""},
         1,
         options(true),
         u"01 - John Williams - Hedwig Theme"},
        {"composer sharing one word",
         {u"Johann Strauss", u"Richard Strauss", u"Waltz", u""},
         1,
         options(true),
         u"01 - Johann Strauss - Waltz"},
        {"composer without words", {u"Queen", u"!!", u"Song", u""}, 1, options(true), u"01 - Queen - Song"},
        {"artist without words keeps its composer",
         {u"!!", u"Mozart", u"Song", u""},
         1,
         options(true),
         u"01 - !! - Mozart - Song"},
        {"title repeating the artist",
         {u"Queen", u"", u"Queen - Bohemian Rhapsody", u""},
         1,
         options(true),
         u"01 - Queen - Bohemian Rhapsody"},
        {"title repeating the composer",
         {u"Karajan", u"Beethoven", u"Beethoven: Symphony 5", u""},
         1,
         options(true),
         u"01 - Karajan - Beethoven - Symphony 5"},
        {"repeated word followed by digits",
         {u"Madonna", u"", u"Madonna 1984 Holiday", u""},
         1,
         options(true),
         u"01 - Madonna - Holiday"},
        {"repeated word in the middle",
         {u"Prince", u"", u"Purple Prince, 1999 - Rain", u""},
         1,
         options(true),
         u"01 - Prince - Purple Rain"},
        {"title made only of the artist", {u"Queen", u"", u"Queen", u""}, 1, options(true), u"01 - Queen"},
        // Only the whole name goes: words that merely resemble a word of it stay.
        {"title sharing a short word",
         {u"Alice in Chains", u"", u"Man in the Box", u""},
         1,
         options(true),
         u"01 - Alice in Chains - Man in the Box"},
        {"title sharing a similar word",
         {u"Will Smith", u"", u"Wild Wild West", u""},
         1,
         options(true),
         u"01 - Will Smith - Wild Wild West"},
        {"title sharing one word of the name",
         {u"The Who", u"", u"Who Are You?", u""},
         1,
         options(true),
         u"01 - The Who - Who Are You"},
        {"part of the name only",
         {u"Alice in Chains", u"", u"Alice - Rooster", u""},
         1,
         options(true),
         u"01 - Alice in Chains - Alice - Rooster"},
        {"whole name, other case and accents",
         {u"Bj\u00f6rk", u"", u"BJORK - J\u00f3ga", u""},
         1,
         options(true),
         u"01 - Bj\u00f6rk - J\u00f3ga"},
        {"main artist of a credit with a guest",
         {u"Daft Punk feat. Pharrell Williams", u"", u"Daft Punk - Get Lucky", u""},
         1,
         options(true),
         u"01 - Daft Punk feat. Pharrell Williams - Get Lucky"},
        {"composer named whole",
         {u"Karajan", u"Ludwig van Beethoven", u"Ludwig van Beethoven: Symphony 5", u""},
         1,
         options(true),
         u"01 - Karajan - Ludwig van Beethoven - Symphony 5"},
        {"45-byte artist, space at 30",
         {x30 + u" " + std::u16string(14, u'y'), u"", u"Song", u""},
         1,
         options(true),
         u"01 - " + x30 + u"... - Song"},
        {"45-byte artist, space at 42",
         {std::u16string(42, u'x') + u" yy", u"", u"Song", u""},
         1,
         options(true),
         u"01 - " + std::u16string(42, u'x') + u"... - Song"},
        {"45-byte artist without space",
         {std::u16string(45, u'x'), u"", u"Song", u""},
         1,
         options(true),
         u"01 - " + std::u16string(45, u'x') + u" - Song"},
        {"everything empty", {u"", u"", u"", u""}, 1, options(true), u"01"},
        {"title ending with a parenthesis",
         {u"Queen", u"", u"Song (Live)", u""},
         1,
         options(true),
         u"01 - Queen - Song (Live)"},
        {"title ending with an exclamation mark",
         {u"Beatles", u"", u"Help!", u""},
         1,
         options(true),
         u"01 - Beatles - Help"},
        {"title ending with a period",
         {u"Beatles", u"", u"Let It Be.", u""},
         1,
         options(true),
         u"01 - Beatles - Let It Be"},
        {"double spaces",
         {u"Queen", u"", u"Bohemian   Rhapsody", u""},
         1,
         options(true),
         u"01 - Queen - Bohemian Rhapsody"},
        {"accented letters", {u"Bj\u00f6rk", u"", u"J\u00f3ga", u""}, 1, options(true), u"01 - Bj\u00f6rk - J\u00f3ga"},
        {"characters outside Windows-1252 kept",
         {u"\u0427\u0430\u0439\u043a\u043e\u0432\u0441\u043a\u0438\u0439", u"", u"\u041f\u0451\u0442\u0440", u""},
         1,
         options(true),
         u"01 - \u0427\u0430\u0439\u043a\u043e\u0432\u0441\u043a\u0438\u0439 - \u041f\u0451\u0442\u0440"},
        {"neither artist nor composer: no empty part",
         {u"", u"", u"Lonely Track", u""},
         1,
         options(true),
         u"01 - Lonely Track"},
        {"title repeating a Cyrillic artist in another case",
         {u"\u041a\u0438\u043d\u043e", u"", u"\u041a\u0418\u041d\u041e - \u041a\u0443\u043a\u0443\u0448\u043a\u0430",
          u""},
         1,
         options(true),
         u"01 - \u041a\u0438\u043d\u043e - \u041a\u0443\u043a\u0443\u0448\u043a\u0430"},
        {"Hebrew title ending with a letter",
         {u"\u05e2\u05d9\u05d3\u05df", u"", u"\u05d1\u05d5\u05d0\u05d9!", u""},
         1,
         options(true),
         u"01 - \u05e2\u05d9\u05d3\u05df - \u05d1\u05d5\u05d0\u05d9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8(BuildTrackFileName(entryWith(c.fields), c.index, c.options)), utf8(c.expected)) << c.what;
}

TEST(BuildTrackFileName, ChangesNothing)
{
    catalog::CMetaDat entry = entryWith({u"Queen", u"Queen", u"Queen - Song", u"04"});
    const catalog::CMetaDat before = entry;
    BuildTrackFileName(entry, 2, options(true));
    EXPECT_EQ(entry.Artist, before.Artist);
    EXPECT_EQ(entry.Composer, before.Composer);
    EXPECT_EQ(entry.Title, before.Title);
    EXPECT_EQ(entry.TrackText, before.TrackText);
}

// Tags are hostile: whatever they hold, the name is one safe file name component.
TEST(BuildTrackFileName, HostileTagsGiveOneSafeComponent)
{
    const std::u16string longAccented(600, u'\u00e9');                    // 2 UTF-8 bytes each
    const std::u16string longCjk(400, u'\u66f2');                          // 3 UTF-8 bytes each
    std::u16string manyWords;
    for (int i = 0; i < 200; ++i)
        manyWords += u"Word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" ";
    const Fields cases[] = {
        {u"../../etc", u"", u"..", u""},
        {u"..", u"..", u"..", u".."},
        {u"/", u"\\", u"/etc/passwd", u""},
        {u"Art\u0001ist", u"", u"Ti\ttle\nNext\r", u""},
        {u"", u"", u".hidden", u""},
        {longAccented, longAccented, longAccented, u""},
        {u"Artist", u"", longCjk, u""},
        {u"Artist", u"", manyWords, u""},
        {u"Artist", u"", u"\U0001F600\U0001F600 Emoji", u""},
    };
    for (bool alphaTrack : {true, false}) {
        for (const Fields &fields : cases) {
            const std::u16string name = BuildTrackFileName(entryWith(fields), 1, options(alphaTrack));
            const std::string shown = utf8(name);
            EXPECT_LE(utf8Length(name), kMaxBuiltNameBytes) << shown;
            EXPECT_NE(name, u".");
            EXPECT_NE(name, u"..");
            if (!name.empty()) {
                EXPECT_NE(name.front(), u'.') << shown;
            }
            for (char16_t unit : name) {
                EXPECT_NE(unit, u'/') << shown;
                EXPECT_NE(unit, u'\\') << shown;
                EXPECT_GE(unit, 0x20) << shown;
            }
        }
    }
    // Control characters become spaces, collapsed.
    EXPECT_EQ(BuildTrackFileName(entryWith({u"Art\u0001ist", u"", u"Ti\ttle\nNext\r", u""}), 1, options(true)),
              u"01 - Art ist - Ti tle Next");
    // A long title is cut at a character, never inside a surrogate pair, and stays readable.
    const std::u16string cut = BuildTrackFileName(entryWith({u"Artist", u"", longCjk, u""}), 1, options(true));
    EXPECT_EQ(cut.substr(0, 14), u"01 - Artist - ");
    EXPECT_EQ(utf8Length(cut), 14 + 3 * ((kMaxBuiltNameBytes - 14) / 3));
    std::u16string pairs;
    for (int i = 0; i < 100; ++i)
        pairs += u"\U0001F600";
    const std::u16string emojiName = BuildTrackFileName(entryWith({u"Artist", u"", pairs, u""}), 1, options(true));
    ASSERT_FALSE(emojiName.empty());
    EXPECT_TRUE(emojiName.back() >= 0xDC00 && emojiName.back() <= 0xDFFF);
}

} // namespace
} // namespace tunvale::output
