#include "output/mp3_conversion.h"

#include "catalog/records/picture_table.h"
#include "formats/aiff/aiff.h"
#include "formats/audio/decoded_audio.h"
#include "formats/flac/flac_tags.h"
#include "formats/wav/wave.h"
#include "output/mp3_file_writer.h"

#include <new>
#include <string>

namespace fs = std::filesystem;

namespace tunvale::output {

namespace {

std::string lowerAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string extensionOf(const fs::path &path)
{
    const std::u8string ext = path.extension().u8string();
    return lowerAscii(std::string(ext.begin(), ext.end()));
}

// Opens the source's audio with the handler of its extension, which also refills the tag
// records. On failure code is 1 (the handler failed) or 3 (nothing the encoder can take).
std::unique_ptr<formats::PcmSource> openSource(const PlacementContext &context, int &code)
{
    const std::string ext = extensionOf(context.sourcePath);
    catalog::LoadOptions load;
    load.tagsFromName = context.options.tagsFromName;
    int status = 0;
    std::unique_ptr<formats::PcmSource> source;
    if (ext == ".flac") {
        source = formats::openFlacPcm(context.sourcePath, load, status);
        // Every FLAC refusal, an unsupported stream included, counts as a decoder failure.
        code = conversion::kSourceFailed;
    } else if (ext == ".wav" || ext == ".aiff" || ext == ".aif") {
        source = ext == ".wav" ? formats::openWavePcm(context.sourcePath, load, status)
                               : formats::openAiffPcm(context.sourcePath, load, status);
        // Only a negative status is a read failure; the others mean "nothing convertible".
        code = status < 0 ? conversion::kSourceFailed : conversion::kNoUsableAudio;
    } else {
        code = conversion::kNoUsableAudio;
        return nullptr;
    }
    if (!source)
        return nullptr;
    const int channels = source->channels();
    if ((channels != 1 && channels != 2) || source->sampleRate() <= 0 || source->totalValues() == 0) {
        code = conversion::kNoUsableAudio;
        return nullptr;
    }
    code = 0;
    return source;
}

int convert(PlacementContext &context, bool replace, std::filesystem::path *work)
{
    formats::decodedAudio().clear();
    catalog::pictureTable().clear();

    int code = 0;
    std::unique_ptr<formats::PcmSource> source = openSource(context, code);
    if (!source) {
        catalog::pictureTable().clear();
        return code;
    }
    return work != nullptr ? writeMp3WorkFile(*source, context, *work) : writeMp3File(*source, context, replace);
}

} // namespace

int ConvertToMp3(PlacementContext &context, bool replace)
{
    try {
        return convert(context, replace, nullptr);
    } catch (const std::bad_alloc &) {
        catalog::pictureTable().clear();
        return conversion::kNoMemory;
    }
}

int ConvertToMp3WorkFile(PlacementContext &context, std::filesystem::path &work)
{
    work.clear();
    try {
        return convert(context, false, &work);
    } catch (const std::bad_alloc &) {
        catalog::pictureTable().clear();
        return conversion::kNoMemory;
    }
}

} // namespace tunvale::output
