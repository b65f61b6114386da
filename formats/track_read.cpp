#include "formats/track_read.h"

#include "catalog/intake/tag_completion.h"

namespace tunvale::formats {

void completeReadTags(TrackRead &read, const std::filesystem::path &path, bool tagsFromName)
{
    if (!read.tagged && !tagsFromName)
        return;
    catalog::completeTags(read.tags, path, tagsFromName);
}

} // namespace tunvale::formats
