#include "formats/wav/wave_format.h"

#include "formats/wav/wave_file.h"

namespace tunvale::formats {

ReadResult ReadWaveTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    DecodedAudio audio;
    return WaveFile().read(path, PcmMode::None, true, false, read, audio);
}

PcmOpening OpenWavePcm(const std::filesystem::path &path, const catalog::LoadOptions &)
{
    PcmOpening opening;
    WaveFile wave;
    opening.status = wave.read(path, PcmMode::Stream, true, true, opening.read, opening.audio);
    // Samples the conversion does not read are a variant of the format it does not take.
    if (opening.status.ok() && !wave.noSamplesReason().empty())
        opening.status = ReadResult::failure(ReadStatus::Unsupported, wave.noSamplesReason());
    attachContainerPcm(path, wave.pcmLayout(), opening);
    return opening;
}

WriteResult WriteWaveTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &)
{
    return WaveFile().writeTags(path, changes);
}

RetagPlan PlanWaveTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes)
{
    return WaveFile().planTags(path, source, changes);
}

} // namespace tunvale::formats
