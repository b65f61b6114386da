// The real format loaders, grouping, naming and placement, wired into one set of hooks.
#include "engine/run_hooks.h"

#include "catalog/grouping/group_finder.h"
#include "formats/aiff/aiff.h"
#include "formats/flac/flac_tags.h"
#include "formats/mp3/sort_mp3.h"
#include "formats/wav/wave.h"
#include "output/place_file.h"
#include "output/track_file_name.h"

namespace tunvale::engine {

namespace {

class FinderGroups final : public GroupSource {
public:
    FinderGroups(const catalog::Catalog &catalog, int criterionCode, bool acceptSimilitudes)
        : m_finder(catalog, criterionCode, acceptSimilitudes)
    {
    }

    std::size_t members(std::size_t seed, std::size_t n, std::vector<std::size_t> &members) override
    {
        return m_finder.members(seed, n, members);
    }

private:
    catalog::GroupFinder m_finder;
};

} // namespace

RunHooks standardHooks()
{
    RunHooks hooks;
    // The order in which a file's extension is compared: MP3, WAV, FLAC, AIFF.
    hooks.addLoader(u".mp3", SourceFormat::Mp3,
                    [](const std::filesystem::path &path, int code, const catalog::LoadOptions &options) {
                        return formats::sortMp3().LoadMp3(path, code, options);
                    });
    hooks.addLoader(u".wav", SourceFormat::Wav, formats::LoadWave);
    hooks.addLoader(u".flac", SourceFormat::Flac, formats::LoadFlac);
    hooks.addLoader(u".aiff", SourceFormat::Aiff, formats::LoadAiff);
    hooks.addLoader(u".aif", SourceFormat::Aiff, formats::LoadAiff);
    hooks.grouping = [](const catalog::Catalog &catalog, int code, bool similitudes) -> std::unique_ptr<GroupSource> {
        return std::make_unique<FinderGroups>(catalog, code, similitudes);
    };
    hooks.trackFileName = output::BuildTrackFileName;
    hooks.placeFile = output::PlaceFile;
    return hooks;
}

} // namespace tunvale::engine
