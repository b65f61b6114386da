// The 8-bit text rules beside their Unicode (UTF-8) forms, on the work grouping does: the word
// split that makes every entry's key, folding and folded comparison, and the distances
// between key words. Then a whole grouping of 100 000 entries (similitudes on), with the key
// words of the 8-bit split and with those of the UTF-8 split, and the cost the UTF-8 split
// adds to it. Names are artist names of Windows-1252 text (accented letters included), so
// both forms do the same work; a last part times the UTF-8 rules on names in other scripts.
//
// Usage: unicode_text_bench [entries]   (default: 100000)
// Prints, per rule: nanoseconds per call of each form (best of 5 runs) and their ratio; for
// the grouping, the best of 3 runs.

#include "catalog/grouping/group_finder.h"
#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "catalog/text/similarity.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"
#include "catalog/text/word_split.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

namespace text = tunvale::text;
namespace unicode = tunvale::text::unicode;
using tunvale::catalog::Catalog;
using tunvale::catalog::CMetaDat;
using tunvale::catalog::GroupFinder;

volatile std::size_t g_sink = 0;   // keeps the measured work

const std::vector<std::string> kSyllables = {
    "ka", "lo", "mi", "ra", "ten", "vor", "sil", "an", "bel", "cor", "dan", "el", "fin", "gor",
    "har", "is", "jun", "kel", "lim", "mor", "nor", "ol", "pra", "quin", "ros", "sta", "tur",
    "ul", "van", "wes", "xan", "yor", "zel", "bra", "cri", "dro", "fle", "glo", "mar", "son",
    "\xE9l", "m\xF6", "r\xE5", "\xE7" "a", "\xF1o", "\xDF" "e", "\xFC" "r"};   // accented, Windows-1252

// Names in other scripts, for the UTF-8 rules alone.
const std::vector<std::string> kOtherScripts = {
    "Кино", "ДДТ", "Би-2", "Земфира", "Μίκης Θεοδωράκης", "Χάρις Αλεξίου", "坂本龍一", "周杰伦",
    "宇多田ヒカル", "방탄소년단", "아이유", "فيروز", "عمرو دياب", "עידן רייכל", "Łona i Webber",
    "Dvořák", "Şımarık", "Đorđe Balašević", "Tiếng Việt hát", "किशोर कुमार"};

std::string makeWord(std::mt19937 &random)
{
    std::string word;
    const int syllables = 2 + static_cast<int>(random() % 2);
    for (int s = 0; s < syllables; ++s)
        word += kSyllables[random() % kSyllables.size()];
    word[0] = text::cp1252ToUpper(word[0]);
    return word;
}

// About 5 000 distinct artist names with spelling variants, as Windows-1252 text.
std::vector<std::string> makeNames(std::mt19937 &random, std::size_t distinct)
{
    std::vector<std::string> names;
    while (names.size() < distinct) {
        std::string base;
        const int words = 1 + static_cast<int>(random() % 3);
        for (int w = 0; w < words; ++w)
            base += (w ? " " : "") + makeWord(random);
        names.push_back(base);
        switch (random() % 4) {
        case 0: names.push_back("The " + base); break;
        case 1: names.push_back(base + "s"); break;
        case 2: names.push_back(base + " & " + makeWord(random)); break;
        default: break;
        }
    }
    names.resize(distinct);
    return names;
}

