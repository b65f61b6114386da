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
    if (const auto entry = formats::io::fileKeyOf(path, false))
        m_keys.insert(*entry);
    if (const auto target = formats::io::fileKeyOf(path, true))
        m_keys.insert(*target);
}

bool RunSources::holds(const std::filesystem::path &path) const
{
    if (m_keys.empty())
        return false;
    const auto entry = formats::io::fileKeyOf(path, false);
    if (entry && m_keys.contains(*entry))
        return true;
    const auto target = formats::io::fileKeyOf(path, true);
    return target && m_keys.contains(*target);
}

} // namespace tunvale::output
