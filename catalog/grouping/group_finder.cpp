#include "catalog/grouping/group_finder.h"

#include "catalog/grouping/similitude.h"
#include "catalog/records/load_options.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// Grouping compares a first entry with every unplaced entry, but entries with the same key words
// always decide alike. So the finder works on distinct keys: word lists are built once per
// key, a decision is computed once per ordered pair of keys and cached, and cheap upper
// bounds on the similitude rule out most pairs before any table is built. The members are
// those of comparing the first entry with entries 0..n-1 one by one, in ascending order.

namespace tunvale::catalog {

namespace {

constexpr std::uint32_t kNoKey = UINT32_MAX;
constexpr std::size_t kBuckets = 32;

using Histogram = std::array<std::uint8_t, kBuckets>;

// A pair is ruled out when its assignment total is below 74/100 of half the total length: the
// score then stays below 0.74 and, with the 0.05 bonus, below 0.8 whatever the rounding.
constexpr std::uint32_t kBoundNumerator = 74;
constexpr std::uint32_t kBoundDenominator = 100;
static_assert(static_cast<float>(kBoundNumerator) / kBoundDenominator + kGroupingBonus + 0.001f <
              kGroupingThreshold);

// Sum over the buckets of the smaller count: the characters two keys have in common.
std::uint32_t commonCharacters(const Histogram &a, const Histogram &b)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a.data()));
    const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a.data() + 16));
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b.data()));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b.data() + 16));
    const __m128i zero = _mm_setzero_si128();
    const __m128i sums = _mm_add_epi64(_mm_sad_epu8(_mm_min_epu8(a0, b0), zero),
                                       _mm_sad_epu8(_mm_min_epu8(a1, b1), zero));
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
#else
    std::uint32_t common = 0;
    for (std::size_t k = 0; k < kBuckets; ++k)
        common += std::min(a[k], b[k]);
    return common;
#endif
}

// Characters counted by bucket, case folded together; merging characters into one bucket
// only raises the common count, so it stays an upper bound.
std::size_t bucketOf(char32_t unit)
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
};

// What the per-word bound needs of one word of a key.
struct WordBound {
    Histogram histogram{};
    std::uint64_t longWordBit = 0;       // the word's signature bit; 0 for words under 4 characters
};

// Keys of more words than this skip the per-word bound (it costs words times words).
constexpr std::uint32_t kMaxBoundWords = 8;

// What the bounds need of a key, kept apart and small so that scanning every key per first
// stays within the cache.
struct KeyBound {
    Histogram histogram{};
    std::uint64_t longWordSignature = 0; // one bit per word of 4 characters or more
    std::uint32_t firstWord = 0;         // the key's words in the finder's word bounds
    std::uint32_t totalLength = 0;
    std::uint32_t foldedClass = 0;      // the keys equal to this one ignoring case
    std::uint32_t wordCount = 0;
    bool boundable = true;              // false for empty words or very long keys
    bool collected = false;             // entries were returned as members before
};

// Decisions per ordered pair of keys, in one open-addressing table (linear probing): lookups
// are frequent and a node-based map spends them on cache misses.
class PairDecisions {
public:
    // 1 member, 0 not a member, -1 not decided yet.
    int find(std::uint64_t pair) const
    {
        if (m_pairs.empty())
            return -1;
        const std::uint64_t stored = pair + 1;   // 0 marks an empty slot
        for (std::size_t slot = hash(pair) & m_mask;; slot = (slot + 1) & m_mask) {
            if (m_pairs[slot] == 0)
                return -1;
            if (m_pairs[slot] == stored)
                return m_members[slot];
        }
    }

    void insert(std::uint64_t pair, bool member)
    {
        if ((m_used + 1) * 2 > m_pairs.size())
            grow();
        place(pair + 1, member ? 1 : 0);
        ++m_used;
    }

private:
    static std::size_t hash(std::uint64_t pair)
    {
        pair ^= pair >> 33;
        pair *= 0xff51afd7ed558ccdULL;
        pair ^= pair >> 33;
        return static_cast<std::size_t>(pair);
    }

