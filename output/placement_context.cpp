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

} // namespace tunvale::output
