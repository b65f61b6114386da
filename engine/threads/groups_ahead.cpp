#include "engine/threads/groups_ahead.h"

#include <algorithm>
#include <utility>

namespace tunvale::engine {

GroupsAhead::GroupsAhead(const catalog::Catalog &catalog, int criterionCode, bool acceptSimilitudes)
    : m_finder(catalog, criterionCode, acceptSimilitudes, catalog::GroupFinder::PlacedMarks::Own)
{
}

GroupsAhead::~GroupsAhead()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void GroupsAhead::search(std::size_t first, std::size_t n)
{
    try {
        for (std::size_t entry = first; entry < n && !m_stop; ++entry) {
            Found found{entry, {}};
            m_finder.members(entry, n, found.members);
            std::lock_guard lock(m_mutex);
            if (!found.members.empty())
                m_found.push_back(std::move(found));
            m_searchedTo = entry + 1;
            if (m_searchedTo >= m_wanted)
                m_changed.notify_one();
        }
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
    }
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_changed.notify_one();
}

std::size_t GroupsAhead::members(std::size_t first, std::size_t n, std::vector<std::size_t> &members)
{
    members.clear();
    if (!m_thread.joinable()) {
        m_searchedTo = first;
        m_thread = std::thread([this, first, n] { search(first, n); });
    }
    std::unique_lock lock(m_mutex);
    if (m_searchedTo <= first && !m_finished) {
        // Asked faster than the search goes: wait for a batch of entries at once, not for
        // each, so that a caller in a tight loop is not woken once per entry.
        m_wanted = std::min(first + kBatch, n);
        m_changed.wait(lock, [&] { return m_searchedTo >= m_wanted || m_finished; });
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    while (!m_found.empty() && m_found.front().first < first)
        m_found.pop_front();
    if (m_found.empty() || m_found.front().first != first)
        return 0;
    members = std::move(m_found.front().members);
    m_found.pop_front();
    return members.size();
}

} // namespace tunvale::engine
