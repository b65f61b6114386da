// Reads the input as an MP4 audio file (atom walk, items and cover art), rewrites its items
// and reads the result again.

#include "formats/mp4/mp4_tags.h"
#include "fuzz_taglib_input.h"

namespace {

tunvale::formats::TagReadResult readMp4(const std::filesystem::path &path, tunvale::catalog::CurrentTags &tags,
                                        tunvale::catalog::PictureTable *pictures)
{
    return tunvale::formats::readMp4Tags(path, tags, pictures);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return tunvale::fuzz::readWriteAndReadAgain("input.m4a", &readMp4, &tunvale::formats::writeMp4Tags, true, data, size);
}
