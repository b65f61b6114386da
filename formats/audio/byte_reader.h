#pragma once

// Reads numbers out of a span of bytes: little- and big-endian integers, ID3v2 syncsafe
// integers and the 80-bit extended sample rate of AIFF. Every read is checked against the
// bytes left, so a reader can never step past the end of its buffer; a failed read leaves
// the position where it was.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tunvale::formats {

using ByteSpan = std::span<const std::uint8_t>;

// True when [offset, offset + length) lies inside a buffer of total bytes, written so that
// neither the sum nor the difference can overflow.
constexpr bool fitsWithin(std::uint64_t offset, std::uint64_t length, std::uint64_t total)
{
    return offset <= total && length <= total - offset;
}

// RIFF and IFF chunks: data of odd size is followed by one pad byte. This is the only place
// the pad byte is accounted for.
constexpr std::uint64_t paddedSize(std::uint32_t size)
{
    return static_cast<std::uint64_t>(size) + (size & 1u);
}

std::uint16_t loadU16LE(const std::uint8_t *p);
std::uint16_t loadU16BE(const std::uint8_t *p);
std::uint32_t loadU32LE(const std::uint8_t *p);
std::uint32_t loadU32BE(const std::uint8_t *p);
// Four 7-bit groups, most significant first (the high bit of each byte is ignored).
std::uint32_t loadSyncsafe32(const std::uint8_t *p);
// An 80-bit IEEE 754 extended number (sign, 15-bit exponent biased by 16383, 64-bit mantissa
// with explicit integer bit) truncated toward zero; negative numbers, NaN and numbers below 1
// give 0, numbers of 2^32 and more give 0xFFFFFFFF.
std::uint32_t loadExtended80(const std::uint8_t *p);

void storeU32LE(std::uint8_t *p, std::uint32_t value);
void storeU32BE(std::uint8_t *p, std::uint32_t value);
// Values of 2^28 and more cannot be written; the caller checks with kMaxSyncsafe.
void storeSyncsafe32(std::uint8_t *p, std::uint32_t value);
inline constexpr std::uint32_t kMaxSyncsafe = 0x0FFFFFFFu;

void appendU32BE(std::vector<std::uint8_t> &out, std::uint32_t value);
void appendBytes(std::vector<std::uint8_t> &out, std::string_view bytes);

// A cursor over a span of bytes.
class ByteReader {
public:
    explicit ByteReader(ByteSpan bytes) : m_bytes(bytes) {}

    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    bool atEnd() const { return m_position == m_bytes.size(); }
    // The bytes from the position to the end.
    ByteSpan rest() const { return m_bytes.subspan(m_position); }

    bool skip(std::size_t count);
    bool readU8(std::uint8_t &value);
    bool readU16LE(std::uint16_t &value);
    bool readU16BE(std::uint16_t &value);
    bool readU32LE(std::uint32_t &value);
    bool readU32BE(std::uint32_t &value);
    bool readSyncsafe32(std::uint32_t &value);
    bool readExtended80(std::uint32_t &value);
    // count bytes as a sub-span of the buffer (no copy).
    bool readBytes(std::size_t count, ByteSpan &bytes);

private:
    ByteSpan m_bytes;
    std::size_t m_position = 0;
};

// The bytes of a string as a span (for fixtures and four-character codes).
inline ByteSpan asBytes(std::string_view text)
{
    return ByteSpan(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
}

} // namespace tunvale::formats
