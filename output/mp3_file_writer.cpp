#include "output/mp3_file_writer.h"

#include "formats/io/work_files.h"
#include "output/conversion_file.h"
#include "output/conversion_pipeline.h"
#include "output/conversion_settings.h"
#include "output/conversion_tag.h"
#include "output/mp3_conversion.h"
#include "output/mp3_encoder.h"
#include "output/publish_file.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace tunvale::output {

namespace {

// LAME starts its stream with an empty frame that holds the place of the info-tag frame
// (the same frame header, zero bytes after it): the finished frame belongs there, not in
// front of it where the empty frame would stay as junk.
bool startsWithPlaceholder(const std::vector<std::uint8_t> &head, const std::vector<std::uint8_t> &frame)
{
    if (frame.size() < 4 || head.size() < frame.size())
        return false;
    if (!std::equal(frame.begin(), frame.begin() + 4, head.begin()))
        return false;
    return std::all_of(head.begin() + 4, head.begin() + static_cast<std::ptrdiff_t>(frame.size()),
                       [](std::uint8_t b) { return b == 0; });
}

// The work file of one conversion; deleted when the conversion ends unless it is handed on.
class OutputFiles {
public:
    ~OutputFiles()
    {
        if (!m_handedOn)
            temporary.discard();
    }

    // A new work file beside the destination, so the final rename stays within one folder.
    bool openTemporary(const fs::path &destination, formats::io::WorkNames &names)
    {
        return temporary.createNew(names.beside(destination)) == 0;
    }

    // The complete work file, closed, for the caller to give its name.
    fs::path handOn()
    {
        m_handedOn = true;
        return temporary.path();
    }

    ConversionFile temporary;

private:
    bool m_handedOn = false;
};

// Used only when the stream has no placeholder for the info-tag frame: rebuilds the
// temporary file as tag + frame + the stream that followed the tag.
int insertFrame(OutputFiles &files, const std::vector<std::uint8_t> &tag, const std::vector<std::uint8_t> &frame,
                formats::io::WorkNames &names)
{
    ConversionFile rebuilt;
    if (rebuilt.createNew(names.beside(files.temporary.path())) != 0)
        return conversion::kNoFileCreated;
    int error = rebuilt.write(tag);
    if (error == 0)
        error = rebuilt.write(frame);
    if (error == 0)
        error = files.temporary.copyTo(rebuilt, tag.size());
    if (error != 0) {
        rebuilt.discard();
        return error;
    }
    files.temporary.discard();
    files.temporary = std::move(rebuilt);
    return 0;
}

int writeFile(formats::PcmSource &source, const catalog::CurrentTags &tags, const catalog::PictureTable &pictures,
              PlacementContext &context, fs::path &work)
{
    const int channels = source.channels();
    if ((channels != 1 && channels != 2) || source.sampleRate() <= 0)
        return conversion::kNoUsableAudio;

    // The tag comes from what the opening read found, completed; a file without any tag and
    // nothing completed from its name gets none.
    std::vector<std::uint8_t> tag;
    if (tags.FillScore >= 1) {
        const bool withPictures = !context.options.removePictures && !pictures.empty();
        tag = buildConversionTag(tags, withPictures ? &pictures : nullptr);
        if (tag.empty())
            return conversion::kNoMemory;
    }

    Mp3Encoder encoder;
    if (!encoder.open(encoderSettingsFor(context.options.mp3Quality), source.channels(), source.sampleRate()))
        return conversion::kEncoderFailed;
    std::vector<std::int16_t> chunk(Mp3Encoder::kChunkValues);

    OutputFiles files;
    if (!files.openTemporary(context.destinationPath, context.names()))
        return conversion::kNoFileCreated;
    if (const int error = files.temporary.write(tag))
        return error;

    // The first bytes of the stream, where the info-tag frame's placeholder sits.
    std::vector<std::uint8_t> head;
    std::uint64_t total = 0;
    auto writeOutput = [&](std::span<const std::uint8_t> bytes) {
        if (head.size() < Mp3Encoder::kMaxTagFrame) {
            const std::size_t take = std::min(bytes.size(), Mp3Encoder::kMaxTagFrame - head.size());
            head.insert(head.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
        }
        total += bytes.size();
        return files.temporary.write(bytes);
    };

    // The encoding is most of a conversion's time: its share is told as it goes, by
    // thousandths of the source's values.
    const std::uint64_t totalValues = source.totalValues();
    std::uint64_t encodedValues = 0;
    std::uint64_t toldPermille = 0;
    // The source is decoded on a second thread while this one encodes.
    DecodeAhead decoded(source, Mp3Encoder::kChunkValues);
    for (;;) {
        if (context.cancel && context.cancel->load())
            return conversion::kCancelled;
        const std::size_t count = decoded.next(chunk);
        if (decoded.failed()) {
            // Never a shorter copy of a damaged source: the conversion fails and says why.
            context.failure.damage = source.damage();
            return conversion::kSourceFailed;
        }
        if (count == 0)
            break;
        if (encoder.encode(chunk.data(), count) < 0)
            return conversion::kEncoderFailed;
        if (const int error = writeOutput(encoder.output()))
            return error;
        encodedValues += count;
        const std::uint64_t permille = totalValues > 0 ? std::min<std::uint64_t>(encodedValues * 1000 / totalValues, 1000) : 0;
        if (permille > toldPermille && context.status != nullptr) {
            toldPermille = permille;
            context.status->showFileProgress(static_cast<double>(permille) / 1000.0);
        }
    }
    if (encoder.flush() < 0)
        return conversion::kEncoderFailed;
    if (const int error = writeOutput(encoder.output()))
        return error;
    if (total == 0)
        return conversion::kEncoderFailed;

    const std::vector<std::uint8_t> frame = encoder.infoTagFrame();
    if (!frame.empty()) {
        const int error = startsWithPlaceholder(head, frame) ? files.temporary.writeAt(tag.size(), frame)
                                                             : insertFrame(files, tag, frame, context.names());
        if (error != 0)
            return error;
    }
    if (const int error = files.temporary.close())
        return error;
    work = files.handOn();
    return 0;
}

} // namespace

fs::path iterationName(const fs::path &destination, int iteration)
{
    return iteration == 0 ? destination : iterationPath(destination, iteration);
}

int writeMp3WorkFile(formats::PcmSource &source, const catalog::CurrentTags &tags,
                     const catalog::PictureTable &pictures, PlacementContext &context, fs::path &work)
{
    work.clear();
    try {
        return writeFile(source, tags, pictures, context, work);
    } catch (const std::bad_alloc &) {
        return conversion::kNoMemory;
    }
}

int writeMp3File(formats::PcmSource &source, const catalog::CurrentTags &tags, const catalog::PictureTable &pictures,
                 PlacementContext &context, bool replace)
{
    fs::path work;
    if (const int result = writeMp3WorkFile(source, tags, pictures, context, work))
        return result;
    const int published = replace ? publishWorkFile(context, work, TakenName::Replace, 0)
                                  : publishWorkFile(context, work, TakenName::NextIteration);
    return published == 0 ? 0 : conversion::kNoFileCreated;
}

} // namespace tunvale::output
