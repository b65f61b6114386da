#include "formats/container/tag_chunk_writer.h"

#include "formats/audio/binary_file.h"
#include "formats/container/chunk_table.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace tunvale::formats {

namespace {

constexpr std::uint64_t kFormHeader = 12;

// Writes through to the file and remembers the bytes it overwrote, so that a failure part
// way can put the file back as it was.
class UndoableWriter {
public:
    UndoableWriter(BinaryFile &file) : m_file(file), m_originalSize(file.size()) {}

    bool write(std::uint64_t pos, const std::uint8_t *bytes, std::size_t count)
    {
        if (pos < m_originalSize) {
            const std::uint64_t inside = std::min<std::uint64_t>(count, m_originalSize - pos);
            Saved saved{pos, std::vector<std::uint8_t>(static_cast<std::size_t>(inside))};
            if (m_file.readAt(pos, saved.bytes.data(), saved.bytes.size()) != saved.bytes.size())
                return false;
            m_saved.push_back(std::move(saved));
        }
        return m_file.writeAt(pos, bytes, count);
    }

    void restore(const std::filesystem::path &path)
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            m_file.writeAt(it->pos, it->bytes.data(), it->bytes.size());
        m_file.flush();
        m_file.close();
        resizeFile(path, m_originalSize);
    }

private:
    struct Saved {
        std::uint64_t pos;
        std::vector<std::uint8_t> bytes;
    };
    BinaryFile &m_file;
    std::uint64_t m_originalSize;
    std::vector<Saved> m_saved;
};

void storeSize(std::uint8_t *p, ByteOrder order, std::uint32_t value)
{
    if (order == ByteOrder::Little)
        storeU32LE(p, value);
    else
        storeU32BE(p, value);
}

std::vector<std::uint8_t> chunkHeader(const FourCC &id, ByteOrder order, std::uint32_t size)
{
    std::vector<std::uint8_t> header(8);
    for (std::size_t i = 0; i < 4; ++i)
        header[i] = static_cast<std::uint8_t>(id[i]);
    storeSize(header.data() + 4, order, size);
    return header;
}

// The chunks of a file whose structure a rewrite can keep: every chunk complete, the walk
// ended at the end of the file or a few stray bytes before it.
bool readWholeTable(BinaryFile &file, ByteOrder order, ChunkTable &table)
{
    if (!table.read(file, order, kFormHeader))
        return false;
    if (table.end() != WalkEnd::EndOfFile && table.end() != WalkEnd::HeaderCutShort)
        return false;
    for (const Chunk &chunk : table.chunks()) {
        if (!chunk.completeIn(file.size()))
            return false; // a chunk cut off by the end of the file: its structure cannot be kept
    }
    return true;
}

// The file's tag chunks: the first is the file's tag, any further ones are superseded.
struct TagChunks {
    const Chunk *primary = nullptr;
    std::vector<const Chunk *> extras;
};

TagChunks findTagChunks(std::span<const Chunk> chunks, const TagChunkStyle &style)
{
    TagChunks found;
    for (const Chunk &chunk : chunks) {
        if (!style.isTagChunk(chunk.id))
            continue;
        if (!found.primary)
            found.primary = &chunk;
        else
            found.extras.push_back(&chunk);
    }
    return found;
}

// The new tag built from the old one (the primary chunk's bytes when they start with "ID3").
std::optional<std::vector<std::uint8_t>> buildTag(BinaryFile &file, const Chunk *primary, const TagBuilder &build)
{
    std::vector<std::uint8_t> oldBytes;
    if (primary) {
        if (primary->size > kMaxTagChunkBytes || !file.readExact(primary->dataPos(), primary->size, oldBytes))
            return std::nullopt;
    }
    std::optional<ByteSpan> oldTag;
    if (oldBytes.size() >= 3 && oldBytes[0] == 'I' && oldBytes[1] == 'D' && oldBytes[2] == '3')
        oldTag = ByteSpan(oldBytes);
    std::optional<std::vector<std::uint8_t>> built = build(oldTag);
    if (!built || built->size() > 0xFFFFFFF0u)
        return std::nullopt;
    return built;
}

// Where the new tag goes and what becomes of the old tag chunks.
struct Placement {
    enum class Plan { RewriteLast, OverwritePadded, Append };
    Plan plan = Plan::Append;
    std::uint64_t chunkPos = 0;                // the tag chunk's header
    std::uint64_t newEnd = 0;                  // the file's size afterwards
    std::vector<const Chunk *> superseded;     // renamed to filler
};

