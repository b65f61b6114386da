#include "formats/id3v2/id3v2_frames.h"

namespace tunvale::formats::id3v2 {

namespace {
char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

std::optional<Header> readHeader(ByteSpan tag)
{
    if (tag.size() < kHeaderSize || tag[0] != 'I' || tag[1] != 'D' || tag[2] != '3')
        return std::nullopt;
    Header header;
    header.major = tag[3];
    header.revision = tag[4];
    header.flags = tag[5];
    header.size = loadSyncsafe32(tag.data() + 6);
    const std::uint64_t end = static_cast<std::uint64_t>(header.size) + kHeaderSize;
    header.end = end < tag.size() ? static_cast<std::size_t>(end) : tag.size();
    header.framesStart = kHeaderSize;
    if ((header.flags & kFlagExtendedHeader) && (header.major == 3 || header.major == 4)) {
        // ID3v2.3 §3.2: the size excludes its own 4 bytes; ID3v2.4 §3.2: syncsafe, includes them.
        if (header.end - kHeaderSize >= 4) {
            const std::uint8_t *p = tag.data() + kHeaderSize;
            const std::uint64_t extended = header.major == 3 ? std::uint64_t{loadU32BE(p)} + 4 : loadSyncsafe32(p);
            header.framesStart = fitsWithin(kHeaderSize, extended, header.end)
                ? kHeaderSize + static_cast<std::size_t>(extended)
                : header.end;
        } else {
            header.framesStart = header.end;
        }
    }
    return header;
}

bool Frame::is(std::string_view name) const
{
    if (name.size() != 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (upperAscii(id[i]) != name[i])
            return false;
    }
    return true;
}

FrameWalker::Step FrameWalker::next(Frame &frame, std::uint64_t sizeLimit)
{
    if (m_pos >= m_header.end || m_header.end - m_pos < kFrameHeaderSize)
        return Step::End;
    const std::uint8_t *p = m_tag.data() + m_pos;
    if (p[0] == 0)
        return Step::End;   // padding
    std::uint32_t size = loadU32BE(p + 4);
    // ID3v2.4 frame sizes are syncsafe; a size with a high bit set cannot be, and is one of
    // the plain sizes some writers put into version 4 tags.
    if (m_header.major >= 4 && ((p[4] | p[5] | p[6] | p[7]) & 0x80) == 0)
        size = loadSyncsafe32(p + 4);
    if (size > sizeLimit)
        return Step::Oversize;
    const std::size_t dataStart = m_pos + kFrameHeaderSize;
    if (!fitsWithin(dataStart, size, m_header.end))
        return Step::Overrun;
    for (std::size_t i = 0; i < 4; ++i)
        frame.id[i] = static_cast<char>(p[i]);
    frame.size = size;
    frame.flags = {p[8], p[9]};
    frame.offset = m_pos;
    frame.data = m_tag.subspan(dataStart, size);
    m_pos = dataStart + size;
    return Step::Frame;
}

std::optional<ByteSpan> frameContent(std::uint8_t major, const Frame &frame)
{
    const std::uint8_t format = frame.flags[1];
    std::size_t skip = 0;
    if (major >= 4) {
        if (format & (0x08 | 0x04 | 0x02))   // compression, encryption, unsynchronisation
            return std::nullopt;
        if (format & 0x40)                   // grouping identity byte
            skip += 1;
        if (format & 0x01)                   // data length indicator
            skip += 4;
    } else {
        if (format & (0x80 | 0x40))          // compression, encryption
            return std::nullopt;
        if (format & 0x20)                   // grouping identity byte
            skip += 1;
    }
    if (skip > frame.data.size())
        return std::nullopt;
    return frame.data.subspan(skip);
}

} // namespace tunvale::formats::id3v2
