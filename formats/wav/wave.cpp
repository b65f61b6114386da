#include "formats/wav/wave.h"

#include "formats/wav/c_wave.h"

namespace tunvale::formats {

ReadResult ReadWaveTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    CWave wave;
    DecodedAudio audio;
    return wave.ParseRiff(path, CWave::PcmMode::None, true, false, read, audio);
}

PcmOpening OpenWavePcm(const std::filesystem::path &path, const catalog::LoadOptions &)
{
    PcmOpening opening;
    CWave wave;
    opening.status = wave.ParseRiff(path, CWave::PcmMode::Stream, true, true, opening.read, opening.audio);
    attachContainerPcm(path, wave.pcmLayout(), opening);
    return opening;
}

WriteResult WriteWaveTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    CWave wave;
    return wave.WriteWaveTags(path, changes.title, changes.artist, changes.track, changes.totalTracks,
                              changes.removePictures);
}

RetagPlan PlanWaveTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    CWave wave;
    return wave.PlanWaveTags(path, source, changes);
}

} // namespace tunvale::formats
