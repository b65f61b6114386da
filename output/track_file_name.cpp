#include "output/track_file_name.h"

#include "catalog/text/codepage.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"
#include "output/name_text.h"
#include "output/track_numbering.h"

#include <algorithm>
#include <array>
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

// The code points isBlank takes, as bytes (NUL included).
constexpr std::string_view kBlanks{"\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
                                   "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f\x20",
                                   33};

// The title without the words that repeat the artist or composer: each such word goes with
// everything after it up to the next letter, except that a space ending the removed stretch
// stays (so "Artist - Song" leaves " Song").
std::string titleWithoutRepeats(const std::string &title, const ComparedWords &artistWords,
                                const ComparedWords &composerWords)
{
    const u::WordSplit titleWords = u::splitWords(title);
    std::array<bool, u::kMaxKeyWords> repeats{};
    bool anyRepeats = false;
    for (std::size_t w = 0; w < titleWords.count; ++w) {
        const u::ComparedWord word(titleWords.words[w]);
        repeats[w] = resemblesAny(word, artistWords) || resemblesAny(word, composerWords);
        anyRepeats = anyRepeats || repeats[w];
    }
    if (!anyRepeats) {
        // Nothing to remove: only the blanks at either end go. They are single bytes in UTF-8,
        // and the title is valid UTF-8 (file-name-safe text is re-encoded).
        const std::size_t begin = std::min(title.size(), title.find_first_not_of(kBlanks));
        const std::size_t last = title.find_last_not_of(kBlanks);
        return last == std::string::npos ? std::string() : title.substr(begin, last + 1 - begin);
    }
    const u::DecodedText decoded = u::decodeWithOffsets(title);
    const std::u32string &chars = decoded.codePoints;
    std::vector<bool> removed(chars.size(), false);
    for (std::size_t w = 0; w < titleWords.count; ++w) {
        if (!repeats[w])
            continue;
        // The character where the word starts.
        std::size_t i = 0;
        while (i < chars.size() && decoded.offsets[i] < titleWords.starts[w])
            ++i;
        const std::size_t first = i;
        while (i < chars.size() && continuesWord(chars[i]))
            removed[i++] = true;
        while (i < chars.size() && !isLetter(chars[i]))
            removed[i++] = true;
        if (i > first && chars[i - 1] == U' ')
            removed[i - 1] = false;
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
    std::string artist = workingText(entry.Artist, kFieldLimit);
    std::string composer = workingText(entry.Composer, kFieldLimit);
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
        parts.add(titleWithoutRepeats(title, artistWords, composerWords));

    std::string name = collapseSpaces(trimToAlphanumerics(parts.name()));

    // One file name component: keep within the file system's limit with room for a
    // collision suffix and the extension, then trim again what the cut left at the end.
    if (name.size() > kMaxBuiltNameBytes)
        name = collapseSpaces(trimToAlphanumerics(u::fitNameBytes(name, kMaxBuiltNameBytes)));
    return text::utf8ToUtf16(name);
}

} // namespace tunvale::output
