#pragma once

// Replaces the ID3v2 chunk of a RIFF (WAV) or FORM (AIFF) file in place, keeping every other
// chunk and a valid chunk structure:
// - the tag chunk is the last chunk: it is rewritten at its size and the file cut after it;
// - the new tag fits in the old chunk: it is written there, padded with zeros to the old
//   size (ID3v2 padding), so the file keeps its size;
// - otherwise (or without a tag chunk) the new chunk is appended after the last chunk and
//   the old one becomes a filler chunk that every reader skips.
// Further tag chunks become filler too, so readers meet one tag only. The RIFF/FORM size is
// set to the file size - 8 afterwards. A file whose chunks run past its end is refused, and
// a failed write puts back the bytes it changed and the old length.

#include "formats/audio/byte_reader.h"
#include "formats/container/chunk_walker.h"
#include "formats/tag_writing.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace tunvale::formats {

struct TagChunkStyle {
    ByteOrder order = ByteOrder::Little;
    FourCC tagId{};                        // written for a new chunk
    FourCC fillerId{};                     // what a superseded tag chunk is renamed to
    bool (*isTagChunk)(const FourCC &id) = nullptr;
};

// Given the old tag (the first tag chunk's bytes when they start with "ID3"), returns the
// new tag (even length) or nothing to give up without writing.
using TagBuilder = std::function<std::optional<std::vector<std::uint8_t>>(std::optional<ByteSpan> oldTag)>;

// The largest tag chunk read into memory for a rewrite.
inline constexpr std::uint32_t kMaxTagChunkBytes = 256u << 20;

// Written when the new tag was written; otherwise nothing was changed (or, after a failed
// write, the old bytes could be put back), with the system's reason of a refused write.
WriteResult rewriteTagChunk(const std::filesystem::path &path, const TagChunkStyle &style, const TagBuilder &build);

// The same rewrite worked out from source (read only), as the pieces of the file it leaves;
// Failed where rewriteTagChunk would change nothing.
RetagPlan planTagChunk(BinaryFile &source, const TagChunkStyle &style, const TagBuilder &build);

} // namespace tunvale::formats
