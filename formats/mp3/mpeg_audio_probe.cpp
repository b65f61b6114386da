#include "formats/mp3/mpeg_audio_probe.h"

#include "formats/mp3/id3v2_tag_cleaner.h"

#include <algorithm>
#include <cstring>

namespace tunvale::formats {

namespace {

// Bitrates in kbit/s by index 1 to 14 (ISO/IEC 11172-3 §2.4.2.3, 13818-3 §2.4.2.3).
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},   // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},      // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},       // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},      // MPEG-2/2.5 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},           // MPEG-2/2.5 layers II, III
};
constexpr int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Frames that must follow one another before a header is believed, in a long enough file.
constexpr int kFramesInARow = 3;

bool sameStream(const MpegFrameHeader &a, const MpegFrameHeader &b)
{
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

bool id3v1At(ByteSpan head, std::uint64_t position, std::uint64_t fileSize)
{
    return position + 128 == fileSize && fitsWithin(position, 3, head.size()) &&
           std::memcmp(head.data() + position, "TAG", 3) == 0;
}

// Whether the frame at start is followed by enough frames of the same stream.
bool confirmedAt(ByteSpan head, std::size_t start, std::uint64_t fileSize)
{
    const std::optional<MpegFrameHeader> first = parseMpegFrameHeader(head.data() + start);
    if (!first)
        return false;
    std::uint64_t position = start;
    MpegFrameHeader frame = *first;
    for (int seen = 1; seen < kFramesInARow; ++seen) {
        position += frame.length;
        if (position == fileSize || id3v1At(head, position, fileSize))
            return true;
        if (!fitsWithin(position, 4, head.size()))
            return false;
        const std::optional<MpegFrameHeader> next = parseMpegFrameHeader(head.data() + position);
        if (!next || !sameStream(*first, *next))
            return false;
        frame = *next;
    }
    return true;
}

} // namespace

std::optional<MpegFrameHeader> parseMpegFrameHeader(const std::uint8_t *p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    const int emphasis = p[3] & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        emphasis == 2)
        return std::nullopt;

    MpegFrameHeader header;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = 4 - layerBits;
    header.sampleRate = kSampleRates[header.version == 1 ? 0 : header.version == 2 ? 1 : 2][rateIndex];
    const int table = header.version == 1 ? header.layer - 1 : header.layer == 1 ? 3 : 4;
    const long bitrate = kBitrates[table][bitrateIndex] * 1000L;
    if (header.layer == 1) {
        header.length = static_cast<std::size_t>((12 * bitrate / header.sampleRate + padding) * 4);
    } else {
        // MPEG-2 and 2.5 layer III frames hold half as many samples.
        const long factor = header.layer == 3 && header.version != 1 ? 72 : 144;
        header.length = static_cast<std::size_t>(factor * bitrate / header.sampleRate + padding);
    }
    return header;
}

bool looksLikeMpegAudio(ByteSpan head, std::uint64_t fileSize)
{
    if (id3v2TagLength(head))
        return true;
    const std::size_t searchEnd = std::min(head.size(), kMpegProbeBytes);
    for (std::size_t i = 0; i + 4 <= head.size() && i < searchEnd; ++i) {
        if (head[i] == 0xFF && confirmedAt(head, i, fileSize))
            return true;
    }
    return false;
}

} // namespace tunvale::formats
