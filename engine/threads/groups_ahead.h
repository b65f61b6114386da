#pragma once

// The groups of a run found on a thread of their own, ahead of the caller, while the caller
// lays out and writes the groups found before: finding a group compares its key with every
// key still unplaced, which on a large library costs as much as the copying it would
// otherwise wait for. The answers are those of the finder asked on the caller's thread: the
// finder keeps its own marks of the entries it returned, which are exactly the entries the
// caller places from each answer.

#include "catalog/grouping/group_finder.h"
#include "engine/run/run_hooks.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tunvale::engine {

class GroupsAhead final : public GroupSource {
public:
    // The finder is built here, on the caller's thread; no entry may be appended to catalog
    // while this source lives.
    GroupsAhead(const catalog::Catalog &catalog, int criterionCode, bool acceptSimilitudes);
    // Stops the search (after the group it is finding) and waits for it.
    ~GroupsAhead() override;
    GroupsAhead(const GroupsAhead &) = delete;
    GroupsAhead &operator=(const GroupsAhead &) = delete;

    // To be asked for ascending first entries with one n, as the placement phase asks: the
    // first call starts the search at first; a first entry skipped by the caller is taken
    // as placed. Waits until the search has passed first.
    std::size_t members(std::size_t first, std::size_t n, std::vector<std::size_t> &members) override;

private:
    struct Found {
        std::size_t first = 0;
        std::vector<std::size_t> members;
    };

    void search(std::size_t first, std::size_t n);

    catalog::GroupFinder m_finder;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Found> m_found;      // groups found and not asked for yet, in order
    std::size_t m_searchedTo = 0;   // every first entry below it has been searched
    std::size_t m_wanted = 0;       // the caller waits until m_searchedTo reaches it
    static constexpr std::size_t kBatch = 64;
    bool m_finished = false;        // the search ended (or failed)
    std::exception_ptr m_failure;   // what ended it early, given to the caller
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace tunvale::engine
