#pragma once

#include "catalog/records/load_options.h"
#include "formats/audio/pcm_source.h"
#include "formats/tag_writing.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::formats {

// WAV entry points over the process-wide CWave object (declared in wav/c_wave.h).
int LoadWave(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options);
// Replaces the ID3v2 chunk of the copy at path; the chunk is rewritten in place, so names is
// not used.
WriteResult WriteWaveTags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);
// Fills currentTags()/pictureTable() and opens the audio for conversion; null with status
// (negative: read failure, otherwise 3-style "no usable audio") when it cannot be converted.
std::unique_ptr<PcmSource> openWavePcm(const std::filesystem::path &path, const catalog::LoadOptions &options, int &status);

} // namespace tunvale::formats
