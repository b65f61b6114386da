#include "formats/ogg/xiph_pictures.h"

#include "catalog/text/tag_text.h"
#include "catalog/text/unicode/tag_text.h"
#include "formats/audio/byte_reader.h"
#include "formats/ogg/xiph_comment_packet.h"

#include <taglib/tbytevector.h>

#include <array>

namespace tunvale::formats {

namespace {

constexpr std::uint32_t kFirstType = 1;   // type 0 ("other") is never taken
constexpr std::uint32_t kLastType = 20;

std::string_view asText(ByteSpan bytes) { return {reinterpret_cast<const char *>(bytes.data()), bytes.size()}; }

std::optional<FlacPictureBlock> decodeEntry(std::string_view entry)
{
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos || !sameXiphKey(entry.substr(0, equals), "METADATA_BLOCK_PICTURE"))
        return std::nullopt;
    const std::string_view base64 = entry.substr(equals + 1);
    const TagLib::ByteVector block =
        TagLib::ByteVector::fromBase64(TagLib::ByteVector(base64.data(), static_cast<unsigned int>(base64.size())));
    return parseFlacPictureBlock(std::string_view(block.data(), block.size()));
}

bool larger(const FlacPictureBlock &a, const FlacPictureBlock &b)
{
    const std::uint64_t areaA = std::uint64_t(a.width) * a.height;
    const std::uint64_t areaB = std::uint64_t(b.width) * b.height;
    return areaA > areaB || (areaA == areaB && a.depth > b.depth);
}

} // namespace

std::optional<FlacPictureBlock> parseFlacPictureBlock(std::string_view block)
{
    ByteReader reader(asBytes(block));
    FlacPictureBlock result;
    std::uint32_t type = 0;
    std::uint32_t mimeLength = 0;
    ByteSpan mime;
    std::uint32_t descriptionLength = 0;
    ByteSpan description;
    std::uint32_t colours = 0;   // for indexed pictures; not kept
    std::uint32_t dataLength = 0;
    ByteSpan data;
    if (!reader.readU32BE(type) || !reader.readU32BE(mimeLength) || !reader.readBytes(mimeLength, mime)
        || !reader.readU32BE(descriptionLength) || !reader.readBytes(descriptionLength, description)
        || !reader.readU32BE(result.width) || !reader.readU32BE(result.height) || !reader.readU32BE(result.depth)
        || !reader.readU32BE(colours) || !reader.readU32BE(dataLength) || !reader.readBytes(dataLength, data))
        return std::nullopt;
    catalog::Picture &picture = result.picture;
    // Types past the ID3v2 list are kept as -1, which no caller takes.
    picture.type = type > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(type);
    picture.mimeType = std::string(asText(mime).substr(0, catalog::PictureTable::kMaxMimeType));
    // The description is UTF-8 in the block, kept whole in the table.
    picture.description = text::unicode::utf8ToTagText(asText(description), catalog::PictureTable::kMaxDescription);
    picture.data.assign(data.begin(), data.end());
    return result;
}

void collectXiphPictures(const std::vector<std::string_view> &entries, catalog::PictureTable &table)
{
    std::array<std::optional<FlacPictureBlock>, kLastType + 1> chosen;
    for (const std::string_view entry : entries) {
        std::optional<FlacPictureBlock> block = decodeEntry(entry);
        if (!block || block->picture.type < std::int32_t(kFirstType) || block->picture.type > std::int32_t(kLastType))
            continue;
        std::optional<FlacPictureBlock> &slot = chosen[static_cast<std::size_t>(block->picture.type)];
        if (!slot || larger(*block, *slot))
            slot = std::move(block);
    }
    for (std::uint32_t type = kFirstType; type <= kLastType; ++type) {
        if (chosen[type] && !table.add(std::move(chosen[type]->picture)))
            return;
    }
}

} // namespace tunvale::formats
