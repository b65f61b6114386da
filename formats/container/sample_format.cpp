#include "formats/container/sample_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tunvale::formats {

namespace {

// G.711 (ITU-T, 1988), the decoding tables as the reference code computes them: 16-bit
// linear values (A-law's 13 bits and µ-law's 14 bits, shifted to the top of 16).
std::int16_t aLawToLinear(std::uint8_t code)
{
    code ^= 0x55;
    const int exponent = (code >> 4) & 0x07;
    int magnitude = (code & 0x0F) << 4;
    magnitude += exponent == 0 ? 8 : 0x108;
    if (exponent > 1)
        magnitude <<= exponent - 1;
    return static_cast<std::int16_t>((code & 0x80) != 0 ? magnitude : -magnitude);
}

std::int16_t muLawToLinear(std::uint8_t code)
{
    code = static_cast<std::uint8_t>(~code);
    const int exponent = (code >> 4) & 0x07;
    const int magnitude = ((((code & 0x0F) << 3) + 0x84) << exponent) - 0x84;
    return static_cast<std::int16_t>((code & 0x80) != 0 ? -magnitude : magnitude);
}

// The bytes of a sample as an unsigned number, most significant byte first.
std::uint64_t loadUnsigned(const std::uint8_t *p, int bytes, ByteOrder order)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const std::uint8_t byte = order == ByteOrder::Big ? p[i] : p[bytes - 1 - i];
        value = (value << 8) | byte;
    }
    return value;
}

// A float sample rounded to the nearest 16-bit value, as decoders commonly reduce floats
// (16 bits is what the conversion keeps), clamped to the 16-bit range.
std::int32_t fromFloat(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::clamp(std::nearbyint(value * 32768.0), -32768.0, 32767.0);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(rounded)) << 16);
}

} // namespace

bool SampleFormat::valid() const
{
    switch (coding) {
    case SampleCoding::Signed:
    case SampleCoding::Unsigned:
        return bytesPerSample >= 1 && bytesPerSample <= 4;
    case SampleCoding::Float:
        return bytesPerSample == 4 || bytesPerSample == 8;
    case SampleCoding::ALaw:
    case SampleCoding::MuLaw:
        return bytesPerSample == 1;
    }
    return false;
}

std::int32_t readSample(const std::uint8_t *p, const SampleFormat &format)
{
    const int bytes = format.bytesPerSample;
    switch (format.coding) {
    case SampleCoding::Signed:
    case SampleCoding::Unsigned: {
        std::uint32_t top = static_cast<std::uint32_t>(loadUnsigned(p, bytes, format.order) << (32 - 8 * bytes));
        if (format.coding == SampleCoding::Unsigned)
            top ^= 0x80000000u;
        return static_cast<std::int32_t>(top);
    }
    case SampleCoding::Float: {
        const std::uint64_t bits = loadUnsigned(p, bytes, format.order);
        if (bytes == 4) {
            float value = 0;
            const auto narrow = static_cast<std::uint32_t>(bits);
            std::memcpy(&value, &narrow, sizeof value);
            return fromFloat(value);
        }
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return fromFloat(value);
    }
    case SampleCoding::ALaw:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(aLawToLinear(*p)) << 16);
    case SampleCoding::MuLaw:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(muLawToLinear(*p)) << 16);
    }
    return 0;
}

} // namespace tunvale::formats
