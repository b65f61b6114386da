#include "output/track_file_name.h"

#include "catalog/intake/artist_credit.h"
#include "catalog/text/codepage.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"
#include "output/name_text.h"
#include "output/track_numbering.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace tunvale::output {

namespace {

namespace u = text::unicode;

constexpr std::size_t kFieldLimit = 1022;       // characters of artist, composer, title
constexpr std::size_t kTrackTextLimit = 13;
constexpr float kResemblance = 0.7f;
constexpr std::string_view kPartSeparator = " - ";

// An entry text as the builder works on it (UTF-8): file-name safe, control characters as
// spaces (the catalog stores it so, but a name must be a single component whatever the caller
// handed in), at most limit characters.
std::string workingText(std::u16string_view value, std::size_t limit)
{
    return u::boundedCopy(u::fileNameSafe(text::utf16ToUtf8(value)), limit);
}

// Characters beyond the Basic Multilingual Plane (emoji, historic scripts, rare ideographs)
// count as letters, so that a title made of them is kept.
bool isLetter(char32_t c) { return c >= 0x10000 || u::isFoldedAlpha(c); }
bool isAlnum(char32_t c) { return c >= 0x10000 || u::isFoldedAlnum(c); }
// A mark belongs to the letter before it.
bool continuesWord(char32_t c) { return isAlnum(c) || u::isWordJoining(c); }

// The words of a split, decoded once: a name compares each title word with every artist and
// composer word.
struct ComparedWords {
    explicit ComparedWords(const u::WordSplit &split)
        : count(split.count)
    {
        for (std::size_t i = 0; i < count; ++i)
            words[i] = u::ComparedWord(split.words[i]);
    }
    std::array<u::ComparedWord, u::kMaxKeyWords> words;
    std::size_t count = 0;
};

bool resemblesAny(const u::ComparedWord &word, const ComparedWords &words)
{
    for (std::size_t i = 0; i < words.count; ++i) {
        if (u::similarityAbove(word, words.words[i], kResemblance))
            return true;
    }
    return false;
}

bool anyPairResembles(const ComparedWords &a, const ComparedWords &b)
{
    for (std::size_t i = 0; i < a.count; ++i) {
        if (resemblesAny(a.words[i], b))
            return true;
    }
    return false;
}

bool isBlank(char32_t c) { return c <= 0x20; }

// A run of letters and digits (with the marks that belong to them) in decoded text:
// [first, end) in code points.
struct WordSpan {
    std::size_t first = 0;
    std::size_t end = 0;
};

std::vector<WordSpan> wordSpans(std::u32string_view chars)
{
    std::vector<WordSpan> words;
    for (std::size_t i = 0; i < chars.size();) {
        if (!isAlnum(chars[i])) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < chars.size() && continuesWord(chars[i]))
            ++i;
        words.push_back({first, i});
    }
    return words;
}

// The words of a name, as text, for folded comparison.
std::vector<std::string> nameWords(std::string_view name)
{
    const std::u32string chars = u::toCodePoints(name);
    std::vector<std::string> words;
    for (const WordSpan &word : wordSpans(chars))
        words.push_back(u::toUtf8(std::u32string_view(chars).substr(word.first, word.end - word.first)));
    return words;
}

// The names a title may repeat: each artist-like text, and the main artist of a credit that
// names guests ("Daft Punk" of "Daft Punk feat. Pharrell Williams").
std::vector<std::vector<std::string>> repeatableNames(std::initializer_list<std::string_view> texts)
{
    std::vector<std::vector<std::string>> names;
    for (const std::string_view text : texts) {
        if (text.empty())
            continue;
        for (const std::string_view name : {text, text.substr(0, catalog::readArtistCredit(text).mainEnd)}) {
            std::vector<std::string> words = nameWords(name);
            if (!words.empty() && std::find(names.begin(), names.end(), words) == names.end())
                names.push_back(std::move(words));
        }
    }
    return names;
}

