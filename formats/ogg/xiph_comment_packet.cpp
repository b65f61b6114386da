#include "formats/ogg/xiph_comment_packet.h"

#include "formats/audio/byte_reader.h"

#include <cstdint>
#include <limits>

namespace tunvale::formats {

namespace {

// The smallest entry: its 4-byte length with no bytes.
constexpr std::size_t kMinEntrySize = 4;

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view asText(ByteSpan bytes) { return {reinterpret_cast<const char *>(bytes.data()), bytes.size()}; }

bool isPictureKey(std::string_view key)
{
    return sameXiphKey(key, "METADATA_BLOCK_PICTURE") || sameXiphKey(key, "COVERART") || sameXiphKey(key, "COVERARTMIME");
}

bool appendU32(std::string &out, std::size_t value)
{
    if (value > std::numeric_limits<std::uint32_t>::max())
        return false;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
    return true;
}

bool appendEntry(std::string &out, std::string_view entry)
{
    if (!appendU32(out, entry.size()))
        return false;
    out.append(entry);
    return true;
}

struct KeyValue {
    std::string_view key;
    const std::string *value;
    bool written = false;
};

} // namespace

std::string_view xiphCommentKey(std::string_view entry) { return entry.substr(0, entry.find('=')); }

bool sameXiphKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    }
    return true;
}

bool parseXiphComments(std::string_view body, XiphCommentPacket &packet)
{
    packet = {};
    ByteReader reader(asBytes(body));
    std::uint32_t vendorLength = 0;
    ByteSpan vendor;
    std::uint32_t count = 0;
    if (!reader.readU32LE(vendorLength) || !reader.readBytes(vendorLength, vendor) || !reader.readU32LE(count))
        return false;
    packet.vendor = asText(vendor);
    // Never reserve for more entries than the bytes left could hold.
    packet.entries.reserve(std::min<std::size_t>(count, reader.remaining() / kMinEntrySize));
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = 0;
        ByteSpan entry;
        if (!reader.readU32LE(length) || !reader.readBytes(length, entry))
            return true;
        packet.entries.push_back(asText(entry));
    }
    packet.trailing = asText(reader.rest());
    packet.complete = true;
    return true;
}

std::string renderXiphComments(const XiphCommentPacket &packet, const XiphCommentEdit &edit)
{
    KeyValue sets[] = {
        {"TITLE", &edit.title},
        {"ARTIST", &edit.artist},
        {"TRACKNUMBER", &edit.track},
        {"TRACKTOTAL", &edit.totalTracks},
    };
    std::vector<std::string> kept;   // the entries of the result, in order
    kept.reserve(packet.entries.size() + std::size(sets));
    for (const std::string_view entry : packet.entries) {
        const std::string_view key = xiphCommentKey(entry);
        if (edit.removePictures && isPictureKey(key))
            continue;
        KeyValue *set = nullptr;
        for (KeyValue &candidate : sets) {
            if (!candidate.value->empty() && sameXiphKey(key, candidate.key))
                set = &candidate;
        }
        if (!set) {
            kept.emplace_back(entry);
            continue;
        }
        if (set->written)
            continue;
        // The entry's own spelling of the key stays.
        kept.push_back(std::string(key) + "=" + *set->value);
        set->written = true;
    }
    for (const KeyValue &set : sets) {
        if (!set.value->empty() && !set.written)
            kept.push_back(std::string(set.key) + "=" + *set.value);
    }

    std::string out;
    if (!appendEntry(out, packet.vendor) || !appendU32(out, kept.size()))
        return {};
    for (const std::string &entry : kept) {
        if (!appendEntry(out, entry))
            return {};
    }
    out.append(packet.trailing);
    return out;
}

} // namespace tunvale::formats
