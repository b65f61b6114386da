#include "catalog/grouping/group_finder.h"

#include "catalog/grouping/similitude.h"
#include "catalog/records/load_options.h"
#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

// Grouping compares a seed with every unplaced entry, but entries with the same key words
// always decide alike. So the finder works on distinct keys: word lists are built once per
// key, a decision is computed once per ordered pair of keys and cached, and cheap upper
// bounds on the similitude rule out most pairs before any table is built. The members are
// those of comparing the seed with entries 0..n-1 one by one, in ascending order.

namespace tunvale::catalog {

namespace {

constexpr std::uint32_t kNoKey = UINT32_MAX;
constexpr std::size_t kBuckets = 32;

using Histogram = std::array<std::uint8_t, kBuckets>;

// Characters counted by bucket, case folded together; merging characters into one bucket
// only raises the common count, so it stays an upper bound.
std::size_t bucketOf(char16_t unit)
{
    if (unit >= u'a' && unit <= u'z')
        return static_cast<std::size_t>(unit - u'a');
    if (unit >= u'A' && unit <= u'Z')
        return static_cast<std::size_t>(unit - u'A');
    return 26 + static_cast<std::size_t>(unit % 6);
}

struct Key {
    WordList words;
    std::vector<std::size_t> entries;   // ascending catalog indices
    std::size_t cursor = 0;             // entries before it are placed
    bool alive = false;                 // listed among the keys that may have unplaced entries

    // Summaries for the bounds.
    std::uint32_t totalLength = 0;
    Histogram histogram{};
    bool boundable = true;              // false for empty words or very long keys
    std::uint64_t longWordSignature = 0; // one bit per word of 4 characters or more
    std::uint32_t foldedClass = 0;      // the keys equal to this one ignoring case
};

} // namespace

struct GroupFinder::Impl {
    Impl(const Catalog &catalog, int criterionCode, bool acceptSimilitudes)
        : m_catalog(catalog)
        , m_useSimilitudes(acceptSimilitudes && criterionCode != criterion::kGenre &&
                           criterionCode != criterion::kYear)
    {
    }

    void indexNewEntries();
    std::uint32_t keyOf(const CMetaDat &entry);
    bool decide(std::uint32_t seedKey, std::uint32_t otherKey);
    bool mayReachThreshold(const Key &s, const Key &l) const;
    bool firstUnplaced(Key &key, std::size_t n, std::size_t &position);

    const Catalog &m_catalog;
    const bool m_useSimilitudes;

