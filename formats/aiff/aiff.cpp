#include "formats/aiff/aiff.h"

#include "formats/aiff/c_aiff.h"

namespace tunvale::formats {

ReadResult ReadAiffTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    CAiff aiff;
    DecodedAudio audio;
    return aiff.ReadAiff(path, CAiff::PcmMode::None, false, read, audio);
}

PcmOpening OpenAiffPcm(const std::filesystem::path &path, const catalog::LoadOptions &)
{
    PcmOpening opening;
    CAiff aiff;
    opening.status = aiff.ReadAiff(path, CAiff::PcmMode::Stream, true, opening.read, opening.audio);
    attachContainerPcm(path, aiff.pcmLayout(), opening);
    return opening;
}

WriteResult WriteAiffTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    CAiff aiff;
    return aiff.WriteAiffTags(path, changes.title, changes.artist, changes.track, changes.totalTracks,
                              changes.removePictures);
}

RetagPlan PlanAiffTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    CAiff aiff;
    return aiff.PlanAiffTags(path, source, changes);
}

} // namespace tunvale::formats
