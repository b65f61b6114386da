#pragma once

// What the WAV and AIFF readers share around their chunk interpreters: opening the file, the
// sample rates the conversion takes, handing the samples over, and rewriting the ID3v2 chunk.

#include "formats/audio/binary_file.h"
#include "formats/audio/decoded_audio.h"
#include "formats/container/pcm_stream.h"
#include "formats/container/tag_chunk_writer.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tunvale::formats {

// What a container read does with the samples.
enum class PcmMode {
    None,   // tags only
    Whole,  // samples loaded into audio.pcm
    Stream, // sample layout kept for a streaming source
};

// Opens path for reading and starts audio afresh with the file's size. Not ok when the file
// cannot be opened (CannotOpen) or holds no byte (Empty).
ReadResult openContainer(BinaryFile &file, const std::filesystem::path &path, DecodedAudio &audio);

// Sets audio to what the samples at layout deliver: their raw length, and the 16-bit values
// at the output rate and channel count.
void describePcm(const PcmLayout &layout, DecodedAudio &audio);

// describePcm, then in Stream mode keeps layout in streamed, in Whole mode loads the samples
// into audio.pcm. Samples that cannot be loaded leave no audio (raw and delivered lengths 0);
// NoMemory when memory ran out.
ReadResult deliverPcm(const std::filesystem::path &path, const PcmLayout &layout, PcmMode mode, DecodedAudio &audio,
                      std::optional<PcmLayout> &streamed);

// Replaces the ID3v2 chunk of the copy at path with a tag built from the old one and changes.
// fileSize is the size of the file as the reader walked it.
WriteResult rewriteId3Chunk(const std::filesystem::path &path, const TagChunkStyle &style, std::uint64_t fileSize,
                            const TagChanges &changes);

// The same rewrite worked out from source (the file as the reader walked it, read only), as
// the pieces of the copy it leaves.
RetagPlan planId3Chunk(BinaryFile &source, const TagChunkStyle &style, std::uint64_t fileSize,
                       const TagChanges &changes);

} // namespace tunvale::formats
