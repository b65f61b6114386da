#include "formats/flac/flac_tags.h"

#include "catalog/text/unicode/tag_text.h"
#include "formats/audio/regular_file.h"
#include "formats/flac/flac_decoder.h"
#include "formats/flac/flac_metadata_blocks.h"
#include "formats/flac/flac_pcm_source.h"
#include "formats/flac/flac_stream_end.h"
#include "formats/flac/flac_stream_map.h"
#include "formats/flac/vorbis_comment_fields.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <string_view>

namespace tunvale::formats {

namespace {

constexpr std::uint32_t kPictureTypeFirst = 1;   // type 0 ("other") is never taken
constexpr std::uint32_t kPictureTypeLast = 20;
constexpr std::size_t kDrainChunk = 65536;        // values per read when draining into one buffer

void readComments(RegularFile &file, catalog::CurrentTags &tags)
{
    const FlacBlockPtr block = readFirstFlacBlock(file, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (!block)
        return;
    const FLAC__StreamMetadata_VorbisComment &comments = block->data.vorbis_comment;
    for (std::uint32_t i = 0; i < comments.num_comments; ++i) {
        const FLAC__StreamMetadata_VorbisComment_Entry &entry = comments.comments[i];
        if (entry.entry)
            applyVorbisComment(std::string_view(reinterpret_cast<const char *>(entry.entry), entry.length), tags);
    }
}

// For each picture type from 1 to 20, the largest picture of that type, while the table has room.
void capturePictureBlocks(RegularFile &file, catalog::PictureTable &table)
{
    const std::vector<FlacBlockPtr> blocks = readLargestFlacPictures(file, kPictureTypeFirst, kPictureTypeLast);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (!blocks[i] || table.count() >= static_cast<std::int32_t>(catalog::PictureTable::kMaxPictures))
            continue;
        const FLAC__StreamMetadata_Picture &p = blocks[i]->data.picture;
        catalog::Picture picture;
        if (p.data && p.data_length > 0)
            picture.data.assign(p.data, p.data + p.data_length);
        picture.type = static_cast<std::int32_t>(kPictureTypeFirst + i);
        if (p.mime_type)
            picture.mimeType = std::string(p.mime_type).substr(0, catalog::PictureTable::kMaxMimeType);
        if (p.description)
            picture.description = text::unicode::utf8ToTagText(reinterpret_cast<const char *>(p.description),
                                                   catalog::PictureTable::kMaxDescription);
        table.add(std::move(picture));
    }
}

std::uint32_t clampTo32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// Bytes of samples the stream holds at its own sample size.
std::uint64_t rawAudioBytes(const FlacStreamProperties &p)
{
    return std::uint64_t((p.bitsPerSample + 7) / 8) * p.totalSamples * p.channels;
}

// The format a PCM source delivers, recorded in the decoded-audio record with the number of
// values it holds or will deliver.
void describeAudio(DecodedAudio &audio, const PcmSource &source, const FlacStreamProperties &properties,
                   std::uint64_t values)
{
    audio.channels = source.channels();
    audio.sampleRate = source.sampleRate();
    audio.bitsPerSample = 16;
    audio.rawLength = clampTo32(rawAudioBytes(properties));
    audio.byteLength = clampTo32(values * 2);
}

// A FLAC file read for its tags and STREAMINFO, with a decoder set up on it.
struct FlacRead {
    ReadResult status;
    std::unique_ptr<FlacDecoder> decoder;
    FlacStreamProperties properties;
};

FlacRead readFlac(const std::filesystem::path &path, bool capturePictures, TrackRead &read)
{
    FlacRead flac;
    std::unique_ptr<FlacDecoder> decoder = FlacDecoder::create();
    if (!decoder) {
        flac.status = ReadResult::failure(ReadStatus::NoMemory, "FLAC: no decoder");
        return flac;
    }
    // Opened here, never by libFLAC: a FIFO or device named .flac is refused without waiting.
    RegularFile file;
    const bool opened = file.open(path, RegularFile::Access::Read);
    if (flac.status = openedStatus(opened, file.error(), file.size()); !flac.status.ok())
        return flac;
    const FlacBlockPtr info = readFirstFlacBlock(file, FLAC__METADATA_TYPE_STREAMINFO);
    if (!info) {
        flac.status = ReadResult::failure(ReadStatus::NotThisFormat, "FLAC: no stream information");
        return flac;
    }
    const FLAC__StreamMetadata_StreamInfo &s = info->data.stream_info;
    flac.properties = {s.sample_rate, s.channels, s.bits_per_sample, s.total_samples};
    // A stream cut short is damaged: refused here, so it is neither copied nor converted as if
    // it were whole.
    if (const std::optional<FlacStreamMap> map = mapFlacStream(file)) {
        if (flac.status = checkFlacStreamEnd(file, *map, flac.properties); !flac.status.ok())
            return flac;
    }

    readComments(file, read.tags);
    if (capturePictures)
        capturePictureBlocks(file, read.pictures);
    // The decoder keeps the open file for a following decode.
    if (decoder->initFile(std::move(file)) != 0) {
        flac.status = ReadResult::failure(ReadStatus::Damaged, "FLAC: the decoder cannot read the file");
        return flac;
    }
    flac.decoder = std::move(decoder);
    return flac;
}

ReadResult unsupportedStream()
{
    return ReadResult::failure(ReadStatus::Unsupported, "FLAC: a stream the conversion does not take");
}

} // namespace

ReadResult ReadFlacTags(const std::filesystem::path &path, const catalog::LoadOptions &, TrackRead &read)
{
    return readFlac(path, false, read).status;
}

ReadResult DecodeFlac(const std::filesystem::path &path, bool decode, bool capturePictures, TrackRead &read,
                      DecodedAudio &audio)
{
    audio = DecodedAudio{};
    FlacRead flac = readFlac(path, capturePictures, read);
    if (!flac.status.ok() || !decode)
        return flac.status;
    if (!isConvertibleFlacStream(flac.properties))
        return unsupportedStream();

    FlacPcmSource source(std::move(flac.decoder), flac.properties);
    const std::uint64_t values = source.totalValues();
    // The record counts its bytes in 32 bits.
    if (values > std::numeric_limits<std::uint32_t>::max() / 2)
        return ReadResult::failure(ReadStatus::NoMemory, "FLAC: too long to decode at once");
    // Room for the stated length is reserved, but only what is decoded is written, so a
    // STREAMINFO that overstates the length costs address space, not memory.
    std::size_t filled = 0;
    try {
        audio.pcm.reserve(static_cast<std::size_t>(values));
        while (filled < values) {
            const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kDrainChunk, values - filled));
            audio.pcm.resize(filled + chunk);
            const std::size_t n = source.read(audio.pcm.data() + filled, chunk);
            filled += n;
            if (n == 0)
                break;
        }
    } catch (const std::bad_alloc &) {
        audio = DecodedAudio{};
        return ReadResult::failure(ReadStatus::NoMemory);
    }
    if (source.failed()) {
        audio = DecodedAudio{};
        const std::string damage = source.damage();
        if (damage.empty())
            return ReadResult::failure(ReadStatus::ReadFailed, "FLAC: the audio cannot be read");
        return ReadResult::failure(source.result() == kFlacCutShort ? ReadStatus::CutShort : ReadStatus::Damaged,
                                   damage);
    }
    audio.pcm.resize(filled);
    describeAudio(audio, source, flac.properties, filled);
    return ReadResult::success();
}

PcmOpening OpenFlacPcm(const std::filesystem::path &path, const catalog::LoadOptions &)
{
    PcmOpening opening;
    // Every FLAC refusal counts as a failure of the source, except a stream the conversion
    // does not take (more than 8 channels, an unknown length): that one is copied as it is.
    opening.sourceFailed = true;
    FlacRead flac = readFlac(path, true, opening.read);
    opening.status = flac.status;
    if (!opening.status.ok())
        return opening;
    if (!isConvertibleFlacStream(flac.properties)) {
        opening.status = unsupportedStream();
        opening.sourceFailed = false;
        return opening;
    }
    auto source = std::make_unique<FlacPcmSource>(std::move(flac.decoder), flac.properties);
    describeAudio(opening.audio, *source, flac.properties, source->totalValues());
    opening.source = std::move(source);
    opening.sourceFailed = false;
    return opening;
}

} // namespace tunvale::formats
