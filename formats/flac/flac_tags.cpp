#include "formats/flac/flac_tags.h"

#include "catalog/intake/intake.h"
#include "catalog/intake/tag_completion.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/load_refusal.h"
#include "catalog/records/picture_table.h"
#include "catalog/text/tag_text.h"
#include "formats/audio/decoded_audio.h"
#include "formats/audio/regular_file.h"
#include "formats/flac/flac_decoder.h"
#include "formats/flac/flac_metadata_blocks.h"
#include "formats/flac/flac_pcm_source.h"
#include "formats/flac/vorbis_comment_fields.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>

namespace tunvale::formats {

namespace {

// The one decoder kept between a read and the following decode, and the stream it is on.
std::unique_ptr<FlacDecoder> &heldDecoder()
{
    static std::unique_ptr<FlacDecoder> decoder;
    return decoder;
}

FlacStreamProperties &streamProperties()
{
    static FlacStreamProperties properties;
    return properties;
}

constexpr int kOpeningFileFailed = FLAC__STREAM_DECODER_INIT_STATUS_ERROR_OPENING_FILE;
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
        // The description is UTF-8 in the file; the table holds 8-bit text.
        if (p.description)
            picture.description = text::utf8To8bit(reinterpret_cast<const char *>(p.description),
                                                   catalog::PictureTable::kMaxDescription);
        table.add(std::move(picture));
    }
}

// Refuses the file with status, keeping the reason for the skipped-file report.
int refuse(int status, std::string_view reason)
{
    catalog::loadRefusal() = reason;
    return status;
}

std::uint32_t clampTo32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// Bytes of samples the stream holds at its own sample size.
std::uint64_t rawAudioBytes(const FlacStreamProperties &p)
{
    return std::uint64_t(p.bitsPerSample / 8) * p.totalSamples * p.channels;
}

void forgetAudio(DecodedAudio &audio)
{
    std::vector<std::int16_t>().swap(audio.pcm);
    audio.byteLength = 0;
    audio.rawLength = 0;
    audio.extraSize = 0;
    audio.channels = 0;
    audio.sampleRate = 0;
    audio.bitsPerSample = 0;
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

// ReadFlac with pictures for a conversion: forgets the previous audio and pictures first and
// checks the stream. 0, the reader's error, or 2 when the conversion does not take the stream.
int readForConversion(const std::filesystem::path &path, const catalog::LoadOptions &options)
{
    forgetAudio(decodedAudio());
    catalog::pictureTable().clear();
    const int status = ReadFlac(path, true, options);
    if (status != 0)
        return status;
    if (!isConvertibleFlacStream(streamProperties()))
        return 2;
    return 0;
}

} // namespace

int ReadFlac(const std::filesystem::path &path, bool capturePictures, const catalog::LoadOptions &options)
{
    catalog::CurrentTags &tags = catalog::currentTags();
    std::unique_ptr<FlacDecoder> &decoder = heldDecoder();
    decoder.reset();
    streamProperties() = {};
    tags.clear();
    catalog::loadRefusal().clear();

    decoder = FlacDecoder::create();
    if (!decoder)
        return refuse(-1, "no FLAC decoder");
    // Opened here, never by libFLAC: a FIFO or device named .flac is refused without waiting.
    RegularFile file;
    if (!file.open(path, RegularFile::Access::Read))
        return refuse(kOpeningFileFailed, openErrorReason(file.error()));
    const FlacBlockPtr info = readFirstFlacBlock(file, FLAC__METADATA_TYPE_STREAMINFO);
    if (!info)
        return refuse(-2, "no FLAC stream information");
    const FLAC__StreamMetadata_StreamInfo &s = info->data.stream_info;
    streamProperties() = {s.sample_rate, s.channels, s.bits_per_sample, s.total_samples};

    readComments(file, tags);
    catalog::completeTags(tags, path, options.tagsFromName);
    if (capturePictures)
        capturePictureBlocks(file, catalog::pictureTable());
    // The decoder keeps the open file for a following decode.
    if (const int init = decoder->initFile(std::move(file)); init != 0)
        return refuse(init, "the FLAC decoder cannot read the file");
    return 0;
}

int LoadFlac(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options)
{
    const int status = ReadFlac(path, false, options);
    heldDecoder().reset();
    if (status != 0)
        return status;
    catalog::intake(criterionCode, path, catalog::currentTags(), options.acceptSimilitudes, catalog::catalog());
    return 0;
}

int DecodeFlac(const std::filesystem::path &path, bool decode, bool capturePictures, const catalog::LoadOptions &options)
{
    DecodedAudio &audio = decodedAudio();
    forgetAudio(audio);
    catalog::pictureTable().clear();

    const int status = ReadFlac(path, capturePictures, options);
    if (status != 0 || !decode) {
        heldDecoder().reset();
        return status;
    }
    const FlacStreamProperties properties = streamProperties();
    if (!isConvertibleFlacStream(properties)) {
        heldDecoder().reset();
        return 2;
    }

    FlacPcmSource source(std::move(heldDecoder()), properties);
    const std::uint64_t values = source.totalValues();
    // The record counts its bytes in 32 bits.
    if (values > std::numeric_limits<std::uint32_t>::max() / 2)
        return 7;
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
        forgetAudio(audio);
        return 7;
    }
    if (source.failed()) {
        forgetAudio(audio);
        return source.result() != 0 ? source.result() : -1;
    }
    audio.pcm.resize(filled);
    describeAudio(audio, source, properties, filled);
    return 0;
}

std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, int &status)
{
    return openFlacPcm(path, catalog::LoadOptions{}, status);
}

std::unique_ptr<PcmSource> openFlacPcm(const std::filesystem::path &path, const catalog::LoadOptions &options,
                                       int &status)
{
    status = readForConversion(path, options);
    if (status != 0) {
        heldDecoder().reset();
        return nullptr;
    }
    const FlacStreamProperties properties = streamProperties();
    auto source = std::make_unique<FlacPcmSource>(std::move(heldDecoder()), properties);
    describeAudio(decodedAudio(), *source, properties, source->totalValues());
    return source;
}

} // namespace tunvale::formats
