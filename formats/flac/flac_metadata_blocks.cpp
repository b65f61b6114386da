#include "formats/flac/flac_metadata_blocks.h"

#include "formats/flac/flac_file_input.h"
#include "formats/flac/flac_stream_map.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>

#include <functional>
#include <optional>

namespace tunvale::formats {

void FlacBlockDeleter::operator()(FLAC__StreamMetadata *block) const { FLAC__metadata_object_delete(block); }

namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder *decoder) const
    {
        FLAC__stream_decoder_finish(decoder);
        FLAC__stream_decoder_delete(decoder);
    }
};
using DecoderPtr = std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter>;

// One pass of a decoder over the metadata, handing each block of one type to a function.
struct BlockWalk {
    std::function<void(const FLAC__StreamMetadata &)> onBlock;
    bool failed = false;   // an error other than a lost sync was reported

    // False when the decoder cannot be set up, fails, or reports an error before the audio.
    bool run(RegularFile &file, FLAC__MetadataType type)
    {
        DecoderPtr decoder(FLAC__stream_decoder_new());
        if (!decoder)
            return false;
        FLAC__stream_decoder_set_md5_checking(decoder.get(), false);
        FLAC__stream_decoder_set_metadata_ignore_all(decoder.get());
        FLAC__stream_decoder_set_metadata_respond(decoder.get(), type);

        FlacFileClient client{FlacFileInput(file)};
        // Only STREAMINFO and the blocks of the type are shown: the others are never read.
        if (const std::optional<FlacStreamMap> map = mapFlacStream(file))
            client.input.setView(flacView(*map, {static_cast<std::uint8_t>(type)}, map->audioStart));
        client.clientData = this;
        client.metadata = [](const FLAC__StreamDecoder *, const FLAC__StreamMetadata *block, void *data) {
            static_cast<BlockWalk *>(data)->onBlock(*block);
        };
        client.error = [](const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus status, void *data) {
            if (status != FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC)
                static_cast<BlockWalk *>(data)->failed = true;
        };
        if (initFlacFileDecoder(decoder.get(), client) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
            return false;
        const bool processed = FLAC__stream_decoder_process_until_end_of_metadata(decoder.get()) != 0;
        return processed && !failed;
    }
};

struct PictureChoice {
    FlacBlockPtr block;
    FLAC__uint64 area = 0;
    FLAC__uint64 depth = 0;
};

} // namespace

FlacBlockPtr readFirstFlacBlock(RegularFile &file, FLAC__MetadataType type)
{
    FlacBlockPtr first;
    bool cloneFailed = false;
    BlockWalk walk;
    walk.onBlock = [&](const FLAC__StreamMetadata &block) {
        if (first || cloneFailed)
            return;
        first.reset(FLAC__metadata_object_clone(&block));
        cloneFailed = !first;
    };
    if (!walk.run(file, type) || cloneFailed)
        return nullptr;
    return first;
}

std::vector<FlacBlockPtr> readLargestFlacPictures(RegularFile &file, std::uint32_t firstType, std::uint32_t lastType)
{
    std::vector<PictureChoice> choices(lastType >= firstType ? lastType - firstType + 1 : 0);
    BlockWalk walk;
    walk.onBlock = [&](const FLAC__StreamMetadata &block) {
        const FLAC__StreamMetadata_Picture &picture = block.data.picture;
        const std::uint32_t type = static_cast<std::uint32_t>(picture.type);
        if (type < firstType || type > lastType)
            return;
        PictureChoice &choice = choices[type - firstType];
        const FLAC__uint64 area = FLAC__uint64(picture.width) * picture.height;
        if (!(area > choice.area || (area == choice.area && picture.depth > choice.depth)))
            return;
        if (FLAC__StreamMetadata *copy = FLAC__metadata_object_clone(&block)) {
            choice.block.reset(copy);
            choice.area = area;
            choice.depth = picture.depth;
        }
    };
    walk.run(file, FLAC__METADATA_TYPE_PICTURE);

    std::vector<FlacBlockPtr> pictures;
    pictures.reserve(choices.size());
    for (PictureChoice &choice : choices)
        pictures.push_back(std::move(choice.block));
    return pictures;
}

} // namespace tunvale::formats
