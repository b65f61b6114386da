#include "formats/audio/byte_reader.h"

namespace tunvale::formats {

std::uint16_t loadU16LE(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint16_t loadU16BE(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t loadU32LE(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t loadU32BE(const std::uint8_t *p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16)
        | (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

std::uint32_t loadSyncsafe32(const std::uint8_t *p)
{
    return (static_cast<std::uint32_t>(p[0] & 0x7F) << 21) | (static_cast<std::uint32_t>(p[1] & 0x7F) << 14)
        | (static_cast<std::uint32_t>(p[2] & 0x7F) << 7) | static_cast<std::uint32_t>(p[3] & 0x7F);
}

std::uint32_t loadExtended80(const std::uint8_t *p)
{
    const bool negative = (p[0] & 0x80) != 0;
    const int exponent = ((p[0] & 0x7F) << 8 | p[1]) - 16383;
    std::uint64_t mantissa = 0;
    for (int i = 2; i < 10; ++i)
        mantissa = (mantissa << 8) | p[i];
    if (negative || mantissa == 0 || exponent < 0)
        return 0;
    if (exponent == 0x7FFF - 16383)   // infinity or NaN
        return 0;
    if (exponent > 31)
        return 0xFFFFFFFFu;
    // The integer part is the top (exponent + 1) bits of the mantissa.
    const std::uint64_t integer = mantissa >> (63 - exponent);
    return integer > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(integer);
}

void storeU32LE(std::uint8_t *p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

void storeU32BE(std::uint8_t *p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

void storeSyncsafe32(std::uint8_t *p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>((value >> 21) & 0x7F);
    p[1] = static_cast<std::uint8_t>((value >> 14) & 0x7F);
    p[2] = static_cast<std::uint8_t>((value >> 7) & 0x7F);
    p[3] = static_cast<std::uint8_t>(value & 0x7F);
}

void appendU32BE(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    std::uint8_t bytes[4];
    storeU32BE(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void appendBytes(std::vector<std::uint8_t> &out, std::string_view bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

bool ByteReader::skip(std::size_t count)
{
    if (count > remaining())
        return false;
    m_position += count;
    return true;
}

bool ByteReader::readU8(std::uint8_t &value)
{
    if (remaining() < 1)
        return false;
    value = m_bytes[m_position++];
    return true;
}

#define TUNVALE_READ_FIXED(name, type, size, loader)      \
    bool ByteReader::name(type &value)                    \
    {                                                     \
        if (remaining() < (size))                         \
            return false;                                 \
        value = loader(m_bytes.data() + m_position);      \
        m_position += (size);                             \
        return true;                                      \
    }

TUNVALE_READ_FIXED(readU16LE, std::uint16_t, 2, loadU16LE)
TUNVALE_READ_FIXED(readU16BE, std::uint16_t, 2, loadU16BE)
TUNVALE_READ_FIXED(readU32LE, std::uint32_t, 4, loadU32LE)
TUNVALE_READ_FIXED(readU32BE, std::uint32_t, 4, loadU32BE)
TUNVALE_READ_FIXED(readSyncsafe32, std::uint32_t, 4, loadSyncsafe32)
TUNVALE_READ_FIXED(readExtended80, std::uint32_t, 10, loadExtended80)

#undef TUNVALE_READ_FIXED

bool ByteReader::readBytes(std::size_t count, ByteSpan &bytes)
{
    if (count > remaining())
        return false;
    bytes = m_bytes.subspan(m_position, count);
    m_position += count;
    return true;
}

} // namespace tunvale::formats
