#include "engine/plan/file_name_sorted_paths.h"

#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/utf8.h"
#include "engine/session/path_text.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

namespace tunvale::engine {

namespace {

// The characters of the path's file name in upper case: what names are compared by.
std::u32string upperCaseKey(const std::filesystem::path &path)
{
    const std::string name = pathToUtf8(path.filename());
    std::u32string key;
    key.reserve(name.size());
    for (std::size_t pos = 0; pos < name.size();)
        key.push_back(text::unicode::toUpper(text::unicode::nextCodePoint(name, pos)));
    return key;
}

int compareKeys(const std::u32string &left, const std::u32string &right)
{
    const int order = left.compare(right);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

int compareFileNamesIgnoringCase(const std::filesystem::path &a, const std::filesystem::path &b)
{
    return compareKeys(upperCaseKey(a), upperCaseKey(b));
}

void FileNameSortedPaths::sortByFileName()
{
    // Each key is made once; the paths are then put in the order of a stable sort of the keys.
    std::vector<std::u32string> keys;
    keys.reserve(m_items.size());
    for (const std::filesystem::path &item : m_items)
        keys.push_back(upperCaseKey(item));
    std::vector<std::size_t> order(m_items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t l, std::size_t r) { return compareKeys(keys[l], keys[r]) < 0; });
    std::vector<std::filesystem::path> sorted;
    sorted.reserve(m_items.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(m_items[index]));
    m_items = std::move(sorted);
}

} // namespace tunvale::engine
