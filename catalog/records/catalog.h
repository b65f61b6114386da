#pragma once

#include "catalog/records/meta_dat.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace tunvale::catalog {

// The entries of one run in read order; an entry's index is its identity. Each run owns its
// catalog.
class Catalog {
public:
    void append(std::unique_ptr<CMetaDat> entry) { m_entries.push_back(std::move(entry)); }
    void clear() { m_entries.clear(); }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    CMetaDat &at(std::size_t index) { return *m_entries.at(index); }
    const CMetaDat &at(std::size_t index) const { return *m_entries.at(index); }
    // First entry whose Path equals path exactly, or nullptr.
    CMetaDat *findByPath(const std::filesystem::path &path);

private:
    std::vector<std::unique_ptr<CMetaDat>> m_entries;
};

} // namespace tunvale::catalog
