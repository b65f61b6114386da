// Reads the input as an Ogg Vorbis file (tags and pictures), rewrites its comments and reads
// the result again.

#include "formats/ogg/ogg_tags.h"
#include "fuzz_taglib_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return tunvale::fuzz::readWriteAndReadAgain("input.ogg", &tunvale::formats::readOggTags,
                                                &tunvale::formats::writeOggTags, false, data,
                                                size);
}
