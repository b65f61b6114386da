#include "catalog/intake/intake.h"

#include "catalog/genre/genre_key.h"
#include "catalog/intake/artist_credit.h"
#include "catalog/records/load_options.h"
#include "catalog/records/tag_strings.h"
#include "catalog/text/codepage.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/tag_text.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"

#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace tunvale::catalog {

namespace {

constexpr std::u16string_view kUndefined = u"Undefined";
// Wide texts of this many characters or more do not fit the tag strings and stay empty.
constexpr std::size_t kMaxWideText = 1022;
// The artist key is measured as text of at most this many characters.
constexpr std::size_t kMaxKeyText = 4094;
// Two words are taken as the same name when their string similarity exceeds this.
constexpr float kSharedWordSimilarity = 0.7f;
// Years outside this range are not years.
constexpr std::int32_t kFirstYear = 1000;
constexpr std::int32_t kLastYear = 2199;

namespace u = text::unicode;

// Characters of wide text: a surrogate pair is one.
std::size_t wideCharacters(std::u16string_view wide)
{
    std::size_t count = 0;
    for (const char16_t unit : wide)
        count += (unit >= 0xDC00 && unit <= 0xDFFF) ? 0 : 1;
    return count;
}

std::u16string toWide(std::string_view text)
{
    std::u16string wide = u::tagTextToWide(text);
    if (wide.size() >= kMaxWideText && wideCharacters(wide) >= kMaxWideText)
        return {};
    return wide;
}

std::u16string upperFirst(const std::u16string &text)
{
    if (text.empty())
        return text;
    return text::utf8ToUtf16(u::upperFirst(text::utf16ToUtf8(text)));
}

std::u16string titleCase(const std::u16string &text)
{
    return text::utf8ToUtf16(u::titleCase(text::utf16ToUtf8(text)));
}

std::u16string asciiToWide(const char *text)
{
    std::u16string out;
    for (; *text != '\0'; ++text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
    return out;
}

std::u16string twoDigits(std::int32_t number)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", static_cast<int>(number));
    return asciiToWide(buffer);
}

std::u16string decade(std::int32_t year)
{
    const int first = static_cast<int>(year) / 10 * 10;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d-%d", first, first + 9);
    return asciiToWide(buffer);
}

bool sameName(std::string_view a, std::string_view b)
{
    return !a.empty() && u::characterCount(a) == u::characterCount(b) && u::compareFolded(a, b) == 0;
}

// The words of x that resemble a word of y, each once, separated by spaces. A word is taken
// as the text spells it: the key words are folded for the comparison only.
std::string sharedWords(std::string_view xText, const u::WordSplit &x, const u::WordSplit &y)
{
    std::string collected;
    for (std::size_t i = 0; i < x.count; ++i) {
        const std::string_view word = xText.substr(x.starts[i], x.ends[i] - x.starts[i]);
        for (std::size_t k = 0; k < y.count; ++k) {
            if (!(u::stringSimilarity(x.words[i], y.words[k]) > kSharedWordSimilarity))
                continue;
            if (collected.empty()) {
                collected = word;
            } else if (u::containsFolded(collected, word) == std::string_view::npos) {
                collected += ' ';
                collected += word;
            }
        }
    }
    return collected;
}

// Where the artist names come from: the text the key is made of, and the field whose whole
// credit the copy carries.
struct ArtistSource {
    std::string key;
    std::string_view credit;
};

// The name the artist-like fields agree on, word by word, with the field it was read from;
// an empty key when they share none.
ArtistSource keyFromSharedWords(std::string_view artist, std::string_view albumArtist, std::string_view performer,
                                std::string_view composer)
{
    struct Field {
        std::string_view text;
        u::WordSplit words;
    };
    auto split = [](std::string_view text) { return Field{text, text.empty() ? u::WordSplit{} : u::splitWords(text)}; };
    const Field a = split(artist);
    const Field aa = split(albumArtist);
    const Field p = split(performer);
    const Field c = split(composer);

    using Pair = std::array<const Field *, 2>;
    const std::array<Pair, 3> pairs = a.words.count > 0 ? std::array<Pair, 3>{{{&a, &aa}, {&a, &p}, {&a, &c}}}
                                                        : std::array<Pair, 3>{{{&p, &aa}, {&p, &c}, {&aa, &c}}};
    for (const Pair &pair : pairs) {
        std::string collected = sharedWords(pair[0]->text, pair[0]->words, pair[1]->words);
        if (!collected.empty())
            return {std::move(collected), pair[0]->text};
    }
    return {};
}

// A field taken whole: trimmed, empty when too long for the catalog.
std::string wholeField(std::string_view field) { return text::utf16ToUtf8(u::tagTextToWide(field)); }

// Which of the four artist-like fields name the file, and how.
ArtistSource artistSource(const CurrentTags &tags)
{
    const std::string_view artist = tags.Artist.view();
    const std::string_view albumArtist = tags.AlbumArtist.view();
    const std::string_view performer = tags.Performer.view();
    const std::string_view composer = tags.Composer.view();

    const std::array<std::string_view, 4> inOrder{artist, performer, albumArtist, composer};
    int filled = 0;
    std::string_view onlyOne;
    for (const std::string_view field : inOrder) {
        if (!field.empty()) {
            ++filled;
            onlyOne = field;
        }
    }
    if (filled == 0)
        return {};
    if (filled == 1)
        return {wholeField(onlyOne), onlyOne};
    if (sameName(artist, albumArtist) || sameName(artist, performer))
        return {wholeField(artist), artist};
    if (sameName(albumArtist, performer))
        return {wholeField(albumArtist), albumArtist};
    if (ArtistSource shared = keyFromSharedWords(artist, albumArtist, performer, composer); !shared.key.empty())
        return shared;
    for (const std::string_view field : inOrder) {
        if (!field.empty())
            return {wholeField(field), field};
    }
    return {};
}

std::string boundedKeyText(std::string text)
{
    if (text.size() > kMaxKeyText)
        text.resize(u::cutAtCharacters(text, kMaxKeyText));
    return text;
}

// The start of text up to end, trimmed, in title case (markers as spelled).
std::u16string titledPart(std::string_view text, std::size_t end)
{
    return text::utf8ToUtf16(creditTitleCase(u::trimCopy(text.substr(0, end), end)));
}

} // namespace

