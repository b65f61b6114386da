// Reads the input as a WAV file (tags, whole-buffer samples, streamed samples), then rewrites
// its tag chunk and reads the result again.

#include "formats/audio/decoded_audio.h"
#include "formats/wav/c_wave.h"
#include "formats/wav/wave.h"
#include "fuzz_input_file.h"

#include <cstdlib>
#include <vector>

using namespace tunvale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto path = fuzz::scratchPath("input.wav");
    fuzz::writeInput(path, data, size);
    const catalog::LoadOptions options{true, true};
    formats::TrackRead read;
    formats::DecodedAudio audio;
    formats::CWave().ParseRiff(path, true, true, true, read, audio);
    const std::vector<std::int16_t> whole = audio.pcm;

    const formats::PcmOpening opening = formats::OpenWavePcm(path, options);
    if (opening.source) {
        formats::PcmSource &source = *opening.source;
        std::vector<std::int16_t> streamed(static_cast<std::size_t>(source.totalValues()));
        std::size_t got = 0;
        while (const std::size_t n =
                   source.read(streamed.data() + got, std::min<std::size_t>(1000, streamed.size() - got)))
            got += n;
        if (got != streamed.size() || streamed != whole)
            std::abort();   // the stream must give the whole-buffer values
    }

    formats::io::WorkNames names;
    if (formats::WriteWaveTags(path, {u"New", u"", 3, 0, true}, names).written) {
        // A rewritten copy is a valid WAV that holds the new tag.
        formats::TrackRead again;
        if (!formats::CWave().ParseRiff(path, false, true, false, again, audio).ok())
            std::abort();
        if (again.tags.Title.view() != "New")
            std::abort();
    }
    return 0;
}
