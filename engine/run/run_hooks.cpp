#include "engine/run/run_hooks.h"

#include "engine/session/run_options.h"

namespace tunvale::engine {

bool formatEnabled(const RunOptions &options, const formats::FormatRow &format)
{
    return options.formatFlags.enabled(format);
}

void RunHooks::addLoader(std::u16string extension, const formats::FormatRow &format, LoaderFn load,
                         ReadTrackFn read)
{
    loaders.push_back(LoaderEntry{std::move(extension), &format, std::move(load), std::move(read)});
}

namespace {

class ExactNameGroups final : public GroupSource {
public:
    explicit ExactNameGroups(const catalog::Catalog &catalog) : m_catalog(catalog) {}

    std::size_t members(std::size_t first, std::size_t n, std::vector<std::size_t> &members) override
    {
        members.clear();
        if (n > m_catalog.size())
            n = m_catalog.size();
        if (first >= n)
            return 0;
        const catalog::CMetaDat &firstEntry = m_catalog.at(first);
        if (firstEntry.Placed || firstEntry.KeyWordCount == 0)
            return 0;
        for (std::size_t i = first; i < n; ++i) {
            const catalog::CMetaDat &entry = m_catalog.at(i);
            if (!entry.Placed && entry.GroupName == firstEntry.GroupName)
                members.push_back(i);
        }
        return members.size();
    }

private:
    const catalog::Catalog &m_catalog;
};

} // namespace

std::unique_ptr<GroupSource> exactNameGrouping(const catalog::Catalog &catalog, int, bool)
{
    return std::make_unique<ExactNameGroups>(catalog);
}

} // namespace tunvale::engine
