#include "output/mp3_conversion.h"

#include "formats/format_table.h"
#include "formats/pcm_opening.h"
#include "formats/read_status.h"
#include "formats/track_read.h"
#include "output/mp3_file_writer.h"

#include <new>
#include <string>

namespace fs = std::filesystem;

namespace tunvale::output {

namespace {

// The format of the source's extension (as the file system splits the name), or nullptr.
const formats::FormatRow *sourceFormat(const fs::path &path)
{
    const std::u8string ext = path.extension().u8string();
    std::u16string extension;
    for (const char8_t unit : ext)
        extension.push_back(static_cast<char16_t>(static_cast<unsigned char>(unit)));
    return formats::formatOfExtension(extension);
}

// Opens the source's audio with the decoding read of its format and completes the tags that
// read found, as the loading does. Without a source code says why: 1 (the source could not be
// read; when its audio is damaged, context.failure.damage says how) or 3 (nothing the encoder
// can take; reason says why).
formats::PcmOpening openSource(PlacementContext &context, int &code, std::string &reason)
{
    code = conversion::kNoUsableAudio;
    const formats::FormatRow *format = sourceFormat(context.sourcePath);
    if (format == nullptr || format->openPcm == nullptr) {
        reason = "a format the encoder does not read";
        return {};
    }
    catalog::LoadOptions load;
    load.tagsFromName = context.options.tagsFromName;
    formats::PcmOpening opening = format->openPcm(context.sourcePath, load);
    if (!opening.source) {
        const bool damaged = opening.status.status == formats::ReadStatus::CutShort
            || opening.status.status == formats::ReadStatus::Damaged;
        if (opening.sourceFailed && damaged)
            context.failure.damage = formats::statusText(opening.status);
        code = opening.sourceFailed ? conversion::kSourceFailed : conversion::kNoUsableAudio;
        reason =
            opening.status.ok() ? std::string("samples the encoder cannot take") : formats::statusText(opening.status);
        return opening;
    }
    const formats::PcmSource &source = *opening.source;
    const int channels = source.channels();
    if ((channels != 1 && channels != 2) || source.sampleRate() <= 0 || source.totalValues() == 0) {
        reason = source.totalValues() == 0 ? "no audio samples" : "samples the encoder cannot take";
        opening.source.reset();
        return opening;
    }
    formats::completeReadTags(opening.read, context.sourcePath, load.tagsFromName);
    opening.audio.settleExtraSize(opening.read.tags.FillScore);
    code = 0;
    return opening;
}

int convert(PlacementContext &context, bool replace, std::filesystem::path *work, std::string *reason)
{
    int code = 0;
    std::string why;
    formats::PcmOpening opening = openSource(context, code, why);
    if (!opening.source) {
        if (reason != nullptr)
            *reason = std::move(why);
        return code;
    }
    const formats::TrackRead &read = opening.read;
    return work != nullptr ? writeMp3WorkFile(*opening.source, read.tags, read.pictures, context, *work)
                           : writeMp3File(*opening.source, read.tags, read.pictures, context, replace);
}

} // namespace

int ConvertToMp3(PlacementContext &context, bool replace)
{
    try {
        return convert(context, replace, nullptr, nullptr);
    } catch (const std::bad_alloc &) {
        return conversion::kNoMemory;
    }
}

int ConvertToMp3WorkFile(PlacementContext &context, std::filesystem::path &work, std::string *reason)
{
    work.clear();
    try {
        return convert(context, false, &work, reason);
    } catch (const std::bad_alloc &) {
        return conversion::kNoMemory;
    }
}

} // namespace tunvale::output
