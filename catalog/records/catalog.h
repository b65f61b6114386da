#pragma once

#include "catalog/records/meta_dat.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tunvale::catalog {

// The entries of one run in read order; an entry's index is its identity. Each run owns its
// catalog.
class Catalog {
public:
    void append(std::unique_ptr<CMetaDat> entry);
    void clear();
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    CMetaDat &at(std::size_t index) { return *m_entries.at(index); }
    const CMetaDat &at(std::size_t index) const { return *m_entries.at(index); }
    // First entry whose Path equals path exactly, or nullptr. Answered from an index of the
    // paths the entries were appended with (entries keep their Path); a path the index does
    // not hold is looked for by a scan.
    CMetaDat *findByPath(const std::filesystem::path &path);

private:
    std::vector<std::unique_ptr<CMetaDat>> m_entries;
    // The first entry appended with each path.
    std::unordered_map<std::filesystem::path::string_type, std::size_t> m_firstByPath;
};

} // namespace tunvale::catalog
