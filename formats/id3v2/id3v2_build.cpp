#include "formats/id3v2/id3v2_chunk.h"

#include "formats/id3v2/id3v2_frames.h"
#include "formats/id3v2/id3v2_text.h"

#include "catalog/text/fold.h"

#include <array>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace tunvale::formats {

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendFrameSize(Bytes &out, std::uint8_t major, std::uint32_t size)
{
    std::uint8_t bytes[4];
    if (major >= 4)
        storeSyncsafe32(bytes, size);   // ID3v2.4 §4.1
    else
        storeU32BE(bytes, size);
    out.insert(out.end(), bytes, bytes + 4);
}

// The status flags of a replaced frame are kept; its format flags (compression, grouping,
// data length indicator, ...) described the old data and would misdescribe the new.
std::array<std::uint8_t, 2> keptFlags(const std::array<std::uint8_t, 2> &old)
{
    return {old[0], 0};
}

// TIT2 / TPE1: encoding 1, byte-order mark FF FE, UTF-16LE text, two NUL bytes.
void appendWideTextFrame(Bytes &out, std::uint8_t major, const char *id, std::u16string_view text,
                         std::array<std::uint8_t, 2> flags)
{
    appendBytes(out, std::string_view(id, 4));
    appendFrameSize(out, major, static_cast<std::uint32_t>(2 * text.size() + 5));
    out.push_back(flags[0]);
    out.push_back(flags[1]);
    out.push_back(0x01);
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (const char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    out.push_back(0x00);
    out.push_back(0x00);
}

// TRCK: encoding 0, "n" or "n/m", one NUL byte.
void appendTrackFrame(Bytes &out, std::uint8_t major, int track, int totalTracks, std::array<std::uint8_t, 2> flags)
{
    char text[32];
    const int length = totalTracks > 0 ? std::snprintf(text, sizeof text, "%d/%d", track, totalTracks)
                                       : std::snprintf(text, sizeof text, "%d", track);
    appendBytes(out, "TRCK");
    appendFrameSize(out, major, static_cast<std::uint32_t>(length + 2));
    out.push_back(flags[0]);
    out.push_back(flags[1]);
    out.push_back(0x00);
    appendBytes(out, std::string_view(text, static_cast<std::size_t>(length)));
    out.push_back(0x00);
}

bool isTotalTracksFrame(const id3v2::Frame &frame, std::uint8_t major)
{
    if (!frame.is("TXXX"))
        return false;
    const std::optional<ByteSpan> content = id3v2::frameContent(major, frame);
    if (!content || content->empty())
        return false;
    ByteSpan description;
    ByteSpan value;
    id3v2::splitTerminated((*content)[0], content->subspan(1), description, value);
    return text::compareFolded(id3v2::decodeText((*content)[0], description), "TOTALTRACKS") == 0;
}

} // namespace

std::optional<std::vector<std::uint8_t>> BuildId3v2Tag(std::optional<ByteSpan> oldTag, std::uint64_t fileSize,
                                                       std::u16string_view title, std::u16string_view artist, int track,
                                                       int totalTracks, bool removePictures, Id3v2TagSizes *sizes)
{
    std::optional<id3v2::Header> old;
    if (oldTag)
        old = id3v2::readHeader(*oldTag);
    if (old) {
        if (old->size > fileSize)
            return std::nullopt;
        // Version 2.2 frames have another layout, and unsynchronised bytes would need undoing
        // before frames could be replaced beside them: such a tag is refused, not mangled.
        if ((old->major != 3 && old->major != 4) || (old->flags & id3v2::kFlagUnsynchronisation))
            return std::nullopt;
    }

    try {
        Bytes tag;
        tag.reserve(2 * (title.size() + artist.size()) + 4096 + (old ? oldTag->size() : 0));
        const std::uint8_t major = old ? old->major : 3;
        tag.insert(tag.end(), {'I', 'D', '3', major, static_cast<std::uint8_t>(old ? old->revision : 0)});
        // The extended header is not copied and no footer is written, so their flags go.
        tag.push_back(old ? static_cast<std::uint8_t>(old->flags & ~(id3v2::kFlagExtendedHeader | id3v2::kFlagFooter)) : 0);
        tag.insert(tag.end(), 4, 0);   // size, filled at the end

        bool titleDone = title.empty();
        bool artistDone = artist.empty();
        bool trackDone = track <= 0;
        if (old) {
            id3v2::FrameWalker walker(*oldTag, *old);
            id3v2::Frame frame;
            bool walking = true;
            while (walking) {
                switch (walker.next(frame, old->size)) {
                case id3v2::FrameWalker::Step::Frame:
                    if (frame.is("TIT2") && !title.empty()) {
                        appendWideTextFrame(tag, major, "TIT2", title, keptFlags(frame.flags));
                        titleDone = true;
                    } else if (frame.is("TPE1") && !artist.empty()) {
                        appendWideTextFrame(tag, major, "TPE1", artist, keptFlags(frame.flags));
                        artistDone = true;
                    } else if (frame.is("TRCK") && track > 0) {
                        appendTrackFrame(tag, major, track, totalTracks, keptFlags(frame.flags));
                        trackDone = true;
                    } else if (track > 0 && isTotalTracksFrame(frame, major)) {
                        // The total now travels in TRCK.
                    } else if (frame.is("APIC") && removePictures) {
                        // Pictures dropped on request.
                    } else {
                        const std::uint8_t *start = oldTag->data() + frame.offset;
                        tag.insert(tag.end(), start, start + frame.totalSize());
                    }
                    break;
                case id3v2::FrameWalker::Step::Oversize:
                    // A frame larger than the whole tag: nothing of the old frame list can be
                    // trusted, so the new tag holds only the new frames.
                    tag.resize(id3v2::kHeaderSize);
                    titleDone = title.empty();
                    artistDone = artist.empty();
                    trackDone = track <= 0;
                    walking = false;
                    break;
                case id3v2::FrameWalker::Step::End:
                case id3v2::FrameWalker::Step::Overrun:
                    walking = false;
                    break;
                }
            }
        }
        if (!titleDone)
            appendWideTextFrame(tag, major, "TIT2", title, {0, 0});
        if (!artistDone)
            appendWideTextFrame(tag, major, "TPE1", artist, {0, 0});
        if (!trackDone)
            appendTrackFrame(tag, major, track, totalTracks, {0, 0});

        // An even length, so that the chunk holding the tag needs no pad byte.
        if (tag.size() % 2 != 0)
            tag.push_back(0x00);
        const std::size_t frameBytes = tag.size() - id3v2::kHeaderSize;
        if (frameBytes > kMaxSyncsafe)
            return std::nullopt;
        storeSyncsafe32(tag.data() + 6, static_cast<std::uint32_t>(frameBytes));
        if (sizes != nullptr)
            *sizes = Id3v2TagSizes{static_cast<std::uint32_t>(frameBytes), old ? old->size : 0u};
        return tag;
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    } catch (const std::length_error &) {
        return std::nullopt;
    }
}

} // namespace tunvale::formats
