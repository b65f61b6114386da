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
    if (const auto entry = fileIdentity(path, false))
        m_identities.insert(*entry);
    if (const auto target = fileIdentity(path, true))
        m_identities.insert(*target);
}

bool RunSources::holds(const std::filesystem::path &path) const
{
    if (m_identities.empty())
        return false;
    const auto entry = fileIdentity(path, false);
    if (entry && m_identities.contains(*entry))
        return true;
    const auto target = fileIdentity(path, true);
    return target && m_identities.contains(*target);
}

} // namespace tunvale::output