    std::vector<std::uint32_t> m_keyOfEntry;   // kNoKey for entries without key words
    std::vector<Key> m_keys;
    std::unordered_map<std::string, std::uint32_t> m_keyIds;   // exact words -> key
    // Without similitudes: the words in lower case name a class of keys equal ignoring case.
    std::unordered_map<std::string, std::uint32_t> m_foldedClassIds;
    std::vector<std::vector<std::uint32_t>> m_foldedClasses;
    std::vector<std::uint32_t> m_aliveKeys;
    // Decisions per ordered pair (first list as passed to the similitude, second list).
    std::unordered_map<std::uint64_t, bool> m_decisions;
};

std::uint32_t GroupFinder::Impl::keyOf(const CMetaDat &entry)
{
    const std::size_t count =
        static_cast<std::size_t>(std::clamp<std::int32_t>(entry.KeyWordCount, 0,
                                                          static_cast<std::int32_t>(entry.KeyWords.size())));
    if (count == 0)
        return kNoKey;

    // Words are length-prefixed so that no two lists share an encoding.
    std::string exact;
    for (std::size_t w = 0; w < count; ++w) {
        exact += std::to_string(entry.KeyWords[w].size());
        exact += ':';
        exact += entry.KeyWords[w];
    }
    const auto found = m_keyIds.find(exact);
    if (found != m_keyIds.end())
        return found->second;

    const auto id = static_cast<std::uint32_t>(m_keys.size());
    m_keyIds.emplace(std::move(exact), id);
    Key key;
    std::string folded;
    for (std::size_t w = 0; w < count; ++w) {
        std::u16string word = text::cp1252ToUtf16(entry.KeyWords[w]);
        if (word.empty())
            key.boundable = false;
        folded += std::to_string(word.size());
        folded += ':';
        std::uint64_t wordHash = 1469598103934665603ULL;
        for (const char16_t unit : word) {
            const char16_t lower = text::wideToLower(unit);
            wordHash = (wordHash ^ lower) * 1099511628211ULL;
            folded += static_cast<char>(lower & 0xFF);
            folded += static_cast<char>(lower >> 8);
            ++key.histogram[bucketOf(unit)];
        }
        if (word.size() >= 4)
            key.longWordSignature |= 1ULL << (wordHash % 64);
        key.totalLength += static_cast<std::uint32_t>(word.size());
        key.words.push_back(std::move(word));
    }
    if (key.totalLength > 255)
        key.boundable = false;   // the histogram counts would not fit
    const auto cls = m_foldedClassIds.try_emplace(std::move(folded),
                                                  static_cast<std::uint32_t>(m_foldedClasses.size()));
    if (cls.second)
        m_foldedClasses.emplace_back();
    key.foldedClass = cls.first->second;
    m_foldedClasses[key.foldedClass].push_back(id);
    m_keys.push_back(std::move(key));
    return id;
}

void GroupFinder::Impl::indexNewEntries()
{
    for (std::size_t index = m_keyOfEntry.size(); index < m_catalog.size(); ++index) {
        const std::uint32_t id = keyOf(m_catalog.at(index));
        m_keyOfEntry.push_back(id);
        if (id == kNoKey)
            continue;
        Key &key = m_keys[id];
        key.entries.push_back(index);
        if (!key.alive) {
            key.alive = true;
            m_aliveKeys.push_back(id);
        }
    }
}

// Skips the placed entries at the front of a key's list. Placed flags are only ever set
// during a run, so a skipped entry never needs a second look. Returns false when the key has
// no unplaced entry below n.
bool GroupFinder::Impl::firstUnplaced(Key &key, std::size_t n, std::size_t &position)
{
    while (key.cursor < key.entries.size() && m_catalog.at(key.entries[key.cursor]).Placed != 0)
        ++key.cursor;
    position = key.cursor;
    return key.cursor < key.entries.size() && key.entries[key.cursor] < n;
}

// False only when the pair certainly stays below the grouping threshold.
bool GroupFinder::Impl::mayReachThreshold(const Key &s, const Key &l) const
{
    if (!s.boundable || !l.boundable)
        return true;
    // Equal lists ignoring case score 1.
    if (s.foldedClass == l.foldedClass)
        return true;
    // Long lists differing by one word score 0.75 when they share their long words.
    const std::size_t sc = s.words.size();
    const std::size_t lc = l.words.size();
    if (lc >= 3 && lc - sc <= 1 && (s.longWordSignature & l.longWordSignature) != 0)
        return true;
    // Otherwise the score is the assignment total over half the total length. A word
    // similarity never exceeds the characters two words have in common, so the total is at
    // most the characters both lists have in common, and at most the shorter total length.
    const std::uint32_t half = (s.totalLength + l.totalLength) / 2;
    if (half == 0)
        return true;
    const float halfF = static_cast<float>(half);
    const std::uint32_t shortest = std::min(s.totalLength, l.totalLength);
    if (static_cast<float>(shortest) / halfF + kGroupingBonus < kGroupingThreshold)
        return false;
    std::uint32_t common = 0;
    for (std::size_t b = 0; b < kBuckets; ++b)
        common += std::min(s.histogram[b], l.histogram[b]);
    return static_cast<float>(common) / halfF + kGroupingBonus >= kGroupingThreshold;
}

bool GroupFinder::Impl::decide(std::uint32_t seedKey, std::uint32_t otherKey)
{
    if (seedKey == otherKey)
        return true;   // the same words: equal lists
    const Key &a = m_keys[seedKey];
    const Key &b = m_keys[otherKey];
    // The shorter list goes first; the seed's on equal counts.
    const bool seedFirst = a.words.size() <= b.words.size();
    const std::uint32_t firstId = seedFirst ? seedKey : otherKey;
    const std::uint32_t secondId = seedFirst ? otherKey : seedKey;
    const Key &first = m_keys[firstId];
    const Key &second = m_keys[secondId];
    if (!mayReachThreshold(first, second))
        return false;
    const std::uint64_t pair = (static_cast<std::uint64_t>(firstId) << 32) | secondId;
    const auto cached = m_decisions.find(pair);
    if (cached != m_decisions.end())
        return cached->second;
    const bool member = reachesGroupingThreshold(similitude(first.words, second.words));
    m_decisions.emplace(pair, member);
    return member;
}

GroupFinder::GroupFinder(const Catalog &catalog, int criterionCode, bool acceptSimilitudes)
    : m_impl(new Impl(catalog, criterionCode, acceptSimilitudes))
{
    m_impl->indexNewEntries();
}

GroupFinder::~GroupFinder()
{
    delete m_impl;
}

std::size_t GroupFinder::members(std::size_t seed, std::size_t n, std::vector<std::size_t> &members)
{
    Impl &impl = *m_impl;
    members.clear();
    impl.indexNewEntries();
    if (seed >= impl.m_catalog.size())
        return 0;
    const std::uint32_t seedKey = impl.m_keyOfEntry[seed];
    if (impl.m_catalog.at(seed).Placed != 0 || seedKey == kNoKey)
        return 0;
    n = std::min(n, impl.m_catalog.size());

    auto collect = [&](Key &key) {
        std::size_t position = 0;
        if (!impl.firstUnplaced(key, n, position))
            return;
        for (; position < key.entries.size() && key.entries[position] < n; ++position) {
            const std::size_t index = key.entries[position];
            if (impl.m_catalog.at(index).Placed == 0)
                members.push_back(index);
        }
    };

    if (!impl.m_useSimilitudes) {
        // Same words ignoring case: the keys of the seed's class.
        for (const std::uint32_t id : impl.m_foldedClasses[impl.m_keys[seedKey].foldedClass])
            collect(impl.m_keys[id]);
    } else {
        std::size_t kept = 0;
        for (std::size_t k = 0; k < impl.m_aliveKeys.size(); ++k) {
            const std::uint32_t id = impl.m_aliveKeys[k];
            Key &key = impl.m_keys[id];
            std::size_t position = 0;
            const bool candidate = impl.firstUnplaced(key, n, position);
            if (key.cursor >= key.entries.size()) {
                key.alive = false;   // every entry placed: never a member again
                continue;
            }
            impl.m_aliveKeys[kept++] = id;
            if (candidate && impl.decide(seedKey, id))
                collect(key);
        }
        impl.m_aliveKeys.resize(kept);
    }

    std::sort(members.begin(), members.end());
    return members.size();
}

} // namespace tunvale::catalog