// Plans the tag's place; an OverwritePadded tag is padded to the old chunk's size here.
Placement planPlacement(std::span<const Chunk> chunks, const TagChunks &found, std::uint64_t fileSize,
                        std::vector<std::uint8_t> &tag)
{
    using Plan = Placement::Plan;
    const Chunk *primary = found.primary;
    Placement placement;
    placement.newEnd = fileSize;
    placement.superseded = found.extras;
    if (primary && &chunks.back() == primary) {
        placement.plan = Plan::RewriteLast;
        placement.chunkPos = primary->headerPos;
        placement.newEnd = placement.chunkPos + 8 + paddedSize(static_cast<std::uint32_t>(tag.size()));
    } else if (primary && tag.size() <= primary->size) {
        placement.plan = Plan::OverwritePadded;
        // Zero padding inside the tag keeps the old chunk size; the tag's own size field
        // grows to cover it (ID3v2.3 §3.0: padding is part of the tag).
        tag.resize(primary->size, 0);
        if (tag.size() >= 10 && tag.size() - 10 <= kMaxSyncsafe)
            storeSyncsafe32(tag.data() + 6, static_cast<std::uint32_t>(tag.size() - 10));
        placement.chunkPos = primary->headerPos;
    } else {
        placement.chunkPos = chunks.empty() ? kFormHeader : chunks.back().nextPos();
        placement.newEnd = placement.chunkPos + 8 + paddedSize(static_cast<std::uint32_t>(tag.size()));
        if (primary)
            placement.superseded.insert(placement.superseded.begin(), primary);
    }
    return placement;
}

// The bytes one rewrite puts at a position, in the order it writes them.
struct ChunkWrite {
    std::uint64_t pos = 0;
    std::vector<std::uint8_t> bytes;
};

// A rewrite worked out from the file alone: its writes in order, then the file cut or
// extended to newEnd.
struct ChunkEdit {
    std::vector<ChunkWrite> writes;
    std::uint64_t newEnd = 0;
};

// The tag chunk's writes (or, padded in place, the tag's alone).
void addTagChunkWrites(ChunkEdit &edit, const Placement &placement, const TagChunkStyle &style,
                       std::uint64_t fileSize, std::vector<std::uint8_t> tag)
{
    if (placement.plan == Placement::Plan::OverwritePadded) {
        edit.writes.push_back({placement.chunkPos + 8, std::move(tag)});
        return;
    }
    // A last chunk of odd size whose pad byte is missing gets it before anything follows.
    if (placement.plan == Placement::Plan::Append && placement.chunkPos > fileSize)
        edit.writes.push_back({fileSize, {0}});
    const std::size_t tagSize = tag.size();
    edit.writes.push_back({placement.chunkPos, chunkHeader(style.tagId, style.order, static_cast<std::uint32_t>(tagSize))});
    edit.writes.push_back({placement.chunkPos + 8, std::move(tag)});
    if (tagSize % 2 != 0)
        edit.writes.push_back({placement.chunkPos + 8 + tagSize, {0}});
}

// Each superseded tag chunk is renamed to filler and its "ID3" header wiped, so no scanner
// takes it for a tag.
void addRetiringWrites(ChunkEdit &edit, const Placement &placement, const TagChunkStyle &style)
{
    for (const Chunk *old : placement.superseded) {
        std::vector<std::uint8_t> header = chunkHeader(style.fillerId, style.order, old->size);
        header.resize(4);
        edit.writes.push_back({old->headerPos, std::move(header)});
        const std::vector<std::uint8_t> wipe(static_cast<std::size_t>(std::min<std::uint32_t>(old->size, 10)), 0);
        if (!wipe.empty())
            edit.writes.push_back({old->dataPos(), wipe});
    }
}

// The whole rewrite of file, or nothing when its structure cannot be kept or no tag is built.
std::optional<ChunkEdit> planEdit(BinaryFile &file, const TagChunkStyle &style, const TagBuilder &build)
{
    const std::uint64_t fileSize = file.size();
    ChunkTable table;
    if (fileSize < kFormHeader || !readWholeTable(file, style.order, table))
        return std::nullopt;
    const TagChunks found = findTagChunks(table.chunks(), style);
    std::optional<std::vector<std::uint8_t>> tag = buildTag(file, found.primary, build);
    if (!tag)
        return std::nullopt;
    const Placement placement = planPlacement(table.chunks(), found, fileSize, *tag);
    if (placement.newEnd - 8 > 0xFFFFFFFFu)
        return std::nullopt;

    ChunkEdit edit;
    edit.newEnd = placement.newEnd;
    addTagChunkWrites(edit, placement, style, fileSize, std::move(*tag));
    addRetiringWrites(edit, placement, style);
    std::vector<std::uint8_t> formSize(4);
    storeSize(formSize.data(), style.order, static_cast<std::uint32_t>(placement.newEnd - 8));
    edit.writes.push_back({4, std::move(formSize)});
    return edit;
}