ArtistNames artistNames(const CurrentTags &tags)
{
    const ArtistSource source = artistSource(tags);
    ArtistNames names;
    if (source.key.empty())
        return names;
    // The key: the main artist of the credit ("Queen, David Bowie" -> "Queen", "Daft Punk feat.
    // Pharrell Williams" -> "Daft Punk"), title-cased.
    const std::string key = boundedKeyText(source.key);
    const ArtistCredit credit = readArtistCredit(key);
    names.key = titledPart(key, credit.mainEnd);
    if (credit.jointEnd > 0)
        names.jointMain = titledPart(key, credit.jointEnd);
    names.credit = text::utf8ToUtf16(creditTitleCase(boundedKeyText(wholeField(source.credit))));
    if (names.credit.empty())
        names.credit = names.key;
    return names;
}

std::u16string artistKey(const CurrentTags &tags) { return artistNames(tags).key; }

void intake(int criterionCode, const std::filesystem::path &path, const CurrentTags &tags,
            bool acceptSimilitudes, Catalog &catalog)
{
    try {
        TagStrings strings;
        ArtistNames artist = artistNames(tags);
        strings.Artist = artist.key;
        strings.Composer = upperFirst(toWide(tags.Composer.view()));
        strings.Title = upperFirst(toWide(tags.Title.view()));
        strings.Album = upperFirst(toWide(tags.Album.view()));
        strings.Genre = upperFirst(toWide(tags.Genre.view()));
        if (tags.Track >= 1)
            strings.Track = twoDigits(tags.Track);
        if (tags.Year >= kFirstYear && tags.Year <= kLastYear)
            strings.Year = twoDigits(tags.Year);

        std::u16string key;
        switch (criterionCode) {
        case criterion::kArtist:
            key = strings.Artist.empty() ? std::u16string(kUndefined) : strings.Artist;
            break;
        case criterion::kAlbum:
            key = strings.Album.empty() ? std::u16string(kUndefined) : strings.Album;
            break;
        case criterion::kYear:
            key = strings.Year.empty() ? std::u16string(kUndefined) : strings.Year;
            break;
        case criterion::kDecade:
            key = strings.Year.empty() ? std::u16string(kUndefined) : decade(tags.Year);
            break;
        case criterion::kGenre: {
            GenreKey genre = genreKey(tags.Genre.view(), strings.Genre, acceptSimilitudes);
            key = std::move(genre.key);
            strings.Genre = std::move(genre.genre);
            break;
        }
        default:
            break;
        }

        auto entry = std::make_unique<CMetaDat>(path, key);
        // The group follows the main artist; names and tags carry the whole credit.
        entry->setArtist(artist.credit);
        if (criterionCode == criterion::kArtist)
            entry->JointMain = std::move(artist.jointMain);
        entry->setComposer(titleCase(strings.Composer));
        entry->setTitle(titleCase(strings.Title));
        entry->setTrackText(strings.Track);
        catalog.append(std::move(entry));
    } catch (const std::bad_alloc &) {
        // Out of memory: the file gets no entry, as if it could not be read.
    }
}

} // namespace tunvale::catalog
