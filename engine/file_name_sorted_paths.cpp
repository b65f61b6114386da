#include "engine/file_name_sorted_paths.h"

#include "catalog/text/fold.h"
#include "engine/path_text.h"

#include <utility>

namespace tunvale::engine {

int compareFileNamesIgnoringCase(const std::filesystem::path &a, const std::filesystem::path &b)
{
    const std::u16string left = fileNameText(a);
    const std::u16string right = fileNameText(b);
    const std::size_t n = left.size() < right.size() ? left.size() : right.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t l = text::wideToUpper(left[i]);
        const char16_t r = text::wideToUpper(right[i]);
        if (l != r)
            return l < r ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

bool FileNameSortedPaths::compareAndSwap(std::size_t index)
{
    if (index + 1 >= m_items.size())
        return false;
    if (compareFileNamesIgnoringCase(m_items[index], m_items[index + 1]) <= 0)
        return false;
    std::swap(m_items[index], m_items[index + 1]);
    return true;
}

void FileNameSortedPaths::sortByFileName()
{
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < m_items.size(); ++i) {
            if (compareAndSwap(i))
                swapped = true;
        }
    }
}

} // namespace tunvale::engine
