#include "formats/aiff/aiff.h"

#include "catalog/intake/intake.h"
#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/load_refusal.h"
#include "formats/aiff/c_aiff.h"

namespace tunvale::formats {

int LoadAiff(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options)
{
    const int result = theAiff().ReadAiff(path, false, false, options);
    if (result != CAiff::kOk) {
        // Opening failures carry their own reason already.
        std::string &reason = catalog::loadRefusal();
        if (reason.empty())
            reason = result == CAiff::kEmpty ? "empty file" : "not a usable AIFF file";
        return result;
    }
    catalog::intake(criterionCode, path, catalog::currentTags(), options.acceptSimilitudes, catalog::catalog());
    return 0;
}

WriteResult WriteAiffTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    return theAiff().WriteAiffTags(path, changes.title, changes.artist, changes.track, changes.totalTracks,
                                   changes.removePictures);
}

std::unique_ptr<PcmSource> openAiffPcm(const std::filesystem::path &path, const catalog::LoadOptions &options, int &status)
{
    CAiff &aiff = theAiff();
    const int result = aiff.ReadAiff(path, CAiff::PcmMode::Stream, true, options);
    return openContainerPcm(path, result, CAiff::kOk, CAiff::kCannotOpen, aiff.pcmLayout(), status);
}

} // namespace tunvale::formats
