#include "formats/container/chunk_file.h"

#include "formats/id3v2/id3v2_chunk.h"

#include <algorithm>

namespace tunvale::formats {

ReadResult openContainer(BinaryFile &file, const std::filesystem::path &path, DecodedAudio &audio)
{
    audio = DecodedAudio{};
    const bool opened = file.open(path, BinaryFile::Mode::Read);
    if (ReadResult status = openedStatus(opened, file.openError(), file.size()); !status.ok())
        return status;
    audio.fileSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(file.size(), 0xFFFFFFFFu));
    return ReadResult::success();
}

void describePcm(const PcmLayout &layout, DecodedAudio &audio)
{
    audio.rawLength = static_cast<std::uint32_t>(layout.dataLength);
    audio.channels = layout.outputChannels();
    audio.bitsPerSample = 16;
    audio.sampleRate = layout.outputRate();
    audio.byteLength = static_cast<std::uint32_t>(layout.outputValues() * 2);
}

ReadResult deliverPcm(const std::filesystem::path &path, const PcmLayout &layout, PcmMode mode, DecodedAudio &audio,
                      std::optional<PcmLayout> &streamed)
{
    describePcm(layout, audio);
    if (mode == PcmMode::Stream) {
        streamed = layout;
        return ReadResult::success();
    }
    if (mode != PcmMode::Whole)
        return ReadResult::success();
    std::unique_ptr<FilePcmSource> source = FilePcmSource::open(path, layout);
    if (source && readAllPcm(*source, audio.pcm))
        return ReadResult::success();
    audio.rawLength = 0;
    audio.byteLength = 0;
    // A source that opened and did not fail could only not be read whole for want of memory.
    if (source && !source->failed())
        return ReadResult::failure(ReadStatus::NoMemory);
    return ReadResult::success();
}

WriteResult rewriteId3Chunk(const std::filesystem::path &path, const TagChunkStyle &style, std::uint64_t fileSize,
                            const TagChanges &changes)
{
    return rewriteTagChunk(path, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, changes.title, changes.artist, changes.track, changes.totalTracks,
                             changes.removePictures);
    });
}

RetagPlan planId3Chunk(BinaryFile &source, const TagChunkStyle &style, std::uint64_t fileSize,
                       const TagChanges &changes)
{
    return planTagChunk(source, style, [&](std::optional<ByteSpan> oldTag) {
        return BuildId3v2Tag(oldTag, fileSize, changes.title, changes.artist, changes.track, changes.totalTracks,
                             changes.removePictures);
    });
}

} // namespace tunvale::formats
