// Placeholder until the FLAC handler lands: every entry reports failure.
#include "formats/flac/flac_tags.h"

namespace tunvale::formats {
int LoadFlac(const std::filesystem::path &, int, const catalog::LoadOptions &) { return -1; }
int ReadFlac(const std::filesystem::path &, bool, const catalog::LoadOptions &) { return -1; }
int DecodeFlac(const std::filesystem::path &, bool, bool, const catalog::LoadOptions &) { return -1; }
std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &, int &status) { status = -1; return nullptr; }
int WriteFlacTags(const std::filesystem::path &, const std::u16string &, const std::u16string &, int, int, bool) { return 0; }
} // namespace tunvale::formats
