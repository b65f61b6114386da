// Reads the input as an Opus file (tags and pictures), rewrites its comments and reads the
// result again.

#include "formats/opus/opus_tags.h"
#include "fuzz_taglib_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return tunvale::fuzz::readWriteAndReadAgain("input.opus", &tunvale::formats::readOpusTags,
                                                &tunvale::formats::writeOpusTags, false, data,
                                                size);
}
