#include "catalog/grouping/group_finder.h"

#include "catalog/grouping/similitude.h"
#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace tunvale::catalog {
namespace {

using Indices = std::vector<std::size_t>;

// An entry whose group key is given as text (split into key words as intake does).
std::unique_ptr<CMetaDat> keyed(std::u16string_view key)
{
    return std::make_unique<CMetaDat>("/src/file.mp3", key);
}

// An entry with exactly these key words.
std::unique_ptr<CMetaDat> withWords(const std::vector<std::string> &words)
{
    auto entry = std::make_unique<CMetaDat>("/src/file.mp3", u"");
    for (std::size_t w = 0; w < words.size(); ++w)
        entry->KeyWords[w] = words[w];
    entry->KeyWordCount = static_cast<std::int32_t>(words.size());
    return entry;
}

// The grouping exactly as the organizer describes it: entry i against every entry 0..n-1,
// word lists made afresh for each pair.
Indices literalMembers(const Catalog &catalog, std::size_t i, std::size_t n, int criterionCode,
                       bool acceptSimilitudes)
{
    Indices members;
    const CMetaDat &first = catalog.at(i);
    if (first.Placed != 0 || first.KeyWordCount == 0)
        return members;
    auto wordsOf = [](const CMetaDat &entry) {
        WordList words;
        for (std::int32_t w = 0; w < entry.KeyWordCount; ++w)
            words.push_back(text::cp1252ToUtf16(entry.KeyWords[static_cast<std::size_t>(w)]));
        return words;
    };
    const WordList a = wordsOf(first);
    for (std::size_t j = 0; j < n; ++j) {
        const CMetaDat &other = catalog.at(j);
        if (other.Placed != 0 || other.KeyWordCount == 0)
            continue;
        const WordList b = wordsOf(other);
        bool member = false;
        if (acceptSimilitudes && criterionCode != 6 && criterionCode != 5) {
            const Similitude result = a.size() <= b.size() ? similitude(a, b) : similitude(b, a);
            float score = result.score;
            if (result.matchCount >= 1)
                score += 0.05f;
            member = score >= 0.8f;
        } else if (a.size() == b.size()) {
            member = true;
            for (std::size_t w = 0; w < a.size() && member; ++w) {
                if (a[w].size() != b[w].size()) {
                    member = false;
                    break;
                }
                for (std::size_t c = 0; c < a[w].size(); ++c) {
                    if (text::wideToLower(a[w][c]) != text::wideToLower(b[w][c]))
                        member = false;
                }
            }
        }
        if (member)
            members.push_back(j);
    }
    return members;
}

// Runs the placement phase: first entries in ascending order, members marked placed.
std::vector<Indices> placeAll(Catalog &catalog, int criterionCode, bool acceptSimilitudes)
{
    GroupFinder finder(catalog, criterionCode, acceptSimilitudes);
    std::vector<Indices> groups;
    Indices members;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        if (finder.members(i, catalog.size(), members) == 0)
            continue;
        for (const std::size_t m : members)
            catalog.at(m).Placed = 1;
        groups.push_back(members);
    }
    return groups;
}

TEST(Grouping, TheBeatlesMergeOnlyWithSimilitudes)
{
    for (const bool accept : {false, true}) {
        Catalog catalog;
        catalog.append(keyed(u"Beatles"));
        catalog.append(keyed(u"Madonna"));
        catalog.append(keyed(u"The Beatles"));
        const auto groups = placeAll(catalog, criterion::kArtist, accept);
        if (accept)
            EXPECT_EQ(groups, (std::vector<Indices>{{0, 2}, {1}}));
        else
            EXPECT_EQ(groups, (std::vector<Indices>{{0}, {1}, {2}}));
    }
}

