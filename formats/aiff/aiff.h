#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/pcm_source.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// AIFF / AIFF-C entry points over the process-wide CAiff object (declared in aiff/c_aiff.h).
int LoadAiff(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options);
int WriteAiffTags(const std::filesystem::path &path, const std::u16string &title, const std::u16string &artist,
                  int track, int totalTracks, bool removePictures);
std::unique_ptr<PcmSource> openAiffPcm(const std::filesystem::path &path, const catalog::LoadOptions &options, int &status);

} // namespace tunvale::formats
