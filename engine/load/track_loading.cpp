#include "engine/load/track_loading.h"

#include "catalog/intake/intake.h"

#include <vector>

namespace tunvale::engine {

formats::ReadResult readTrack(const formats::FormatRow &format, const std::filesystem::path &path,
                              const catalog::LoadOptions &options, formats::TrackRead &read,
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
    return status;
}

const ReadTrackFn &formatReader(const formats::FormatRow &row)
{
    static const std::vector<ReadTrackFn> readers = [] {
        std::vector<ReadTrackFn> made;
        for (const formats::FormatRow &format : formats::formatTable()) {
            made.push_back([&format](const std::filesystem::path &path, const catalog::LoadOptions &options,
                                     formats::TrackRead &read, catalog::CurrentTags *asRead) {
                return readTrack(format, path, options, read, asRead);
            });
        }
        return made;
    }();
    return readers[formats::formatIndex(row)];
}

void takeTrack(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options,
               const formats::TrackRead &read, catalog::Catalog &catalog)
{
    catalog::intake(criterionCode, path, read.tags, options.acceptSimilitudes, catalog);
}

formats::ReadResult loadTrack(const formats::FormatRow &format, const std::filesystem::path &path, int criterionCode,
                              const catalog::LoadOptions &options, catalog::Catalog &catalog, formats::TrackRead &read,
                              catalog::CurrentTags *asRead)
{
    formats::ReadResult status = readTrack(format, path, options, read, asRead);
    if (status.ok())
        takeTrack(path, criterionCode, options, read, catalog);
    return status;
}

} // namespace tunvale::engine
