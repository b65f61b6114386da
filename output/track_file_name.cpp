#include "output/track_file_name.h"

#include "catalog/text/codepage.h"
#include "catalog/text/names.h"
#include "catalog/text/similarity.h"
#include "catalog/text/word_split.h"
#include "output/name_text.h"
#include "output/track_numbering.h"

#include <vector>

namespace tunvale::output {

namespace {

constexpr std::size_t kFieldLimit = 1022;       // artist, composer, title
constexpr std::size_t kTrackTextLimit = 13;
constexpr std::size_t kNameLimit = 1021;        // the name being built
constexpr float kResemblance = 0.7f;

// An entry text as the builder works on it: file-name safe, control characters as spaces (the
// catalog stores it so, but a name must be a single component whatever the caller handed in),
// at most limit units.
std::u16string workingText(std::u16string_view value, std::size_t limit)
{
    return text::fileNameSafe(value.substr(0, std::min(value.size(), limit)));
}

void boundedAppend(std::u16string &name, std::u16string_view part)
{
    if (name.size() >= kNameLimit)
        return;
    name.append(part.substr(0, std::min(part.size(), kNameLimit - name.size())));
}

// Shorten to 40 on the one-byte-per-unit view: the result is a prefix of the text followed by
// "...", or the text unchanged, so the cut carries over to the wide text unit for unit.
void shortenTo40(std::u16string &value)
{
    const std::string original = projectToCp1252(value);
    std::string shortened = original;
    text::shortenTo40(shortened);
    if (shortened == original)
        return;
    const std::size_t keep = shortened.size() >= 3 ? shortened.size() - 3 : 0;
    if (shortened.compare(keep, std::string::npos, "...") == 0 && keep <= value.size()
        && original.compare(0, keep, shortened, 0, keep) == 0) {
        value.resize(keep);
        value += u"...";
        return;
    }
    value = text::cp1252ToUtf16(shortened);
}

text::WordSplit split(std::u16string_view value) { return text::splitWords(projectToCp1252(value)); }

bool resemblesAny(const std::string &word, const text::WordSplit &words)
{
    for (std::size_t i = 0; i < words.count; ++i) {
        if (text::stringSimilarity(word, words.words[i]) > kResemblance)
            return true;
    }
    return false;
}

bool anyPairResembles(const text::WordSplit &a, const text::WordSplit &b)
{
    for (std::size_t i = 0; i < a.count; ++i) {
        if (resemblesAny(a.words[i], b))
            return true;
    }
    return false;
}

bool isBlankUnit(char16_t unit) { return unit <= 0x20; }

// The title without the words that repeat the artist or composer: each such word goes with
// everything after it up to the next letter, except that a space ending the removed stretch
// stays (so "Artist - Song" leaves " Song").
std::u16string titleWithoutRepeats(const std::u16string &title, const text::WordSplit &artistWords,
                                   const text::WordSplit &composerWords)
{
    const text::WordSplit titleWords = split(title);
    std::vector<bool> removed(title.size(), false);
    for (std::size_t w = 0; w < titleWords.count; ++w) {
        if (!resemblesAny(titleWords.words[w], artistWords) && !resemblesAny(titleWords.words[w], composerWords))
            continue;
        std::size_t i = titleWords.starts[w];
        const std::size_t first = i;
        while (i < title.size() && isNameAlnum(title[i]))
            removed[i++] = true;
        while (i < title.size() && !isNameLetter(title[i]))
            removed[i++] = true;
        if (i > first && title[i - 1] == u' ')
            removed[i - 1] = false;
    }
    std::u16string kept;
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (!removed[i])
            kept.push_back(title[i]);
    }
    std::size_t begin = 0;
    std::size_t end = kept.size();
    while (begin < end && isBlankUnit(kept[begin]))
        ++begin;
    while (end > begin && isBlankUnit(kept[end - 1]))
        --end;
    return kept.substr(begin, end - begin);
}

bool stopsTrailingTrim(char16_t unit)
{
    return unit == u'"' || unit == u'\'' || unit == u'(' || unit == u')' || unit == u'[' || unit == u']';
}

// Leading characters up to the first letter or digit go; trailing ones that are not letters
// or digits go too, unless a quotation mark, apostrophe, parenthesis or bracket stops it.
std::u16string trimToAlphanumerics(std::u16string_view name)
{
    std::size_t begin = 0;
    while (begin < name.size() && !isNameAlnum(name[begin]))
        ++begin;
    if (begin == name.size())
        return {};
    std::u16string_view rest = name.substr(begin, std::min(name.size() - begin, kFieldLimit));
    std::size_t end = rest.size();
    while (end > 0 && !isNameAlnum(rest[end - 1]) && !stopsTrailingTrim(rest[end - 1]))
        --end;
    return std::u16string(rest.substr(0, end));
}

std::u16string collapseSpaces(std::u16string_view name)
{
    std::u16string out;
    out.reserve(name.size());
    for (char16_t unit : name) {
        if (unit == u' ' && !out.empty() && out.back() == u' ')
            continue;
        out.push_back(unit);
    }
    return out;
}

} // namespace

std::u16string BuildTrackFileName(const catalog::CMetaDat &entry, int index, const PlacementOptions &options)
{
    std::u16string track = workingText(trackTextFor(entry.TrackText, index, options), kTrackTextLimit);
    std::u16string artist = workingText(entry.Artist, kFieldLimit);
    std::u16string composer = workingText(entry.Composer, kFieldLimit);
    const std::u16string title = workingText(entry.Title, kFieldLimit);

    std::u16string name;
    if (!track.empty()) {
        boundedAppend(name, track);
        boundedAppend(name, u" - ");
    }

    shortenTo40(artist);
    shortenTo40(composer);

    text::WordSplit artistWords;
    text::WordSplit composerWords;
    if (!artist.empty()) {
        artistWords = split(artist);
        boundedAppend(name, artist);
        if (!composer.empty()) {
            composerWords = split(composer);
            // A composer without words is left out; one that resembles the artist too.
            if (composerWords.count > 0 && !anyPairResembles(artistWords, composerWords)) {
                boundedAppend(name, u" - ");
                boundedAppend(name, composer);
            }
        }
    } else if (!composer.empty()) {
        boundedAppend(name, composer);
    }

    if (!title.empty()) {
        const std::u16string kept = titleWithoutRepeats(title, artistWords, composerWords);
        if (!kept.empty()) {
            boundedAppend(name, u" - ");
            boundedAppend(name, kept);
        }
    }

    name = collapseSpaces(trimToAlphanumerics(name));

    // One file name component: keep within the file system's limit with room for a
    // collision suffix and the extension, then trim again what the cut left at the end.
    if (utf8Length(name) > kMaxBuiltNameBytes)
        name = collapseSpaces(trimToAlphanumerics(utf8Prefix(name, kMaxBuiltNameBytes)));
    return name;
}

} // namespace tunvale::output
