#pragma once

#include <cstddef>
#include <filesystem>
#include <utility>
#include <vector>

namespace tunvale::engine {

// An array of paths that can be sorted by their file-name parts without regard to case;
// equal names keep their order.
class FileNameSortedPaths {
public:
    void clear() { m_items.clear(); }
    void add(std::filesystem::path path) { m_items.push_back(std::move(path)); }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const std::filesystem::path &at(std::size_t index) const { return m_items.at(index); }
    const std::vector<std::filesystem::path> &items() const { return m_items; }
    // Hands the paths over, leaving the array empty.
    std::vector<std::filesystem::path> take() { return std::exchange(m_items, {}); }

    // Sorts by file name, ignoring case; a stable sort, so equal names keep their order.
    void sortByFileName();

private:
    std::vector<std::filesystem::path> m_items;
};

// Compares the file-name parts of two paths without regard to case, character by character
// in upper case: < 0, 0 or > 0.
int compareFileNamesIgnoringCase(const std::filesystem::path &a, const std::filesystem::path &b);

} // namespace tunvale::engine