    void place(std::uint64_t stored, std::uint8_t member)
    {
        std::size_t slot = hash(stored - 1) & m_mask;
        while (m_pairs[slot] != 0)
            slot = (slot + 1) & m_mask;
        m_pairs[slot] = stored;
        m_members[slot] = member;
    }

    void grow()
    {
        std::vector<std::uint64_t> oldPairs = std::move(m_pairs);
        std::vector<std::uint8_t> oldMembers = std::move(m_members);
        const std::size_t size = oldPairs.empty() ? 1024 : oldPairs.size() * 2;
        m_pairs.assign(size, 0);
        m_members.assign(size, 0);
        m_mask = size - 1;
        for (std::size_t slot = 0; slot < oldPairs.size(); ++slot) {
            if (oldPairs[slot] != 0)
                place(oldPairs[slot], oldMembers[slot]);
        }
    }

    // A pair is never all ones (that would need two keys numbered 2^32 - 1), so pair + 1 is
    // never 0.
    std::vector<std::uint64_t> m_pairs;
    std::vector<std::uint8_t> m_members;
    std::size_t m_mask = 0;
    std::size_t m_used = 0;
};

} // namespace

struct GroupFinder::Impl {
    Impl(const Catalog &catalog, int criterionCode, bool acceptSimilitudes, GroupFinder::PlacedMarks marks)
        : m_catalog(catalog)
        , m_useSimilitudes(acceptSimilitudes && criterionCode != criterion::kGenre &&
                           criterionCode != criterion::kYear)
        , m_ownMarks(marks == GroupFinder::PlacedMarks::Own)
    {
    }

    bool placed(std::size_t index) const
    {
        return m_ownMarks ? m_placed[index] != 0 : m_catalog.at(index).Placed != 0;
    }

    void indexNewEntries();
    std::uint32_t keyOf(const CMetaDat &entry);
    bool decide(std::uint32_t firstKey, std::uint32_t otherKey);
    bool mayReachThreshold(const KeyBound &s, const KeyBound &l) const;
    bool mayShareLongWords(const KeyBound &s, const KeyBound &l) const;
    std::uint32_t assignmentBound(const KeyBound &s, const KeyBound &l) const;
    bool firstUnplaced(Key &key, std::size_t n, std::size_t &position);

    const Catalog &m_catalog;
    const bool m_useSimilitudes;
    // With own marks the finder marks the members it returns here, taken from the entries'
    // Placed flags when they are indexed, and never reads those flags again.
    const bool m_ownMarks;
    std::vector<std::uint8_t> m_placed;

    std::vector<std::uint32_t> m_keyOfEntry;   // kNoKey for entries without key words
    std::vector<Key> m_keys;
    std::vector<KeyBound> m_bounds;
    std::vector<WordBound> m_wordBounds;   // every key's words, in key order
    std::unordered_map<std::string, std::uint32_t> m_keyIds;   // exact words -> key
    // Without similitudes: the words in lower case name a class of keys equal ignoring case.
    std::unordered_map<std::string, std::uint32_t> m_foldedClassIds;
    std::vector<std::vector<std::uint32_t>> m_foldedClasses;
    std::vector<std::uint32_t> m_aliveKeys;
    // Decisions per ordered pair (first list as passed to the similitude, second list).
    PairDecisions m_decisions;
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
    KeyBound bound;
    std::string folded;
    bound.firstWord = static_cast<std::uint32_t>(m_wordBounds.size());
    for (std::size_t w = 0; w < count; ++w) {
        std::u32string word = text::unicode::toCodePoints(entry.KeyWords[w]);
        if (word.empty())
            bound.boundable = false;
        folded += std::to_string(word.size());
        folded += ':';
        WordBound wordBound;
        std::uint64_t wordHash = 1469598103934665603ULL;
        for (const char32_t unit : word) {
            const char32_t lower = text::unicode::toLower(unit);
            wordHash = (wordHash ^ lower) * 1099511628211ULL;
            text::unicode::appendCodePoint(folded, lower);
            ++bound.histogram[bucketOf(unit)];
            ++wordBound.histogram[bucketOf(unit)];
        }
        if (word.size() >= 4)
            wordBound.longWordBit = 1ULL << (wordHash % 64);
        bound.longWordSignature |= wordBound.longWordBit;
        bound.totalLength += static_cast<std::uint32_t>(word.size());
        m_wordBounds.push_back(wordBound);
        key.words.push_back(std::move(word));
    }
    bound.wordCount = static_cast<std::uint32_t>(count);
    if (bound.totalLength > 255)
        bound.boundable = false;   // the histogram counts would not fit
    const auto cls = m_foldedClassIds.try_emplace(std::move(folded),
                                                  static_cast<std::uint32_t>(m_foldedClasses.size()));
    if (cls.second)
        m_foldedClasses.emplace_back();
    bound.foldedClass = cls.first->second;
    m_foldedClasses[bound.foldedClass].push_back(id);
    m_keys.push_back(std::move(key));
    m_bounds.push_back(bound);
    return id;
}