// The title without the places where it repeats one of the names whole: all its words, in
// order, compared folded (as keys are). Every other word stays, even one that resembles a word
// of a name ("Man in the Box" by Alice in Chains, "Who Are You" by The Who). A repeated name
// goes with everything after it up to the next letter, except that a space ending the removed
// stretch stays (so "Artist - Song" leaves " Song", "Artist 1984 Song" leaves " Song").
std::string titleWithoutRepeats(const std::string &title, const std::vector<std::vector<std::string>> &names)
{
    const u::DecodedText decoded = u::decodeWithOffsets(title);
    const std::u32string &chars = decoded.codePoints;
    const std::vector<WordSpan> words = wordSpans(chars);
    const auto wordText = [&](const WordSpan &word) {
        return std::string_view(title).substr(decoded.offsets[word.first],
                                              decoded.offsets[word.end] - decoded.offsets[word.first]);
    };
    std::vector<bool> removed(chars.size(), false);
    std::vector<bool> wordRemoved(words.size(), false);
    for (const std::vector<std::string> &name : names) {
        for (std::size_t w = 0; w + name.size() <= words.size(); ++w) {
            bool same = true;
            for (std::size_t k = 0; same && k < name.size(); ++k)
                same = !wordRemoved[w + k] && u::compareFolded(wordText(words[w + k]), name[k]) == 0;
            if (!same)
                continue;
            std::size_t i = words[w].first;
            const std::size_t last = words[w + name.size() - 1].end;
            while (i < last)
                removed[i++] = true;
            while (i < chars.size() && !isLetter(chars[i]))
                removed[i++] = true;
            if (chars[i - 1] == U' ')
                removed[i - 1] = false;
            for (std::size_t k = 0; k < name.size(); ++k)
                wordRemoved[w + k] = true;
            w += name.size() - 1;
        }
    }
    std::u32string kept;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!removed[i])
            kept.push_back(chars[i]);
    }
    std::size_t begin = 0;
    std::size_t end = kept.size();
    while (begin < end && isBlank(kept[begin]))
        ++begin;
    while (end > begin && isBlank(kept[end - 1]))
        --end;
    return u::toUtf8(std::u32string_view(kept).substr(begin, end - begin));
}

bool stopsTrailingTrim(char32_t c)
{
    return c == U'"' || c == U'\'' || c == U'(' || c == U')' || c == U'[' || c == U']';
}

// Leading characters up to the first letter or digit go; trailing ones that are not letters
// or digits go too, unless a quotation mark, apostrophe, parenthesis or bracket stops it.
std::string trimToAlphanumerics(std::string_view name)
{
    std::size_t pos = 0;
    char32_t c = 0;
    bool found = false;
    while (!found && pos < name.size()) {
        c = u::nextCodePoint(name, pos);
        found = isAlnum(c);
    }
    if (!found)
        return {};
    // One pass from the first letter or digit: what is kept ends after the last character that
    // stops the trailing trim, within the field's limit.
    std::string out;
    out.reserve(name.size());
    std::size_t kept = 0;
    for (std::size_t count = 1;; ++count) {
        u::appendCodePoint(out, c);
        if (continuesWord(c) || stopsTrailingTrim(c))
            kept = out.size();
        if (count == kFieldLimit || pos >= name.size())
            break;
        c = u::nextCodePoint(name, pos);
    }
    out.resize(kept);
    return out;
}

std::string collapseSpaces(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out.push_back(c);
    }
    return out;
}

// Parts of a name joined by " - "; an empty part takes no place and no separator.
class NameParts {
public:
    void add(std::string_view part)
    {
        if (part.empty())
            return;
        if (!m_name.empty())
            u::boundedAppend(m_name, kPartSeparator);
        u::boundedAppend(m_name, part);
    }
    const std::string &name() const { return m_name; }

private:
    std::string m_name;
};

} // namespace

std::u16string BuildTrackFileName(const catalog::CMetaDat &entry, int index, const PlacementOptions &options)
{
    const std::string track = workingText(trackTextFor(entry.TrackText, index, options), kTrackTextLimit);
    const std::string fullArtist = workingText(entry.Artist, kFieldLimit);
    const std::string fullComposer = workingText(entry.Composer, kFieldLimit);
    std::string artist = fullArtist;
    std::string composer = fullComposer;
    const std::string title = workingText(entry.Title, kFieldLimit);

    NameParts parts;
    parts.add(track);

    u::shortenTo40(artist);
    u::shortenTo40(composer);

    u::WordSplit artistSplit;
    u::WordSplit composerSplit;
    if (!artist.empty()) {
        artistSplit = u::splitWords(artist);
        parts.add(artist);
        if (!composer.empty())
            composerSplit = u::splitWords(composer);
    } else {
        parts.add(composer);
    }
    const ComparedWords artistWords(artistSplit);
    const ComparedWords composerWords(composerSplit);
    // A composer without words is left out; one that resembles the artist too.
    if (!artist.empty() && !composer.empty() && composerWords.count > 0 && !anyPairResembles(artistWords, composerWords))
        parts.add(composer);

    if (!title.empty())
        parts.add(titleWithoutRepeats(title, repeatableNames({fullArtist, fullComposer})));

    std::string name = collapseSpaces(trimToAlphanumerics(parts.name()));

    // One file name component: keep within the file system's limit with room for a
    // collision suffix and the extension, then trim again what the cut left at the end.
    if (name.size() > kMaxBuiltNameBytes)
        name = collapseSpaces(trimToAlphanumerics(u::fitNameBytes(name, kMaxBuiltNameBytes)));
    return text::utf8ToUtf16(name);
}

} // namespace tunvale::output
