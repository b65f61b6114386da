// Grouping a whole run: the placement phase asks the group finder for the members of every
// unplaced entry in order and marks them placed. Catalogs of 20 000 and 100 000 entries over
// about 5 000 distinct artist keys (spelling variants included), similitudes on.
//
// Usage: grouping_bench [entries...]   (default: 20000 100000)
// Prints, per size: the time of the finder's construction and of the placement loop (wall
// clock and CPU time of this one thread), entries per second, the number of groups, and the peak resident memory of the process so far.

#include "catalog/grouping/group_finder.h"
#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "catalog/text/codepage.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using tunvale::catalog::Catalog;
using tunvale::catalog::CMetaDat;
using tunvale::catalog::GroupFinder;

constexpr std::size_t kDistinctKeys = 5000;

const std::vector<std::string> kSyllables = {
    "ka", "lo", "mi", "ra", "ten", "vor", "sil", "an", "bel", "cor", "dan", "el", "fin", "gor",
    "har", "is", "jun", "kel", "lim", "mor", "nor", "ol", "pra", "quin", "ros", "sta", "tur",
    "ul", "van", "wes", "xan", "yor", "zel", "bra", "cri", "dro", "fle", "glo", "mar", "son"};

std::string makeWord(std::mt19937 &random)
{
    std::string word;
    const int syllables = 2 + static_cast<int>(random() % 2);
    for (int s = 0; s < syllables; ++s)
        word += kSyllables[random() % kSyllables.size()];
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

std::string typo(std::string name, std::mt19937 &random)
{
    const std::size_t position = 1 + random() % (name.size() - 1);
    if (name[position] == ' ')
        return name + "s";
    switch (random() % 3) {
    case 0: name[position] = static_cast<char>('a' + random() % 26); break;
    case 1: name.erase(position, 1); break;
    default: name.insert(position, 1, static_cast<char>('a' + random() % 26)); break;
    }
    return name;
}

// About kDistinctKeys artist names: base names and, for many of them, spelling variants.
std::vector<std::string> makeArtistNames(std::mt19937 &random)
{
    std::set<std::string> seen;
    std::vector<std::string> names;
    auto add = [&](const std::string &name) {
        if (seen.insert(name).second)
            names.push_back(name);
    };
    while (names.size() < kDistinctKeys) {
        std::string base;
        const int words = 1 + static_cast<int>(random() % 3);
        for (int w = 0; w < words; ++w)
            base += (w ? " " : "") + makeWord(random);
        add(base);
        switch (random() % 4) {
        case 0: add("The " + base); break;
        case 1: add(typo(base, random)); break;
        case 2: add(base + " & " + makeWord(random)); break;
        default: break;
        }
    }
    names.resize(kDistinctKeys);
    return names;
}

Catalog makeCatalog(std::size_t entries, const std::vector<std::string> &names, std::mt19937 &random)
{
    Catalog catalog;
    // A few artists have many files, most have few.
    std::vector<double> weights(names.size());
    for (std::size_t k = 0; k < names.size(); ++k)
        weights[k] = 1.0 / static_cast<double>(1 + k % 500);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    for (std::size_t i = 0; i < entries; ++i) {
        const std::string &name = names[pick(random)];
        auto entry = std::make_unique<CMetaDat>("/music/" + std::to_string(i) + ".mp3",
                                                tunvale::text::cp1252ToUtf16(name));
        catalog.append(std::move(entry));
    }
    return catalog;
}

#if defined(_WIN32)
double cpuSeconds() { return 0.0; }   // CPU time and peak memory are reported on POSIX only
long peakResidentKiB() { return 0; }
#else
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
#endif

void run(std::size_t entries)
{
    std::mt19937 random(static_cast<unsigned>(entries));
    const std::vector<std::string> names = makeArtistNames(random);
    Catalog catalog = makeCatalog(entries, names, random);
    const long beforeKiB = peakResidentKiB();

    using Clock = std::chrono::steady_clock;
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    GroupFinder finder(catalog, tunvale::catalog::criterion::kArtist, true);
    const auto built = Clock::now();
    std::vector<std::size_t> members;
    std::size_t groups = 0;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        if (finder.members(i, catalog.size(), members) == 0)
            continue;
        ++groups;
        for (const std::size_t m : members)
            catalog.at(m).Placed = 1;
        placed += members.size();
    }
    const auto done = Clock::now();
    const double cpuTotal = cpuSeconds() - cpuStart;

    const double buildSeconds = std::chrono::duration<double>(built - start).count();
    const double totalSeconds = std::chrono::duration<double>(done - start).count();
    std::printf("entries %zu, distinct keys %zu: build %.3f s, total %.3f s (CPU %.3f s), "
                "%.0f entries/s (%.0f per CPU second), %zu groups, %zu placed, peak RSS %ld KiB "
                "(catalog alone %ld KiB)\n",
                entries, names.size(), buildSeconds, totalSeconds, cpuTotal,
                static_cast<double>(entries) / totalSeconds,
                cpuTotal > 0 ? static_cast<double>(entries) / cpuTotal : 0.0, groups, placed,
                peakResidentKiB(), beforeKiB);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::size_t> sizes;
    for (int a = 1; a < argc; ++a)
        sizes.push_back(static_cast<std::size_t>(std::strtoull(argv[a], nullptr, 10)));
    if (sizes.empty())
        sizes = {20000, 100000};
    for (const std::size_t size : sizes)
        run(size);
    return 0;
}
