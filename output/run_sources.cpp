#include "output/run_sources.h"

namespace tunvale::output {

RunSources::RunSources(const std::vector<std::filesystem::path> &files)
{
    for (const std::filesystem::path &file : files)
        add(file);
}

void RunSources::add(const std::filesystem::path &path)
{
    // A source that is a link is read through the link: neither the link nor its target may
    // be written over.
    const formats::io::EntryKeys keys = formats::io::entryKeysOf(path);
    if (keys.entry)
        m_keys.insert(*keys.entry);
    if (keys.target)
        m_keys.insert(*keys.target);
}

bool RunSources::holds(const std::filesystem::path &path) const
{
    if (m_keys.empty())
        return false;
    const formats::io::EntryKeys keys = formats::io::entryKeysOf(path);
    return (keys.entry && m_keys.contains(*keys.entry)) || (keys.target && m_keys.contains(*keys.target));
}

} // namespace tunvale::output
