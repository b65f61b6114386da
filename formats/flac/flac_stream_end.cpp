#include "formats/flac/flac_stream_end.h"

#include "formats/flac/flac_file_input.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tunvale::formats {

namespace {

// Bytes from the end the frames are looked for in: room for two of the largest frames the
// stream states (the last whole frame before a cut one), at least 16 KiB, at most 8 MiB;
// 256 KiB when the largest is not known.
constexpr std::uint64_t kMinWindow = 16 * 1024;
constexpr std::uint64_t kMaxWindow = 8 * 1024 * 1024;
constexpr std::uint64_t kUnknownFrameWindow = 256 * 1024;

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder *decoder) const
    {
        FLAC__stream_decoder_finish(decoder);
        FLAC__stream_decoder_delete(decoder);
    }
};

// What the decoding of the last stretch saw.
struct EndWatch {
    std::uint32_t fixedBlockSize = 0;
    std::uint64_t lastEnd = 0; // the sample after the last clean frame
    std::size_t cleanFrames = 0;
    bool frameFailed = false; // the frame being decoded failed its checksum

    void frame(const FLAC__Frame &frame)
    {
        const bool failed = frameFailed;
        frameFailed = false;
        if (failed)
            return; // libFLAC hands on a failed frame as silence: it does not count
        const FLAC__FrameHeader &header = frame.header;
        const std::uint64_t first = header.number_type == FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER
            ? header.number.sample_number
            : std::uint64_t(header.number.frame_number) * fixedBlockSize;
        lastEnd = first + header.blocksize;
        ++cleanFrames;
    }
};

std::uint64_t windowSize(const FlacStreamMap &map)
{
    if (map.maxFrameSize == 0)
        return kUnknownFrameWindow;
    return std::clamp<std::uint64_t>(std::uint64_t(map.maxFrameSize) * 2 + 4096, kMinWindow, kMaxWindow);
}

ReadResult cutShort(std::string detail) { return ReadResult::failure(ReadStatus::CutShort, std::move(detail)); }

} // namespace

std::string flacSeconds(std::uint64_t samples, std::uint32_t rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", rate > 0 ? static_cast<double>(samples) / rate : 0.0);
    return text;
}

ReadResult checkFlacStreamEnd(RegularFile &file, const FlacStreamMap &map, const FlacStreamProperties &properties)
{
    if (properties.totalSamples == 0)
        return ReadResult::success();
    if (map.audioStart >= map.fileSize)
        return cutShort("FLAC: no audio after the metadata");
    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder)
        return ReadResult::success();
    FLAC__stream_decoder_set_md5_checking(decoder.get(), false);
    FLAC__stream_decoder_set_metadata_ignore_all(decoder.get());

    EndWatch watch;
    watch.fixedBlockSize = map.maxBlockSize;
    FlacFileClient client{FlacFileInput(file)};
    const std::uint64_t window = windowSize(map);
    const std::uint64_t from = map.fileSize - std::min(map.fileSize - map.audioStart, window);
    // STREAMINFO, then the last stretch: the decoder finds the first frame in it by its sync.
    client.input.setView(flacView(map, {}, from));
    client.clientData = &watch;
    client.write = [](const FLAC__StreamDecoder *, const FLAC__Frame *frame, const FLAC__int32 *const[], void *data) {
        static_cast<EndWatch *>(data)->frame(*frame);
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    };
    client.error = [](const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus status, void *data) {
        if (status == FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH)
            static_cast<EndWatch *>(data)->frameFailed = true;
    };
    if (initFlacFileDecoder(decoder.get(), client) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return ReadResult::success();
    if (!FLAC__stream_decoder_process_until_end_of_stream(decoder.get()))
        return ReadResult::success(); // a read error or no memory: nothing can be told
    if (watch.cleanFrames == 0 || watch.lastEnd >= properties.totalSamples)
        return ReadResult::success();
    return cutShort("FLAC: the audio stops at " + flacSeconds(watch.lastEnd, properties.sampleRate) + " of "
                    + flacSeconds(properties.totalSamples, properties.sampleRate));
}

} // namespace tunvale::formats
