// Placeholder until the AIFF handler lands: every entry reports failure.
#include "formats/aiff/aiff.h"

namespace tunvale::formats {
int LoadAiff(const std::filesystem::path &, int, const catalog::LoadOptions &) { return -1; }
int WriteAiffTags(const std::filesystem::path &, const std::u16string &, const std::u16string &, int, int, bool) { return 0; }
std::unique_ptr<PcmSource> openAiffPcm(const std::filesystem::path &, const catalog::LoadOptions &, int &status) { status = -1; return nullptr; }
} // namespace tunvale::formats
