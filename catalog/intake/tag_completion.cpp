#include "catalog/intake/tag_completion.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"

#include <exception>
#include <string>
#include <string_view>

namespace tunvale::catalog {

namespace {

namespace u = text::unicode;

// File names are cut to this many characters before they are parsed.
constexpr std::size_t kMaxNameLength = 1022;
// A separator before this position is part of the name (AC/DC, 01 - ...), not a cut point.
constexpr std::size_t kFirstCutPosition = 5;
// A segment of Title or Album must have at least this many characters to be taken as artist.
constexpr std::size_t kMinArtistSegment = 4;

std::string trimBlanks(std::string_view text)
{
    return u::trimCopy(text, text.size());
}

// The first character in upper case, its accents kept ("édith" becomes "Édith"): folding is
// for comparisons only and never changes a tag.
void capitalizeFirst(std::string &text) { text = u::upperFirst(text); }

// Lower case for the genre: ASCII letters, and the letters of the scripts Windows-1252 does
// not hold; the accented Latin letters keep their case, as they always have.
std::string lowerGenre(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = u::nextCodePoint(text, pos);
        u::appendCodePoint(out, (c < 0x80 || !u::isCp1252(c)) ? u::toLower(c) : c);
    }
    return out;
}

// An artist name at the start of a "Artist - Song" style text: the text before the first
// hyphen or comma when it is long enough, else the text between the first and the second.
std::string artistFromText(std::string_view text)
{
    constexpr std::string_view kCuts = "-,";
    const std::size_t first = text.find_first_of(kCuts);
    if (first == std::string_view::npos)
        return {};
    if (u::characterCount(text.substr(0, first)) >= kMinArtistSegment)
        return trimBlanks(text.substr(0, first));
    const std::size_t second = text.find_first_of(kCuts, first + 1);
    if (second == std::string_view::npos)
        return {};
    const std::string_view between = text.substr(first + 1, second - first - 1);
    if (u::characterCount(between) >= kMinArtistSegment)
        return trimBlanks(between);
    return {};
}

void completeArtist(CurrentTags &tags)
{
    const bool hasPerformer = !tags.Performer.empty();
    const bool hasAlbumArtist = !tags.AlbumArtist.empty();
    if (hasPerformer && hasAlbumArtist) {
        if (u::characterCount(tags.Performer.view()) < u::characterCount(tags.AlbumArtist.view()))
            tags.Artist.set(tags.Performer.view());
        else
            tags.Artist.set(tags.AlbumArtist.view());
        return;
    }
    if (hasPerformer) {
        tags.Artist.set(tags.Performer.view());
        return;
    }
    if (hasAlbumArtist) {
        tags.Artist.set(tags.AlbumArtist.view());
        return;
    }
    if (!tags.Composer.empty()) {
        tags.Artist.set(tags.Composer.view());
        return;
    }
    std::string artist = artistFromText(tags.Title.view());
    if (artist.empty())
        artist = artistFromText(tags.Album.view());
    tags.Artist.set(artist);
}

// The file name without folder and extension, as tag text (NFC).
std::string nameOf(const std::filesystem::path &path)
{
    std::string name;
    try {
        // On POSIX the name's bytes as they are (taken as UTF-8, invalid bytes become U+FFFD);
        // on Windows its UTF-16 text converted to UTF-8.
        const std::u8string utf8 = path.stem().u8string();
        name = u::normalizeNfc(std::string_view(reinterpret_cast<const char *>(utf8.data()), utf8.size()));
    } catch (const std::exception &) {
        return {};   // a name the platform cannot convert gives nothing to complete from
    }
    if (name.size() > kMaxNameLength)
        name.resize(u::cutAtCharacters(name, kMaxNameLength));
    return name;
}

// Artist and Title from a name shaped "[0n - ]Artist - Title".
void completeFromName(CurrentTags &tags, const std::filesystem::path &path)
{
    const std::string name = nameOf(path);
    // A leading zero marks a track number: then only letters start or end the parts.
    const bool trackPrefixed = !name.empty() && name[0] == '0';
    auto trimPart = [trackPrefixed](std::string_view part) {
        return trackPrefixed ? u::trimToLetters(part) : u::trimToAlphanumerics(part);
    };

    if (tags.Artist.empty()) {
        const bool titleWasEmpty = tags.Title.empty();
        for (const u::SeparatorPosition &position : u::separatorPositions(name)) {
            if (position.character < kFirstCutPosition)
                continue;
            // Title case keeps the name's own letters: "björk" becomes "Björk".
            tags.Artist.set(u::titleCase(trimPart(std::string_view(name).substr(0, position.byte))));
            if (titleWasEmpty) {
                std::size_t after = position.byte;
                u::nextCodePoint(name, after);   // past the separator
                tags.Title.set(trimPart(std::string_view(name).substr(after)));
            }
            break;
        }
    }
    if (tags.Title.empty())
        tags.Title.set(u::trimToLetters(name));
}

void normalize(CurrentTags &tags)
{
    tags.Title.set(u::trimToAlphanumerics(tags.Title.view()));
    tags.Album.set(u::trimToAlphanumerics(tags.Album.view()));
    for (TagTextField *field : {&tags.Artist, &tags.AlbumArtist, &tags.Performer, &tags.Composer}) {
        std::string value = u::trimToAlphanumerics(field->view());
        capitalizeFirst(value);
        field->set(value);
    }
    std::string genre = lowerGenre(u::trimToAlphanumerics(tags.Genre.view()));
    capitalizeFirst(genre);
    tags.Genre.set(genre);
}

std::int32_t fillScore(const CurrentTags &tags)
{
    std::int32_t score = 0;
    for (const TagTextField *field : {&tags.Title, &tags.Album, &tags.Artist, &tags.AlbumArtist,
                                      &tags.Performer, &tags.Composer, &tags.Genre, &tags.Comment,
                                      &tags.Publisher, &tags.Encoder}) {
        if (!field->empty())
            ++score;
    }
    for (const std::int32_t number :
         {tags.Year, tags.Track, tags.TrackTotal, tags.Disc, tags.DiscTotal, tags.Rating}) {
        if (number > 0)
            ++score;
    }
    return score;
}

} // namespace

std::int32_t completeTags(CurrentTags &tags, const std::filesystem::path &path, bool tagsFromName)
{
    if (tags.Artist.empty())
        completeArtist(tags);
    if ((tags.Artist.empty() || tags.Title.empty()) && tagsFromName)
        completeFromName(tags, path);
    normalize(tags);
    tags.FillScore = fillScore(tags);
    return tags.FillScore;
}

} // namespace tunvale::catalog
