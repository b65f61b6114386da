#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/pcm_source.h"
#include "formats/tag_writing.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// AIFF / AIFF-C entry points over the process-wide CAiff object (declared in aiff/c_aiff.h).
int LoadAiff(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options);
// Replaces the ID3v2 chunk of the copy at path; the chunk is rewritten in place, so names is
// not used.
WriteResult WriteAiffTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);
std::unique_ptr<PcmSource> openAiffPcm(const std::filesystem::path &path, const catalog::LoadOptions &options, int &status);

} // namespace tunvale::formats
