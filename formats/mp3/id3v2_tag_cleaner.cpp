#include "formats/mp3/id3v2_tag_cleaner.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tunvale::formats {

namespace {

constexpr std::size_t kHeaderSize = 10;

// Tag header flags (ID3v2.3 §3.1, ID3v2.4 §3.1; in ID3v2.2 bit 6 means compression).
constexpr std::uint8_t kTagUnsynchronisation = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;
constexpr std::uint8_t kTagFooter = 0x10;
// ID3v2.4 extended header flag (§3.2): the tag is an update of an earlier one.
constexpr std::uint8_t kExtendedUpdate = 0x40;

// Frame format flags. ID3v2.3 §3.3.1: compression adds a 4-byte inflated size; encryption
// and grouping one byte each.
constexpr std::uint16_t kV23Compression = 0x0080;
// ID3v2.4 §4.1.2, in the order their extra bytes follow the frame header.
constexpr std::uint16_t kV24Grouping = 0x0040;
constexpr std::uint16_t kV24Compression = 0x0008;
constexpr std::uint16_t kV24Encryption = 0x0004;
constexpr std::uint16_t kV24Unsynchronisation = 0x0002;
constexpr std::uint16_t kV24DataLength = 0x0001;

bool syncsafeBytes(const std::uint8_t *p)
{
    return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0;
}

// Unsynchronisation undone (ID3v2.4 §6.1): the 0x00 inserted after every 0xFF is removed.
// A 0xFF at the very end stays as it is; nothing past the span is ever looked at.
std::vector<std::uint8_t> resynchronised(ByteSpan data)
{
    std::vector<std::uint8_t> out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < data.size() && data[i + 1] == 0x00)
            ++i;
    }
    return out;
}

bool validFrameId(const std::uint8_t *id, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const bool letter = id[i] >= 'A' && id[i] <= 'Z';
        const bool digit = id[i] >= '0' && id[i] <= '9';
        if (!letter && !digit)
            return false;
    }
    return true;
}

void appendFrameSize(std::vector<std::uint8_t> &out, int major, std::uint32_t size)
{
    std::uint8_t bytes[4];
    if (major == 4)
        storeSyncsafe32(bytes, size);
    else
        storeU32BE(bytes, size);
    if (major == 2)
        out.insert(out.end(), bytes + 1, bytes + 4);
    else
        out.insert(out.end(), bytes, bytes + 4);
}

// Walks the frames of a tag body (after the extended header) and appends the ones kept.
class FrameWalk {
public:
    FrameWalk(int major, CleanId3v2Tag &result) : m_major(major), m_result(result) {}

    void run(ByteSpan body)
    {
        const std::size_t idLength = m_major == 2 ? 3 : 4;
        const std::size_t headerLength = m_major == 2 ? 6 : 10;
        std::size_t position = 0;
        while (position < body.size()) {
            const std::uint8_t *header = body.data() + position;
            const std::size_t left = body.size() - position;
            // A zero byte where a frame would start begins the padding.
            if (header[0] == 0)
                return;
            if (left < headerLength) {
                m_result.cutAtEnd = true;
                return;
            }
            const std::uint32_t size = frameSize(header + idLength);
            if (size > left - headerLength) {
                m_result.cutAtEnd = true;
                return;
            }
            const std::uint16_t flags = m_major == 2 ? 0 : loadU16BE(header + 8);
            const ByteSpan data = body.subspan(position + headerLength, size);
            position += headerLength + size;
            if (!validFrameId(header, idLength)) {
                ++m_result.droppedFrames;
                continue;
            }
            keepOrDrop(header, idLength, flags, data);
        }
    }

private:
    std::uint32_t frameSize(const std::uint8_t *p) const
    {
        if (m_major == 2)
            return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
        // Like libid3tag, the high bit of each byte of a version 2.4 size is ignored.
        return m_major == 4 ? loadSyncsafe32(p) : loadU32BE(p);
    }

    // Takes the declared inflated size of a compressed frame into the tag's total; false
    // when the frame passes a limit.
    bool admitInflated(std::uint32_t inflated)
    {
        if (inflated > kMaxInflatedFrame || inflated > kMaxInflatedTag - m_inflated)
            return false;
        m_inflated += inflated;
        return true;
    }

    void keepOrDrop(const std::uint8_t *header, std::size_t idLength, std::uint16_t flags, ByteSpan data)
    {
        if (m_major == 3 && (flags & kV23Compression)) {
            if (data.size() < 4 || !admitInflated(loadU32BE(data.data()))) {
                ++m_result.droppedFrames;
                return;
            }
        }
        if (m_major != 4) {
            append(header, idLength, flags, data, {});
            return;
        }
        // ID3v2.4: the bytes its flags add come first, then the frame data proper.
        const std::size_t extra = ((flags & kV24Grouping) ? 1 : 0) + ((flags & kV24Encryption) ? 1 : 0) +
                                  ((flags & kV24DataLength) ? 4 : 0);
        if (data.size() < extra) {
            ++m_result.droppedFrames;
            return;
        }
        if (flags & kV24Compression) {
            // Without a data length indicator libid3tag cannot inflate the frame at all.
            const bool stated = (flags & kV24DataLength) != 0;
            if (!stated || !admitInflated(loadSyncsafe32(data.data() + extra - 4))) {
                ++m_result.droppedFrames;
                return;
            }
        }
        if (flags & kV24Unsynchronisation) {
            const std::vector<std::uint8_t> plain = resynchronised(data.subspan(extra));
            append(header, idLength, static_cast<std::uint16_t>(flags & ~kV24Unsynchronisation), data.first(extra),
                   plain);
            return;
        }
        append(header, idLength, flags, data, {});
    }

