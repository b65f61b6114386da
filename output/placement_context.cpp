#include "output/placement_context.h"

namespace tunvale::output {

formats::io::WorkNames &PlacementContext::names()
{
    if (workNames != nullptr)
        return *workNames;
    if (!m_ownNames)
        m_ownNames = std::make_shared<formats::io::WorkNames>();
    return *m_ownNames;
}

CopyMethods &PlacementContext::copies()
{
    if (copyMethods != nullptr)
        return *copyMethods;
    if (!m_ownCopies)
        m_ownCopies = std::make_shared<CopyMethods>();
    return *m_ownCopies;
}

} // namespace tunvale::output
