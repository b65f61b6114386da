// Reads the input as an AIFF file (tags, whole-buffer samples, streamed samples), then
// rewrites its tag chunk and reads the result again.

#include "catalog/records/current_tags.h"
#include "formats/aiff/aiff.h"
#include "formats/aiff/c_aiff.h"
#include "formats/audio/decoded_audio.h"
#include "fuzz_input_file.h"

#include <cstdlib>
#include <vector>

using namespace tunvale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto path = fuzz::scratchPath("input.aiff");
    fuzz::writeInput(path, data, size);
    const catalog::LoadOptions options{true, true};
    formats::CAiff &aiff = formats::theAiff();
    const int first = aiff.ReadAiff(path, true, true, options);
    const std::vector<std::int16_t> whole = formats::decodedAudio().pcm;

    int status = 0;
    if (auto source = formats::openAiffPcm(path, options, status)) {
        std::vector<std::int16_t> streamed(static_cast<std::size_t>(source->totalValues()));
        std::size_t got = 0;
        while (const std::size_t n = source->read(streamed.data() + got, std::min<std::size_t>(1000, streamed.size() - got)))
            got += n;
        if (first != 0 || got != streamed.size() || streamed != whole)
            std::abort();
    }

    formats::io::WorkNames names;
    if (formats::WriteAiffTags(path, {u"New", u"", 3, 0, true}, names).written) {
        if (aiff.ReadAiff(path, false, false, catalog::LoadOptions{false, false}) != 0)
            std::abort();
        if (catalog::currentTags().Title.view() != "New")
            std::abort();
    }
    return 0;
}
