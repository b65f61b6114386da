// The real format loaders, grouping, naming and placement, wired into one set of hooks.
#include "engine/run/run_hooks.h"

#include "engine/threads/groups_ahead.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"
#include "output/place_file.h"
#include "output/track_file_name.h"

namespace tunvale::engine {

RunHooks standardHooks()
{
    RunHooks hooks;
    for (const formats::FormatRow &format : formats::formatTable()) {
        for (const std::string_view extension : format.extensions) {
            hooks.addLoader(std::u16string(extension.begin(), extension.end()), format,
                            [&format](const std::filesystem::path &path, int criterionCode,
                                      const catalog::LoadOptions &options, catalog::Catalog &catalog) {
                                formats::TrackRead read;
                                return loadTrack(format, path, criterionCode, options, catalog, read);
                            },
                            formatReader(format));
        }
    }
    hooks.grouping = [](const catalog::Catalog &catalog, int code, bool similitudes) -> std::unique_ptr<GroupSource> {
        return std::make_unique<GroupsAhead>(catalog, code, similitudes);
    };
    hooks.trackFileName = output::BuildTrackFileName;
    return hooks;
}

} // namespace tunvale::engine
