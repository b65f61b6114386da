#pragma once

#include "catalog/records/meta_dat.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tunvale::catalog {

// The entries of one run in read order; an entry's index is its identity. Each run owns its
// catalog.
class Catalog {
public:
    // Appends the entry. Entries with a JointMain are keyed by it as soon as the catalog holds
    // an entry keyed by that artist alone (compared folded), before or after them: a duet goes
    // with its first artist's files, while an act whose name holds "&" or "with" and whose
    // first name never stands alone ("Simon & Garfunkel") keeps its whole name, the same for
    // every one of its files.
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
    // Folded group names of the entries keyed without a joint credit.
    std::unordered_set<std::string> m_soleKeys;
    // Entries with a JointMain not yet standing alone, by the folded name they wait for.
    std::unordered_map<std::string, std::vector<std::size_t>> m_waitingJoint;
};

} // namespace tunvale::catalog
