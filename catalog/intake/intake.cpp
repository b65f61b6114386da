#include "catalog/intake/intake.h"

#include "catalog/genre/genre_key.h"
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
// A separator before this position is part of the name (AC/DC, Jay-Z), not a cut point.
constexpr std::size_t kFirstCutPosition = 5;
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

// The words of x that resemble a word of y, each once, separated by spaces.
std::string sharedWords(const u::WordSplit &x, const u::WordSplit &y)
{
    std::string collected;
    for (std::size_t i = 0; i < x.count; ++i) {
        const std::string &word = x.words[i];
        for (std::size_t k = 0; k < y.count; ++k) {
            if (!(u::stringSimilarity(word, y.words[k]) > kSharedWordSimilarity))
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

// The name the artist-like fields agree on, word by word; empty when they share none.
std::string keyFromSharedWords(std::string_view artist, std::string_view albumArtist,
                               std::string_view performer, std::string_view composer)
{
    auto split = [](std::string_view field) {
        return field.empty() ? u::WordSplit{} : u::splitWords(field);
    };
    const u::WordSplit a = split(artist);
    const u::WordSplit aa = split(albumArtist);
    const u::WordSplit p = split(performer);
    const u::WordSplit c = split(composer);

    using Pair = std::array<const u::WordSplit *, 2>;
    const std::array<Pair, 3> pairs = a.count > 0
                                          ? std::array<Pair, 3>{{{&a, &aa}, {&a, &p}, {&a, &c}}}
                                          : std::array<Pair, 3>{{{&p, &aa}, {&p, &c}, {&aa, &c}}};
    for (const Pair &pair : pairs) {
        std::string collected = sharedWords(*pair[0], *pair[1]);
        if (!collected.empty())
            return collected;
    }
    return {};
}

// Cuts a key at its first separator from position 5 on ("Queen, David Bowie" -> "Queen") and
// title-cases it.
std::u16string finishKey(std::u16string_view key)
{
    std::string name = text::utf16ToUtf8(key);
    if (name.size() > kMaxKeyText)
        name.resize(u::cutAtCharacters(name, kMaxKeyText));
    for (const u::SeparatorPosition &position : u::separatorPositions(name)) {
        if (position.character >= kFirstCutPosition) {
            name = u::trimCopy(std::string_view(name).substr(0, position.byte), position.character);
            break;
        }
    }
    return text::utf8ToUtf16(u::titleCase(name));
}

} // namespace

std::u16string artistKey(const CurrentTags &tags)
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

    std::u16string key;
    if (filled == 1) {
        key = u::tagTextToWide(onlyOne);
    } else if (sameName(artist, albumArtist) || sameName(artist, performer)) {
        key = u::tagTextToWide(artist);
    } else if (sameName(albumArtist, performer)) {
        key = u::tagTextToWide(albumArtist);
    } else {
        const std::string shared = keyFromSharedWords(artist, albumArtist, performer, composer);
        if (!shared.empty()) {
            key = text::utf8ToUtf16(shared);
        } else {
            for (const std::string_view field : inOrder) {
                if (!field.empty()) {
                    key = u::tagTextToWide(field);
                    break;
                }
            }
        }
    }
    return finishKey(key);
}

void intake(int criterionCode, const std::filesystem::path &path, const CurrentTags &tags,
            bool acceptSimilitudes, Catalog &catalog)
{
    try {
        TagStrings strings;
        strings.Artist = artistKey(tags);
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
        entry->setArtist(strings.Artist);
        entry->setComposer(titleCase(strings.Composer));
        entry->setTitle(titleCase(strings.Title));
        entry->setTrackText(strings.Track);
        catalog.append(std::move(entry));
    } catch (const std::bad_alloc &) {
        // Out of memory: the file gets no entry, as if it could not be read.
    }
}

} // namespace tunvale::catalog