WriteResult rewrite(const std::filesystem::path &path, const TagChunkStyle &style, const TagBuilder &build)
{
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::ReadWrite))
        return WriteResult::failure();
    const std::uint64_t fileSize = file.size();
    const std::optional<ChunkEdit> edit = planEdit(file, style, build);
    if (!edit)
        return WriteResult::failure();

    UndoableWriter writer(file);
    bool ok = true;
    for (const ChunkWrite &write : edit->writes) {
        ok = writer.write(write.pos, write.bytes.data(), write.bytes.size());
        if (!ok)
            break;
    }
    ok = ok && file.flush();
    if (!ok) {
        const int error = file.writeError();
        writer.restore(path);
        return WriteResult::failure(error);
    }
    file.close();
    if (edit->newEnd != fileSize && !resizeFile(path, edit->newEnd)) {
        // The chunk was written but the old tail could not be cut: the sizes would disagree.
        return WriteResult::failure();
    }
    return WriteResult::success();
}

// The bytes of write that cover [begin, end), when one does: the last such write wins, as it
// would on disk.
const ChunkWrite *lastWriteCovering(const ChunkEdit &edit, std::uint64_t begin, std::uint64_t end)
{
    const ChunkWrite *last = nullptr;
    for (const ChunkWrite &write : edit.writes) {
        if (write.pos <= begin && end <= write.pos + write.bytes.size())
            last = &write;
    }
    return last;
}

// The file an edit makes of source, as pieces: each stretch holds the bytes of the last write
// that covers it, else the source's own (zeros past its end).
std::vector<OutputPiece> editPieces(const ChunkEdit &edit, std::uint64_t sourceSize)
{
    std::vector<std::uint64_t> bounds = {0, edit.newEnd};
    for (const ChunkWrite &write : edit.writes) {
        bounds.push_back(std::min(write.pos, edit.newEnd));
        bounds.push_back(std::min(write.pos + write.bytes.size(), edit.newEnd));
    }
    if (sourceSize < edit.newEnd)
        bounds.push_back(sourceSize);
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    std::vector<OutputPiece> pieces;
    const auto appendBytes = [&pieces](const std::uint8_t *bytes, std::size_t count) {
        if (pieces.empty() || pieces.back().sourceLength != 0)
            pieces.emplace_back();
        pieces.back().bytes.insert(pieces.back().bytes.end(), bytes, bytes + count);
    };
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        const std::uint64_t begin = bounds[i];
        const std::uint64_t end = bounds[i + 1];
        if (const ChunkWrite *last = lastWriteCovering(edit, begin, end)) {
            appendBytes(last->bytes.data() + (begin - last->pos), static_cast<std::size_t>(end - begin));
        } else if (begin < sourceSize) {
            if (!pieces.empty() && pieces.back().sourceLength != 0
                && pieces.back().sourceOffset + pieces.back().sourceLength == begin)
                pieces.back().sourceLength += end - begin;
            else
                pieces.push_back(OutputPiece{{}, begin, end - begin});
        } else {
            const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(end - begin), 0);
            appendBytes(zeros.data(), zeros.size());
        }
    }
    return pieces;
}

} // namespace

WriteResult rewriteTagChunk(const std::filesystem::path &path, const TagChunkStyle &style, const TagBuilder &build)
{
    try {
        return rewrite(path, style, build);
    } catch (const std::bad_alloc &) {
        return WriteResult::failure();
    } catch (const std::length_error &) {
        return WriteResult::failure();
    }
}

RetagPlan planTagChunk(BinaryFile &source, const TagChunkStyle &style, const TagBuilder &build)
{
    try {
        const std::optional<ChunkEdit> edit = planEdit(source, style, build);
        if (!edit)
            return RetagPlan::failed();
        RetagPlan plan;
        plan.outcome = RetagPlan::Outcome::Rewritten;
        plan.pieces = editPieces(*edit, source.size());
        return plan;
    } catch (const std::bad_alloc &) {
        return RetagPlan::failed();
    } catch (const std::length_error &) {
        return RetagPlan::failed();
    }
}

} // namespace tunvale::formats
