#pragma once

#include "catalog/records/catalog.h"

#include <cstddef>
#include <vector>

namespace tunvale::catalog {

// Answers, for the first entry of each group in the placement phase (the lowest unplaced
// entry), which unplaced entries share its group. Built once per run over the catalog; results
// are those of comparing the first entry with every entry 0..n-1 in order (itself first, since
// lower entries are placed by then), whatever order the first entries are asked in. Entries
// appended later are picked up. Placed flags may be set at any time but are expected never to
// be cleared during the finder's life.
class GroupFinder {
public:
    // Where the finder learns which entries are placed. Catalog: the entries' Placed flags,
    // read at every call. Own: the flags as they were when each entry was indexed, then the
    // finder's own marks, set on every member it returns, as the caller's placing of each
    // group would set the flags. A finder with its own marks reads nothing of the catalog
    // after indexing, so it may run on another thread while entries are placed, as long as
    // no entry is appended meanwhile.
    enum class PlacedMarks { Catalog, Own };

    GroupFinder(const Catalog &catalog, int criterionCode, bool acceptSimilitudes,
                PlacedMarks marks = PlacedMarks::Catalog);
    ~GroupFinder();
    GroupFinder(const GroupFinder &) = delete;
    GroupFinder &operator=(const GroupFinder &) = delete;

    // Fills members with the indices of the unplaced entries among 0..n-1 in the first entry's group, in
    // ascending order; empty when the first entry is placed or has no key words. Returns the count.
    std::size_t members(std::size_t first, std::size_t n, std::vector<std::size_t> &members);

private:
    struct Impl;
    Impl *m_impl;
};

} // namespace tunvale::catalog
