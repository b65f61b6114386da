#include "engine/track_loading.h"

#include "catalog/intake/intake.h"

namespace tunvale::engine {

formats::ReadResult loadTrack(const formats::FormatRow &format, const std::filesystem::path &path, int criterionCode,
                              const catalog::LoadOptions &options, catalog::Catalog &catalog, formats::TrackRead &read,
                              catalog::CurrentTags *asRead)
{
    if (format.read == nullptr)
        return formats::ReadResult::failure(formats::ReadStatus::Unsupported);
    formats::ReadResult status = format.read(path, options, read);
    if (!status.ok())
        return status;
    if (asRead != nullptr)
        *asRead = read.tags;
    formats::completeReadTags(read, path, options.tagsFromName);
    catalog::intake(criterionCode, path, read.tags, options.acceptSimilitudes, catalog);
    return status;
}

} // namespace tunvale::engine
