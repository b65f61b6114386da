// Placeholder until the MP3 handler lands: every entry reports failure.
#include "formats/mp3/id3v23_renderer.h"
#include "formats/mp3/sort_mp3.h"

namespace tunvale::formats {
int CSortMp3::LoadMp3(const std::filesystem::path &, int, const catalog::LoadOptions &) { return 1; }
int CSortMp3::ReadMp3Tags(const std::filesystem::path &, const catalog::LoadOptions &) { return 1; }
CSortMp3 &sortMp3() { static CSortMp3 reader; return reader; }
int WriteMp3Tags(const std::filesystem::path &, const std::u16string &, const std::u16string &, int, int, bool) { return 0; }
std::vector<std::uint8_t> renderId3v23(const id3_tag *, std::size_t) { return {}; }
} // namespace tunvale::formats
