#include "formats/mp3/id3_file_tags.h"

#include "formats/mp3/id3v2_tag_cleaner.h"

#include <id3tag.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace tunvale::formats {

void Id3TagDeleter::operator()(id3_tag *tag) const { id3_tag_delete(tag); }

namespace {

constexpr std::uint64_t kId3v1Size = 128;
constexpr std::uint64_t kId3v2HeaderSize = 10;

struct ParsedTag {
    Id3TagPtr tag;
    bool isUpdate = false;
};

// The ID3v2 tag of length bytes at position, cleaned and parsed; nothing when it cannot be
// read or parsed.
std::optional<ParsedTag> parseId3v2At(BinaryFile &file, std::uint64_t position, std::uint64_t length)
{
    std::vector<std::uint8_t> raw;
    if (!file.readExact(position, static_cast<std::size_t>(length), raw))
        return std::nullopt;
    std::optional<CleanId3v2Tag> clean = cleanId3v2Tag(raw);
    std::vector<std::uint8_t>().swap(raw);
    if (!clean)
        return std::nullopt;
    // An ID3v2 tag is at most 256 MiB (a 28-bit size): it fits id3_length_t, which is 32-bit
    // on Windows.
    Id3TagPtr tag(id3_tag_parse(clean->bytes.data(), static_cast<id3_length_t>(clean->bytes.size())));
    if (!tag)
        return std::nullopt;
    return ParsedTag{std::move(tag), clean->isUpdate};
}

std::optional<ParsedTag> parseId3v1(BinaryFile &file)
{
    const std::uint64_t size = file.size();
    std::vector<std::uint8_t> bytes;
    if (size < kId3v1Size || !file.readExact(size - kId3v1Size, kId3v1Size, bytes) ||
        std::memcmp(bytes.data(), "TAG", 3) != 0)
        return std::nullopt;
    Id3TagPtr tag(id3_tag_parse(bytes.data(), static_cast<id3_length_t>(bytes.size())));
    if (!tag)
        return std::nullopt;
    return ParsedTag{std::move(tag), false};
}

// The length of the ID3v2 tag whose header is at position, when the file holds all of it.
std::optional<std::uint64_t> id3v2LengthAt(BinaryFile &file, std::uint64_t position)
{
    std::array<std::uint8_t, kId3v2HeaderSize> header{};
    if (file.readAt(position, header.data(), header.size()) != header.size())
        return std::nullopt;
    const std::optional<std::uint64_t> length = id3v2TagLength(header);
    if (!length || !fitsWithin(position, *length, file.size()))
        return std::nullopt;
    return length;
}

// An ID3v2.4 tag appended at end (ID3v2.4 §3.4): its footer, "3DI" and the header's fields,
// ends the tag. The position of its header, when it lies after the tag at the start.
std::optional<std::uint64_t> appendedTagStart(BinaryFile &file, std::uint64_t end, std::uint64_t startTagLength)
{
    std::array<std::uint8_t, kId3v2HeaderSize> footer{};
    if (end < startTagLength + 2 * kId3v2HeaderSize ||
        file.readAt(end - kId3v2HeaderSize, footer.data(), footer.size()) != footer.size() ||
        std::memcmp(footer.data(), "3DI", 3) != 0 || footer[3] != 4 || footer[4] == 0xFF ||
        ((footer[6] | footer[7] | footer[8] | footer[9]) & 0x80))
        return std::nullopt;
    const std::uint64_t length = 2 * kId3v2HeaderSize + loadSyncsafe32(footer.data() + 6);
    if (length > end - startTagLength)
        return std::nullopt;
    return end - length;
}

// Moves the frames of part into merged: added to them for an update, replacing them otherwise.
bool merge(id3_tag &merged, ParsedTag part)
{
    if (!part.isUpdate)
        id3_tag_clearframes(&merged);
    for (unsigned i = 0; i < part.tag->nframes; ++i) {
        if (id3_tag_attachframe(&merged, part.tag->frames[i]) != 0)
            return false;
    }
    return true;
}

} // namespace

Id3TagPtr readMergedId3Tags(BinaryFile &file)
{
    Id3TagPtr merged(id3_tag_new());
    if (!merged)
        return nullptr;
    if (std::optional<ParsedTag> v1 = parseId3v1(file); v1 && !merge(*merged, std::move(*v1)))
        return nullptr;

    std::uint64_t startLength = 0;
    if (const std::optional<std::uint64_t> length = id3v2LengthAt(file, 0)) {
        startLength = *length;
        if (std::optional<ParsedTag> start = parseId3v2At(file, 0, *length); start && !merge(*merged, std::move(*start)))
            return nullptr;
    }

    const bool hasV1 = file.size() >= kId3v1Size && [&file] {
        std::array<std::uint8_t, 3> magic{};
        return file.readAt(file.size() - kId3v1Size, magic.data(), magic.size()) == magic.size() &&
               std::memcmp(magic.data(), "TAG", 3) == 0;
    }();
    const std::uint64_t end = file.size() - (hasV1 ? kId3v1Size : 0);
    if (const std::optional<std::uint64_t> position = appendedTagStart(file, end, startLength)) {
        const std::optional<std::uint64_t> length = id3v2LengthAt(file, *position);
        if (length && *position + *length == end) {
            if (std::optional<ParsedTag> appended = parseId3v2At(file, *position, *length);
                appended && !merge(*merged, std::move(*appended)))
                return nullptr;
        }
    }
    return merged;
}

} // namespace tunvale::formats