    void append(const std::uint8_t *header, std::size_t idLength, std::uint16_t flags, ByteSpan first, ByteSpan second)
    {
        std::vector<std::uint8_t> &out = m_result.bytes;
        out.insert(out.end(), header, header + idLength);
        appendFrameSize(out, m_major, static_cast<std::uint32_t>(first.size() + second.size()));
        if (m_major != 2) {
            out.push_back(static_cast<std::uint8_t>(flags >> 8));
            out.push_back(static_cast<std::uint8_t>(flags & 0xFF));
        }
        out.insert(out.end(), first.begin(), first.end());
        out.insert(out.end(), second.begin(), second.end());
    }

    int m_major;
    CleanId3v2Tag &m_result;
    std::uint64_t m_inflated = 0;
};

// The length of the extended header at the start of body, or nothing when it is damaged.
// Sets isUpdate from a version 2.4 header.
std::optional<std::size_t> extendedHeaderLength(int major, ByteSpan body, bool &isUpdate)
{
    if (body.size() < 6)
        return std::nullopt;
    if (major == 3) {
        // ID3v2.3 §3.2: the size (6 or 10) leaves out its own four bytes.
        const std::uint32_t size = loadU32BE(body.data());
        if (size > body.size() - 4)
            return std::nullopt;
        return std::size_t(size) + 4;
    }
    // ID3v2.4 §3.2: a syncsafe size that counts the whole extended header, one flag byte.
    if (!syncsafeBytes(body.data()))
        return std::nullopt;
    const std::uint32_t size = loadSyncsafe32(body.data());
    if (size < 6 || size > body.size() || body[4] != 1)
        return std::nullopt;
    isUpdate = (body[5] & kExtendedUpdate) != 0;
    return std::size_t(size);
}

} // namespace

std::optional<std::uint64_t> id3v2TagLength(ByteSpan header)
{
    if (header.size() < kHeaderSize || std::memcmp(header.data(), "ID3", 3) != 0)
        return std::nullopt;
    const std::uint8_t major = header[3];
    if (major < 2 || major > 4 || header[4] == 0xFF || !syncsafeBytes(header.data() + 6))
        return std::nullopt;
    const bool footer = major == 4 && (header[5] & kTagFooter);
    return kHeaderSize + std::uint64_t(loadSyncsafe32(header.data() + 6)) + (footer ? kHeaderSize : 0);
}

std::optional<CleanId3v2Tag> cleanId3v2Tag(ByteSpan raw)
{
    if (!id3v2TagLength(raw))
        return std::nullopt;
    const int major = raw[3];
    const std::uint8_t flags = raw[5];
    const std::uint32_t size = loadSyncsafe32(raw.data() + 6);
    if (size > raw.size() - kHeaderSize)
        return std::nullopt;
    // ID3v2.2 §3.1: no compression scheme was ever defined, so such a tag cannot be read.
    if (major == 2 && (flags & 0x40))
        return std::nullopt;

    try {
        ByteSpan body = raw.subspan(kHeaderSize, size);
        // Versions 2.2 and 2.3 unsynchronise the whole tag after its header.
        std::vector<std::uint8_t> plainBody;
        if (major < 4 && (flags & kTagUnsynchronisation)) {
            plainBody = resynchronised(body);
            body = plainBody;
        }

        CleanId3v2Tag result;
        if (major > 2 && (flags & kTagExtendedHeader)) {
            const std::optional<std::size_t> length = extendedHeaderLength(major, body, result.isUpdate);
            if (!length)
                return std::nullopt;
            body = body.subspan(*length);
        }

        result.bytes.reserve(kHeaderSize + body.size() + kCleanTagPadding);
        result.bytes.insert(result.bytes.end(), raw.begin(), raw.begin() + kHeaderSize);
        FrameWalk(major, result).run(body);

        // The unsynchronisation, extended header and footer flags no longer apply.
        result.bytes[5] = static_cast<std::uint8_t>(flags & ~(kTagUnsynchronisation | kTagExtendedHeader | kTagFooter));
        // The padding always follows in the buffer; the size field counts as much of it as
        // the field can hold.
        const std::uint64_t declared = result.bytes.size() - kHeaderSize + kCleanTagPadding;
        result.bytes.insert(result.bytes.end(), kCleanTagPadding, 0);
        storeSyncsafe32(result.bytes.data() + 6, static_cast<std::uint32_t>(std::min<std::uint64_t>(declared, kMaxSyncsafe)));
        return result;
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

} // namespace tunvale::formats
