#include "formats/wav/wave.h"

#include "catalog/intake/intake.h"
#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/load_refusal.h"
#include "formats/wav/c_wave.h"

namespace tunvale::formats {

int LoadWave(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options)
{
    const int result = theWave().ParseRiff(path, false, true, false, options);
    if (result != CWave::kOk) {
        // Opening failures carry their own reason already.
        std::string &reason = catalog::loadRefusal();
        if (reason.empty())
            reason = result == CWave::kCutShort ? "WAV file cut short"
                   : result == CWave::kNoMemory ? "out of memory"
                                                : "not a usable RIFF WAVE file";
        return result;
    }
    catalog::intake(criterionCode, path, catalog::currentTags(), options.acceptSimilitudes, catalog::catalog());
    return 0;
}

WriteResult WriteWaveTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    return theWave().WriteWaveTags(path, changes.title, changes.artist, changes.track, changes.totalTracks,
                                   changes.removePictures);
}

std::unique_ptr<PcmSource> openWavePcm(const std::filesystem::path &path, const catalog::LoadOptions &options, int &status)
{
    CWave &wave = theWave();
    const int result = wave.ParseRiff(path, CWave::PcmMode::Stream, true, true, options);
    return openContainerPcm(path, result, CWave::kOk, CWave::kCannotOpen, wave.pcmLayout(), status);
}

} // namespace tunvale::formats