void GroupFinder::Impl::indexNewEntries()
{
    for (std::size_t index = m_keyOfEntry.size(); index < m_catalog.size(); ++index) {
        const std::uint32_t id = keyOf(m_catalog.at(index));
        m_keyOfEntry.push_back(id);
        if (m_ownMarks)
            m_placed.push_back(m_catalog.at(index).Placed != 0 ? 1 : 0);
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
    while (key.cursor < key.entries.size() && placed(key.entries[key.cursor]))
        ++key.cursor;
    position = key.cursor;
    return key.cursor < key.entries.size() && key.entries[key.cursor] < n;
}

// False only when the near-equal rule certainly fails: it needs all long words of the longer
// list but one to equal a word of the shorter list, and a word equal to one of the shorter
// list has its bit in that list's signature.
bool GroupFinder::Impl::mayShareLongWords(const KeyBound &s, const KeyBound &l) const
{
    if ((s.longWordSignature & l.longWordSignature) == 0)
        return false;
    std::uint32_t shared = 0;
    for (std::uint32_t w = 0; w < l.wordCount; ++w) {
        const std::uint64_t bit = m_wordBounds[l.firstWord + w].longWordBit;
        if ((bit & s.longWordSignature) != 0)
            ++shared;
    }
    return shared + 1 >= l.wordCount;
}

// An upper bound on the assignment total, word by word. A word similarity (the greater length
// minus the edit distance) never exceeds the characters the two words have in common, so no
// row of the assignment gives more than its best column, and the columns used give no more
// than the greatest column maxima, as many as there are rows.
std::uint32_t GroupFinder::Impl::assignmentBound(const KeyBound &s, const KeyBound &l) const
{
    std::array<std::uint32_t, kMaxBoundWords> columnBest{};
    std::uint32_t rowTotal = 0;
    for (std::uint32_t i = 0; i < s.wordCount; ++i) {
        const Histogram &row = m_wordBounds[s.firstWord + i].histogram;
        std::uint32_t rowBest = 0;
        for (std::uint32_t k = 0; k < l.wordCount; ++k) {
            const std::uint32_t common = commonCharacters(row, m_wordBounds[l.firstWord + k].histogram);
            rowBest = std::max(rowBest, common);
            columnBest[k] = std::max(columnBest[k], common);
        }
        rowTotal += rowBest;
    }
    std::sort(columnBest.begin(), columnBest.begin() + l.wordCount, std::greater<>());
    std::uint32_t columnTotal = 0;
    for (std::uint32_t i = 0; i < s.wordCount; ++i)
        columnTotal += columnBest[i];
    return std::min(rowTotal, columnTotal);
}

// False only when the pair certainly stays below the grouping threshold.
bool GroupFinder::Impl::mayReachThreshold(const KeyBound &s, const KeyBound &l) const
{
    if (!s.boundable || !l.boundable)
        return true;
    // Equal lists ignoring case score 1.
    if (s.foldedClass == l.foldedClass)
        return true;
    // Long lists differing by one word score 0.75 when they share their long words.
    const std::uint32_t sc = s.wordCount;
    const std::uint32_t lc = l.wordCount;
    if (lc >= 3 && lc - sc <= 1 && mayShareLongWords(s, l))
        return true;
    // Otherwise the score is the assignment total over half the total length. A word
    // similarity never exceeds the characters two words have in common, so the total is at
    // most the characters both lists have in common, and at most the shorter total length.
    // Below 0.74 of the half length, score and bonus stay under 0.8 in any precision.
    const std::uint32_t half = (s.totalLength + l.totalLength) / 2;
    if (half == 0)
        return true;
    const std::uint32_t needed = kBoundNumerator * half;
    if (std::min(s.totalLength, l.totalLength) * kBoundDenominator < needed)
        return false;
    if (commonCharacters(s.histogram, l.histogram) * kBoundDenominator < needed)
        return false;
    if (lc > kMaxBoundWords)
        return true;
    return assignmentBound(s, l) * kBoundDenominator >= needed;
}

bool GroupFinder::Impl::decide(std::uint32_t firstKey, std::uint32_t otherKey)
{
    if (firstKey == otherKey)
        return true;   // the same words: equal lists
    // The shorter list goes first; the first entry's on equal counts.
    const bool firstEntryGoesFirst = m_bounds[firstKey].wordCount <= m_bounds[otherKey].wordCount;
    const std::uint32_t firstId = firstEntryGoesFirst ? firstKey : otherKey;
    const std::uint32_t secondId = firstEntryGoesFirst ? otherKey : firstKey;
    if (!mayReachThreshold(m_bounds[firstId], m_bounds[secondId]))
        return false;
    const std::uint64_t pair = (static_cast<std::uint64_t>(firstId) << 32) | secondId;
    const int cached = m_decisions.find(pair);
    if (cached >= 0)
        return cached == 1;
    const bool member = reachesGroupingThreshold(similitude(m_keys[firstId].words, m_keys[secondId].words));
    m_decisions.insert(pair, member);
    return member;
}

GroupFinder::GroupFinder(const Catalog &catalog, int criterionCode, bool acceptSimilitudes, PlacedMarks marks)
    : m_impl(new Impl(catalog, criterionCode, acceptSimilitudes, marks))
{
    m_impl->indexNewEntries();
}

GroupFinder::~GroupFinder()
{
    delete m_impl;
}

std::size_t GroupFinder::members(std::size_t first, std::size_t n, std::vector<std::size_t> &members)
{
    Impl &impl = *m_impl;
    members.clear();
    impl.indexNewEntries();
    if (first >= impl.m_catalog.size())
        return 0;
    const std::uint32_t firstKey = impl.m_keyOfEntry[first];
    if (impl.placed(first) || firstKey == kNoKey)
        return 0;
    n = std::min(n, impl.m_catalog.size());

    auto collect = [&](Key &key) {
        std::size_t position = 0;
        if (!impl.firstUnplaced(key, n, position))
            return;
        for (; position < key.entries.size() && key.entries[position] < n; ++position) {
            const std::size_t index = key.entries[position];
            if (!impl.placed(index))
                members.push_back(index);
        }
    };

    if (!impl.m_useSimilitudes) {
        // Same words ignoring case: the keys of the first entry's class.
        for (const std::uint32_t id : impl.m_foldedClasses[impl.m_bounds[firstKey].foldedClass])
            collect(impl.m_keys[id]);
    } else {
        // Every key that may still have unplaced entries is a candidate. A key whose entries
        // were returned before is looked at again and dropped once all of them are placed.
        std::size_t kept = 0;
        for (std::size_t k = 0; k < impl.m_aliveKeys.size(); ++k) {
            const std::uint32_t id = impl.m_aliveKeys[k];
            KeyBound &bound = impl.m_bounds[id];
            if (bound.collected) {
                Key &key = impl.m_keys[id];
                std::size_t position = 0;
                impl.firstUnplaced(key, n, position);
                if (key.cursor >= key.entries.size()) {
                    key.alive = false;   // every entry placed: never a member again
                    continue;
                }
            }
            impl.m_aliveKeys[kept++] = id;
            if (impl.decide(firstKey, id)) {
                collect(impl.m_keys[id]);
                bound.collected = true;
            }
        }
        impl.m_aliveKeys.resize(kept);
    }

    std::sort(members.begin(), members.end());
    if (impl.m_ownMarks) {
        for (const std::size_t index : members)
            impl.m_placed[index] = 1;
    }
    return members.size();
}

} // namespace tunvale::catalog
