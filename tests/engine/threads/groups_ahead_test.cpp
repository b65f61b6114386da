#include "engine/threads/groups_ahead.h"

#include "catalog/grouping/group_finder.h"
#include "catalog/records/load_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tunvale::engine {
namespace {

using catalog::Catalog;
using catalog::CMetaDat;
using Indices = std::vector<std::size_t>;

// Artist names in a few spellings each, some entries without key words, some placed already.
Catalog randomCatalog(std::mt19937 &random, std::size_t entries)
{
    static const std::vector<std::vector<std::string>> names = {
        {"The", "Beatles"}, {"Beatles"}, {"Beatle"}, {"Pink", "Floyd"}, {"Pink", "Floid"}, {"Madonna"},
        {"Madona"}, {"Guns", "N", "Roses"}, {"Guns", "Roses"}, {"Simon", "Garfunkel"}, {"Simon", "And", "Garfunkel"}};
    Catalog catalog;
    for (std::size_t i = 0; i < entries; ++i) {
        auto entry = std::make_unique<CMetaDat>("/src/file.mp3", u"");
        if (random() % 10 != 0) {
            const std::vector<std::string> &words = names[random() % names.size()];
            for (std::size_t w = 0; w < words.size(); ++w)
                entry->KeyWords[w] = words[w];
            entry->KeyWordCount = static_cast<std::int32_t>(words.size());
        }
        entry->Placed = random() % 15 == 0 ? 1 : 0;
        catalog.append(std::move(entry));
    }
    return catalog;
}

// The placement phase as the worker runs it: first entries in ascending order, each group's
// members placed before the next question; given up after the first entry stop when given.
std::vector<Indices> placeAll(Catalog &catalog, GroupSource &groups, std::size_t n, std::size_t stop = SIZE_MAX)
{
    std::vector<Indices> found;
    Indices members;
    for (std::size_t first = 0; first < n && first < stop; ++first) {
        if (groups.members(first, n, members) == 0)
            continue;
        for (const std::size_t m : members)
            catalog.at(m).Placed = 1;
        found.push_back(members);
    }
    return found;
}

class CallerThreadFinder final : public GroupSource {
public:
    CallerThreadFinder(const Catalog &catalog, int code, bool similitudes) : m_finder(catalog, code, similitudes) {}
    std::size_t members(std::size_t first, std::size_t n, Indices &members) override
    {
        return m_finder.members(first, n, members);
    }

private:
    catalog::GroupFinder m_finder;
};

// The search ahead gives every group the finder gives when asked on the caller's thread, for
// every criterion, with and without similitudes, with entries placed before the phase and a
// phase over only the first entries.
TEST(GroupsAhead, GivesTheGroupsOfTheFinderAskedInTurn)
{
    std::mt19937 random(20261211);
    const int codes[] = {catalog::criterion::kArtist, catalog::criterion::kAlbum, catalog::criterion::kGenre};
    std::size_t merged = 0;
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        const std::size_t entries = 1 + random() % 120;
        const Catalog original = randomCatalog(random, entries);
        const int code = codes[random() % 3];
        const bool similitudes = random() % 4 != 0;
        const std::size_t n = round % 5 == 0 ? random() % (entries + 1) : entries;
        const auto copy = [&] {
            Catalog catalog;
            for (std::size_t i = 0; i < original.size(); ++i)
                catalog.append(std::make_unique<CMetaDat>(original.at(i)));
            return catalog;
        };
        Catalog inTurn = copy();
        Catalog ahead = copy();
        CallerThreadFinder finder(inTurn, code, similitudes);
        GroupsAhead search(ahead, code, similitudes);
        const std::vector<Indices> expected = placeAll(inTurn, finder, n);
        EXPECT_EQ(placeAll(ahead, search, n), expected) << "round " << round;
        for (const Indices &group : expected)
            merged += group.size() > 1 ? 1 : 0;
    }
    EXPECT_GT(merged, 300u);   // the catalogs do merge names
}

// A phase given up early (an abort, a failed folder) ends the search without waiting for it
// to reach the end, and what was asked until then was answered as in turn.
TEST(GroupsAhead, APhaseGivenUpEarlyEndsTheSearch)
{
    std::mt19937 random(7);
    const Catalog original = randomCatalog(random, 4000);
    for (const std::size_t asked : {0, 1, 200}) {
        Catalog inTurn;
        Catalog ahead;
        for (std::size_t i = 0; i < original.size(); ++i) {
            inTurn.append(std::make_unique<CMetaDat>(original.at(i)));
            ahead.append(std::make_unique<CMetaDat>(original.at(i)));
        }
        CallerThreadFinder finder(inTurn, catalog::criterion::kArtist, true);
        GroupsAhead search(ahead, catalog::criterion::kArtist, true);
        EXPECT_EQ(placeAll(ahead, search, ahead.size(), asked), placeAll(inTurn, finder, inTurn.size(), asked))
            << asked;
    }
}

} // namespace
} // namespace tunvale::engine