TEST(Grouping, EdgeCases)
{
    struct Case {
        const char *name;
        std::vector<std::u16string> keys;
        int criterionCode;
        bool accept;
        std::vector<Indices> groups;
    };
    const std::vector<Case> cases = {
        {"same_key_always_shares", {u"Live", u"Live"}, criterion::kAlbum, false, {{0, 1}}},
        {"same_key_with_similitudes", {u"Live", u"Live"}, criterion::kAlbum, true, {{0, 1}}},
        {"punctuation_never_grouped", {u"!!!", u"...", u"Live"}, criterion::kArtist, true, {{2}}},
        {"year_never_uses_similitudes", {u"1999", u"1998"}, criterion::kYear, true, {{0}, {1}}},
        {"genre_never_uses_similitudes", {u"Rock", u"Rocks"}, criterion::kGenre, true, {{0}, {1}}},
        {"decades_stay_apart", {u"1980-1989", u"1990-1999"}, criterion::kDecade, true, {{0}, {1}}},
        {"undefined_shares_one_folder", {u"Undefined", u"Abba", u"Undefined"}, criterion::kArtist, true, {{0, 2}, {1}}},
        {"undefined_without_similitudes", {u"Undefined", u"Abba", u"Undefined"}, criterion::kArtist, false, {{0, 2}, {1}}},
        {"case_is_ignored_without_similitudes", {u"ABBA", u"abba"}, criterion::kArtist, false, {{0, 1}}},
        {"guns_n_roses", {u"Guns Roses", u"Guns N Roses"}, criterion::kArtist, true, {{0, 1}}},
        {"pink_floyd_typo", {u"Pink Floid", u"Metallica", u"Pink Floyd"}, criterion::kArtist, true, {{0, 2}, {1}}},
        // Not transitive: B joins A, C is close to B only and forms its own group.
        {"first_entry_wins", {u"Abcdefgh", u"Abcdefgx", u"Abcdefxx"}, criterion::kArtist, true, {{0, 1}, {2}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Catalog catalog;
        for (const std::u16string &key : c.keys)
            catalog.append(keyed(key));
        EXPECT_EQ(placeAll(catalog, c.criterionCode, c.accept), c.groups);
    }
}

TEST(Grouping, PlacedOrWordlessFirstEntriesReturnNothing)
{
    Catalog catalog;
    catalog.append(keyed(u"Queen"));
    catalog.append(keyed(u"Queen"));
    catalog.append(keyed(u"--"));
    GroupFinder finder(catalog, criterion::kArtist, true);
    Indices members{99};
    catalog.at(0).Placed = 1;
    EXPECT_EQ(finder.members(0, 3, members), 0u);
    EXPECT_TRUE(members.empty());
    EXPECT_EQ(finder.members(2, 3, members), 0u);
    // An unplaced first entry is always its own member; the placed entry 0 is left out.
    EXPECT_EQ(finder.members(1, 3, members), 1u);
    EXPECT_EQ(members, Indices{1});
    // Only entries below n are looked at.
    catalog.at(0).Placed = 0;
    GroupFinder fresh(catalog, criterion::kArtist, true);
    EXPECT_EQ(fresh.members(0, 1, members), 1u);
    EXPECT_EQ(fresh.members(0, 2, members), 2u);
}

TEST(Grouping, EntriesAppendedAfterConstructionAreSeen)
{
    Catalog catalog;
    catalog.append(keyed(u"Queen"));
    GroupFinder finder(catalog, criterion::kArtist, true);
    catalog.append(keyed(u"Queen"));
    Indices members;
    EXPECT_EQ(finder.members(0, catalog.size(), members), 2u);
}

TEST(Grouping, GroupsLargerThanSixteenBitIndices)
{
    // 70 000 entries of one key: one group holding every index, the last above 65535.
    Catalog catalog;
    constexpr std::size_t kEntries = 70000;
    for (std::size_t i = 0; i < kEntries; ++i)
        catalog.append(withWords({"Live"}));
    for (const bool accept : {false, true}) {
        for (std::size_t i = 0; i < kEntries; ++i)
            catalog.at(i).Placed = 0;
        GroupFinder finder(catalog, criterion::kAlbum, accept);
        Indices members;
        ASSERT_EQ(finder.members(0, kEntries, members), kEntries);
        EXPECT_EQ(members.back(), kEntries - 1);
        EXPECT_TRUE(std::is_sorted(members.begin(), members.end()));
    }
}

// Random catalogs built from a few names and their spelling variants, so that keys near the
// threshold, equal word counts, duplicated words, case differences and keys without words are
// all frequent.
class RandomCatalog {
public:
    explicit RandomCatalog(unsigned seed)
        : m_random(seed)
    {
    }

    std::string word()
    {
        static const std::vector<std::string> vocabulary = {
            "The", "Beatles", "Beatle", "Guns", "N", "Roses", "Pink", "Floyd", "Floid", "Madonna",
            "Metallica", "Simon", "Garfunkel", "And", "Live", "Undefined", "1980", "1989",
            "1990", "1999", "Rock", "Roll", "Ab", "B", "X", "Orchestra", "Quartet", "Band"};
        return vocabulary[m_random() % vocabulary.size()];
    }

    std::string typo(std::string w)
    {
        const std::size_t position = w.empty() ? 0 : m_random() % w.size();
        const char letter = static_cast<char>('a' + m_random() % 26);
        switch (m_random() % 5) {
        case 0: if (!w.empty()) w[position] = letter; break;
        case 1: w.insert(w.begin() + static_cast<std::ptrdiff_t>(position), letter); break;
        case 2: if (w.size() > 1) w.erase(position, 1); break;
        case 3: if (!w.empty()) w[position] = static_cast<char>(text::cp1252ToUpper(w[position])); break;
        default: w += letter; break;
        }
        return w;
    }

    std::vector<std::string> name()
    {
        std::vector<std::string> words;
        const std::size_t count = 1 + m_random() % 4;
        for (std::size_t i = 0; i < count; ++i)
            words.push_back(m_random() % 3 == 0 ? typo(word()) : word());
        return words;
    }

    std::vector<std::string> variant(std::vector<std::string> words)
    {
        switch (m_random() % 7) {
        case 0: words[m_random() % words.size()] = typo(words[m_random() % words.size()]); break;
        case 1: if (words.size() > 1) words.erase(words.begin() + static_cast<std::ptrdiff_t>(m_random() % words.size())); break;
        case 2: if (words.size() < 8) words.insert(words.begin(), "The"); break;
        case 3: if (words.size() < 8) words.push_back(words.front()); break;
        case 4: std::swap(words.front(), words.back()); break;
        default: break;   // the name itself
        }
        return words;
    }

    Catalog build(std::size_t entries, double placedShare)
    {
        Catalog catalog;
        std::vector<std::vector<std::string>> names;
        const std::size_t nameCount = 1 + m_random() % 6;
        for (std::size_t i = 0; i < nameCount; ++i)
            names.push_back(name());
        for (std::size_t i = 0; i < entries; ++i) {
            std::vector<std::string> words;
            if (m_random() % 12 != 0)
                words = variant(names[m_random() % names.size()]);
            catalog.append(withWords(words));
            if (std::uniform_real_distribution<double>(0, 1)(m_random) < placedShare)
                catalog.at(i).Placed = 1;
        }
        return catalog;
    }

    std::mt19937 &random() { return m_random; }

private:
    std::mt19937 m_random;
};

// Asks the finder for every first entry (in the given order, placing each group as the worker does)
// and checks each answer against the literal algorithm. Returns how many groups had more
// than one member.
std::size_t checkAgainstOracle(Catalog &catalog, int code, bool accept, const std::vector<std::size_t> &seeds,
                               std::size_t n, int round)
{
    GroupFinder finder(catalog, code, accept);
    std::size_t merged = 0;
    Indices members;
    for (const std::size_t seed : seeds) {
        const Indices expected = literalMembers(catalog, seed, n, code, accept);
        finder.members(seed, n, members);
        EXPECT_EQ(members, expected) << "catalog " << round << " seed " << seed << " code " << code
                                     << " accept " << accept << " n " << n;
        if (members != expected)
            return merged;
        for (const std::size_t m : members)
            catalog.at(m).Placed = 1;
        if (members.size() > 1)
            ++merged;
    }
    return merged;
}

TEST(GroupingOracle, MatchesTheLiteralAlgorithmOnRandomCatalogs)
{
    const std::vector<int> codes = {criterion::kArtist, criterion::kAlbum, criterion::kYear,
                                    criterion::kGenre, criterion::kDecade, criterion::kNone};
    RandomCatalog generator(20261210);
    std::size_t seedsAsked = 0;
    std::size_t merged = 0;
    constexpr int kCatalogs = 4000;
    for (int round = 0; round < kCatalogs && !HasFailure(); ++round) {
        auto &random = generator.random();
        const std::size_t entries = 1 + random() % 40;
        Catalog catalog = generator.build(entries, round % 4 == 0 ? 0.2 : 0.0);
        const int code = codes[random() % codes.size()];
        const bool accept = random() % 4 != 0;

        // Seeds in ascending order as the worker asks, or shuffled; n sometimes short.
        std::vector<std::size_t> seeds(entries);
        std::iota(seeds.begin(), seeds.end(), 0);
        if (round % 3 == 0)
            std::shuffle(seeds.begin(), seeds.end(), random);
        const std::size_t n = round % 5 == 0 ? random() % (entries + 1) : entries;
        merged += checkAgainstOracle(catalog, code, accept, seeds, n, round);
        seedsAsked += seeds.size();
    }
    // The catalogs must actually exercise merging, not only singletons.
    EXPECT_GT(merged, seedsAsked / 20);
}

TEST(GroupingOracle, UnusualKeysMatchTheLiteralAlgorithm)
{
    // Key words no word split produces, set directly: words longer than 30 characters (keys
    // whose total length escapes the quick bounds) and empty words.
    std::mt19937 random(99);
    RandomCatalog generator(5);
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        const std::string base = std::string(35, 'a') + std::to_string(round);
        Catalog catalog;
        const std::size_t entries = 2 + random() % 20;
        for (std::size_t i = 0; i < entries; ++i) {
            std::vector<std::string> words;
            switch (random() % 4) {
            case 0: words.assign(8, generator.typo(base)); break;
            case 1: words = {generator.typo(base), std::string(40, 'b')}; break;
            case 2: words = {"", generator.word()}; break;
            default: words = {"", ""}; break;
            }
            catalog.append(withWords(words));
        }
        std::vector<std::size_t> seeds(entries);
        std::iota(seeds.begin(), seeds.end(), 0);
        checkAgainstOracle(catalog, criterion::kArtist, true, seeds, entries, round);
    }
}

} // namespace
} // namespace tunvale::catalog
