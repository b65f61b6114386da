// Reads the input as an AIFF file (tags, whole-buffer samples, streamed samples), then
// rewrites its tag chunk and reads the result again.

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
    formats::TrackRead read;
    formats::DecodedAudio audio;
    const bool first = formats::CAiff().ReadAiff(path, true, true, read, audio).ok();
    const std::vector<std::int16_t> whole = audio.pcm;

    const formats::PcmOpening opening = formats::OpenAiffPcm(path, options);
    if (opening.source) {
        formats::PcmSource &source = *opening.source;
        std::vector<std::int16_t> streamed(static_cast<std::size_t>(source.totalValues()));
        std::size_t got = 0;
        while (const std::size_t n =
                   source.read(streamed.data() + got, std::min<std::size_t>(1000, streamed.size() - got)))
            got += n;
        if (!first || got != streamed.size() || streamed != whole)
            std::abort();
    }

    formats::io::WorkNames names;
    if (formats::WriteAiffTags(path, {u"New", u"", 3, 0, true}, names).written) {
        formats::TrackRead again;
        if (!formats::CAiff().ReadAiff(path, false, false, again, audio).ok())
            std::abort();
        if (again.tags.Title.view() != "New")
            std::abort();
    }
    return 0;
}
