#include "catalog/intake/artist_credit.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/names.h"
#include "catalog/text/unicode/utf8.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tunvale::catalog {

namespace {

namespace u = text::unicode;

// A separator before this character is part of the name (AC/DC, Jay-Z), not a cut point.
constexpr std::size_t kFirstCutPosition = 5;

constexpr std::array<std::string_view, 5> kGuestMarkers = {"feat.", "feat", "ft.", "ft", "featuring"};
constexpr std::array<std::string_view, 2> kJointMarkers = {"&", "with"};

enum class Marker { None, Guest, Joint };

// A space-delimited word of the text: [begin, end) in bytes.
struct Word {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::vector<Word> wordsOf(std::string_view text)
{
    std::vector<Word> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        const std::size_t begin = pos;
        while (pos < text.size() && text[pos] != ' ')
            ++pos;
        if (pos > begin)
            words.push_back({begin, pos});
    }
    return words;
}

bool equalsAsciiIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

Marker markerOf(std::string_view word)
{
    if (!word.empty() && (word.front() == '(' || word.front() == '[')) {
        word.remove_prefix(1);
        for (const std::string_view marker : kGuestMarkers) {
            if (equalsAsciiIgnoringCase(word, marker))
                return Marker::Guest;
        }
        return Marker::None;
    }
    for (const std::string_view marker : kGuestMarkers) {
        if (equalsAsciiIgnoringCase(word, marker))
            return Marker::Guest;
    }
    for (const std::string_view marker : kJointMarkers) {
        if (equalsAsciiIgnoringCase(word, marker))
            return Marker::Joint;
    }
    return Marker::None;
}

// The markers of the text that credit another artist: never the first word (it names the
// main artist) nor the last (a marker introduces someone).
template <typename Visit> void forEachMarker(std::string_view text, Visit visit)
{
    const std::vector<Word> words = wordsOf(text);
    for (std::size_t i = 1; i + 1 < words.size(); ++i) {
        const Marker marker = markerOf(text.substr(words[i].begin, words[i].end - words[i].begin));
        if (marker != Marker::None)
            visit(marker, words[i]);
    }
}

} // namespace

ArtistCredit readArtistCredit(std::string_view text)
{
    ArtistCredit credit;
    credit.mainEnd = text.size();
    for (const u::SeparatorPosition &position : u::separatorPositions(text)) {
        if (position.character >= kFirstCutPosition) {
            credit.mainEnd = position.byte;
            break;
        }
    }
    forEachMarker(text, [&](Marker marker, const Word &word) {
        if (marker == Marker::Guest)
            credit.mainEnd = std::min(credit.mainEnd, word.begin);
    });
    forEachMarker(text, [&](Marker marker, const Word &word) {
        if (marker == Marker::Joint && credit.jointEnd == 0 && word.begin < credit.mainEnd)
            credit.jointEnd = word.begin;
    });
    return credit;
}

std::string creditTitleCase(std::string_view text)
{
    const std::string cased = u::titleCase(text);
    // Title case changes letters only, so the markers are the same words in both texts, in the
    // same order: each takes back its own spelling.
    std::vector<Word> own;
    forEachMarker(text, [&](Marker, const Word &word) { own.push_back(word); });
    std::vector<Word> changed;
    forEachMarker(cased, [&](Marker, const Word &word) { changed.push_back(word); });
    if (own.empty() || own.size() != changed.size())
        return cased;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < own.size(); ++i) {
        out.append(cased, copied, changed[i].begin - copied);
        out.append(text.substr(own[i].begin, own[i].end - own[i].begin));
        copied = changed[i].end;
    }
    out.append(cased, copied);
    return out;
}

} // namespace tunvale::catalog
