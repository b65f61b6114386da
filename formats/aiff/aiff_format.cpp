#include "formats/aiff/aiff_format.h"

#include "formats/aiff/aiff_file.h"

namespace tunvale::formats {

ReadResult ReadAiffTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    DecodedAudio audio;
    return AiffFile().read(path, PcmMode::None, false, read, audio);
}

PcmOpening OpenAiffPcm(const std::filesystem::path &path, const catalog::LoadOptions &)
{
    PcmOpening opening;
    AiffFile aiff;
    opening.status = aiff.read(path, PcmMode::Stream, true, opening.read, opening.audio);
    attachContainerPcm(path, aiff.pcmLayout(), opening);
    return opening;
}

WriteResult WriteAiffTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    return AiffFile().writeTags(path, changes);
}

RetagPlan PlanAiffTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    return AiffFile().planTags(path, source, changes);
}

} // namespace tunvale::formats