// Best time of 5 runs of operation, in seconds.
double bestOf5(const std::function<void()> &operation)
{
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void compare(const char *rule, std::size_t calls, const std::function<void()> &narrow, const std::function<void()> &utf8)
{
    const double a = bestOf5(narrow);
    const double b = bestOf5(utf8);
    const double perCall = 1e9 / static_cast<double>(calls);
    std::printf("%-34s 8-bit %8.1f ns   UTF-8 %8.1f ns   x%.2f\n", rule, a * perCall, b * perCall, b / a);
}

struct GroupingResult {
    double seconds = 0;
    std::size_t groups = 0;
};

// Groups every entry of the catalog, as the placement phase does, with similitudes on; the
// best of 3 runs.
GroupingResult groupOnce(Catalog &catalog)
{
    for (std::size_t i = 0; i < catalog.size(); ++i)
        catalog.at(i).Placed = 0;
    const auto start = std::chrono::steady_clock::now();
    GroupFinder finder(catalog, tunvale::catalog::criterion::kArtist, true);
    std::vector<std::size_t> members;
    GroupingResult result;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        if (finder.members(i, catalog.size(), members) == 0)
            continue;
        ++result.groups;
        for (const std::size_t m : members)
            catalog.at(m).Placed = 1;
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

GroupingResult group(Catalog &catalog)
{
    GroupingResult best = groupOnce(catalog);
    for (int run = 1; run < 3; ++run) {
        const GroupingResult next = groupOnce(catalog);
        if (next.seconds < best.seconds)
            best = next;
    }
    return best;
}

// A catalog of the given keys: the records split their keys by the UTF-8 rules; without
// unicodeKeys, the key words are replaced by those of the 8-bit split (in UTF-8).
Catalog makeCatalog(const std::vector<std::string> &keys, bool unicodeKeys)
{
    Catalog catalog;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        auto entry = std::make_unique<CMetaDat>("/music/" + std::to_string(i) + ".mp3", text::cp1252ToUtf16(keys[i]));
        if (!unicodeKeys) {
            const text::WordSplit split = text::splitWords(keys[i]);
            entry->KeyWordCount = static_cast<std::int32_t>(split.count);
            for (std::size_t k = 0; k < split.count; ++k)
                entry->KeyWords[k] = text::cp1252ToUtf8(split.words[k]);
        }
        catalog.append(std::move(entry));
    }
    return catalog;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t entries = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    if (entries == 0) {
        std::fprintf(stderr, "usage: unicode_text_bench [entries]\n");
        return 2;
    }
    std::mt19937 random(20240601);
    const std::vector<std::string> names = makeNames(random, 5000);
    std::vector<double> weights(names.size());
    for (std::size_t k = 0; k < names.size(); ++k)
        weights[k] = 1.0 / static_cast<double>(1 + k % 500);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    std::vector<std::string> keys(entries);
    std::vector<std::string> utf8Keys(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        keys[i] = names[pick(random)];
        utf8Keys[i] = text::cp1252ToUtf8(keys[i]);
    }

    // Key words of the distinct names, for the distances.
    std::vector<std::u16string> wideWords;
    std::vector<std::u32string> codePointWords;
    std::vector<std::string> narrowWords;
    std::vector<std::string> utf8Words;
    for (std::size_t n = 0; n < 600; ++n) {
        const text::WordSplit split = text::splitWords(names[n]);
        for (std::size_t k = 0; k < split.count; ++k) {
            narrowWords.push_back(split.words[k]);
            utf8Words.push_back(text::cp1252ToUtf8(split.words[k]));
            wideWords.push_back(text::cp1252ToUtf16(split.words[k]));
            codePointWords.push_back(unicode::toCodePoints(utf8Words.back()));
        }
    }
    const std::size_t pairs = narrowWords.size() * narrowWords.size();

    std::printf("%zu entries over %zu distinct names; distances over %zu word pairs\n", entries, names.size(), pairs);
    compare("word split (every entry)", entries,
            [&] { for (const auto &k : keys) g_sink = g_sink + text::splitWords(k).count; },
            [&] { for (const auto &k : utf8Keys) g_sink = g_sink + unicode::splitWords(k).count; });
    compare("fold to lower", entries,
            [&] { for (const auto &k : keys) g_sink = g_sink + text::foldToLower(k, 1022).size(); },
            [&] { for (const auto &k : utf8Keys) g_sink = g_sink + unicode::foldToLower(k, 1022).size(); });
    compare("compare, folded (neighbours)", entries - 1,
            [&] { for (std::size_t i = 1; i < entries; ++i) g_sink = g_sink + static_cast<std::size_t>(text::compareFolded(keys[i - 1], keys[i]) != 0); },
            [&] { for (std::size_t i = 1; i < entries; ++i) g_sink = g_sink + static_cast<std::size_t>(unicode::compareFolded(utf8Keys[i - 1], utf8Keys[i]) != 0); });
    compare("string similarity (word pairs)", pairs,
            [&] { for (const auto &a : narrowWords) for (const auto &b : narrowWords) g_sink = g_sink + static_cast<std::size_t>(text::stringSimilarity(a, b) > 0.7f); },
            [&] { for (const auto &a : utf8Words) for (const auto &b : utf8Words) g_sink = g_sink + static_cast<std::size_t>(unicode::stringSimilarity(a, b) > 0.7f); });
    compare("word similarity UTF-16 / code points", pairs,
            [&] { for (const auto &a : wideWords) for (const auto &b : wideWords) g_sink = g_sink + static_cast<std::size_t>(text::wordSimilarity(a, b)); },
            [&] { for (const auto &a : codePointWords) for (const auto &b : codePointWords) g_sink = g_sink + static_cast<std::size_t>(unicode::wordSimilarity(a, b)); });
    compare("word similarity UTF-16 / UTF-8", pairs,
            [&] { for (const auto &a : wideWords) for (const auto &b : wideWords) g_sink = g_sink + static_cast<std::size_t>(text::wordSimilarity(a, b)); },
            [&] { for (const auto &a : utf8Words) for (const auto &b : utf8Words) g_sink = g_sink + static_cast<std::size_t>(unicode::wordSimilarity(a, b)); });

    // The whole grouping, once with each form's key words; the UTF-8 split's own cost is added
    // to its figure (the 8-bit split runs while the catalog is built, before the timing).
    Catalog narrowCatalog = makeCatalog(keys, false);
    Catalog unicodeCatalog = makeCatalog(keys, true);
    const GroupingResult narrowGrouping = group(narrowCatalog);
    const GroupingResult unicodeGrouping = group(unicodeCatalog);
    const double narrowSplit = bestOf5([&] { for (const auto &k : keys) g_sink = g_sink + text::splitWords(k).count; });
    const double unicodeSplit = bestOf5([&] { for (const auto &k : utf8Keys) g_sink = g_sink + unicode::splitWords(k).count; });
    std::printf("grouping %zu entries: 8-bit keys %.3f s (%zu groups), UTF-8 keys %.3f s (%zu groups)\n", entries,
                narrowGrouping.seconds, narrowGrouping.groups, unicodeGrouping.seconds, unicodeGrouping.groups);
    std::printf("key words of %zu entries: 8-bit split %.3f s, UTF-8 split %.3f s\n", entries, narrowSplit, unicodeSplit);
    std::printf("grouping with its keys: 8-bit %.3f s, UTF-8 %.3f s, x%.2f\n", narrowGrouping.seconds + narrowSplit,
                unicodeGrouping.seconds + unicodeSplit,
                (unicodeGrouping.seconds + unicodeSplit) / (narrowGrouping.seconds + narrowSplit));

    // Other scripts: the UTF-8 rules alone.
    const std::size_t rounds = 20000;
    const double otherSplit = bestOf5([&] {
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto &name : kOtherScripts) g_sink = g_sink + unicode::splitWords(name).count;
    });
    const double otherFold = bestOf5([&] {
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto &name : kOtherScripts) g_sink = g_sink + unicode::foldToLower(name, 1022).size();
    });
    const double calls = static_cast<double>(rounds * kOtherScripts.size());
    std::printf("other scripts (UTF-8 only): word split %.1f ns, fold to lower %.1f ns\n", otherSplit * 1e9 / calls,
                otherFold * 1e9 / calls);
    return 0;
}
