// Placeholder until the WAV handler lands: every entry reports failure.
#include "formats/wav/wave.h"

namespace tunvale::formats {
int LoadWave(const std::filesystem::path &, int, const catalog::LoadOptions &) { return -1; }
int WriteWaveTags(const std::filesystem::path &, const std::u16string &, const std::u16string &, int, int, bool) { return 0; }
std::unique_ptr<PcmSource> openWavePcm(const std::filesystem::path &, const catalog::LoadOptions &, int &status) { status = -1; return nullptr; }
} // namespace tunvale::formats
