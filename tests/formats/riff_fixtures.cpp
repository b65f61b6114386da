#include "formats/riff_fixtures.h"

#include "support/audio_tools.h"
#include "support/temp_dir.h"


namespace tunvale::testing::riff {

std::string le16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string le32(std::uint32_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

std::string be16(std::uint16_t v)
{
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

std::string be32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>(v & 0xFF)};
}

std::string syncsafe(std::uint32_t v)
{
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F), static_cast<char>((v >> 7) & 0x7F),
            static_cast<char>(v & 0x7F)};
}

std::string extended80(std::uint32_t value)
{
    std::string out(10, '\0');
    if (value == 0)
        return out;
    int exponent = 31;
    while (!(value & (1u << exponent)))
        --exponent;
    const std::uint64_t mantissa = static_cast<std::uint64_t>(value) << (63 - exponent);
    const int biased = exponent + 16383;
    out[0] = static_cast<char>(biased >> 8);
    out[1] = static_cast<char>(biased & 0xFF);
    for (int i = 0; i < 8; ++i)
        out[2 + i] = static_cast<char>((mantissa >> (56 - 8 * i)) & 0xFF);
    return out;
}

std::string chunkLE(std::string_view id, std::string_view data, bool withPad)
{
    std::string out(id);
    out += le32(static_cast<std::uint32_t>(data.size()));
    out += data;
    if (withPad && data.size() % 2)
        out += '\0';
    return out;
}

std::string chunkBE(std::string_view id, std::string_view data, bool withPad)
{
    std::string out(id);
    out += be32(static_cast<std::uint32_t>(data.size()));
    out += data;
    if (withPad && data.size() % 2)
        out += '\0';
    return out;
}

std::string pcmFormat(int channels, int sampleRate, int bitsPerSample, int formatTag)
{
    const int blockAlign = channels * bitsPerSample / 8;
    return le16(static_cast<std::uint16_t>(formatTag)) + le16(static_cast<std::uint16_t>(channels))
        + le32(static_cast<std::uint32_t>(sampleRate)) + le32(static_cast<std::uint32_t>(sampleRate * blockAlign))
        + le16(static_cast<std::uint16_t>(blockAlign)) + le16(static_cast<std::uint16_t>(bitsPerSample));
}

std::string wavFile(std::string_view chunks)
{
    return "RIFF" + le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + std::string(chunks);
}

std::string infoList(std::initializer_list<std::pair<std::string, std::string>> entries)
{
    std::string data = "INFO";
    for (const auto &[id, text] : entries)
        data += chunkLE(id, text);
    return chunkLE("LIST", data);
}

std::string commData(int channels, std::uint32_t frames, int bits, std::uint32_t rate, std::string_view compression)
{
    std::string out = be16(static_cast<std::uint16_t>(channels)) + be32(frames) + be16(static_cast<std::uint16_t>(bits))
        + extended80(rate);
    if (!compression.empty())
        out += std::string(compression) + std::string("\x04name", 5) + std::string(1, '\0');   // pstring "name", padded
    return out;
}

std::string ssndData(std::string_view samples, std::uint32_t offset)
{
    return be32(offset) + be32(0) + std::string(offset, '\0') + std::string(samples);
}

std::string aiffFile(std::string_view formType, std::string_view chunks)
{
    return "FORM" + be32(static_cast<std::uint32_t>(4 + chunks.size())) + std::string(formType) + std::string(chunks);
}

std::string id3Frame(std::string_view id, std::string_view data, int major, std::uint16_t flags)
{
    const auto size = static_cast<std::uint32_t>(data.size());
    return std::string(id) + (major >= 4 ? syncsafe(size) : be32(size)) + be16(flags) + std::string(data);
}

std::string latin1(std::string_view text)
{
    return std::string(1, '\0') + std::string(text);
}

std::string utf16(std::string_view text)
{
    std::string out("\x01\xFF\xFE", 3);
    for (const char c : text) {
        out += c;
        out += '\0';
    }
    out += std::string(2, '\0');
    return out;
}

std::string id3Tag(std::string_view frames, int major, std::size_t padding)
{
    const std::string body = std::string(frames) + std::string(padding, '\0');
    return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0') + syncsafe(static_cast<std::uint32_t>(body.size()))
        + body;
}

std::string readBytes(const std::filesystem::path &path)
{
    return readFile(path);
}

std::string quote(const std::string &text)
{
    return tunvale::testing::shellQuote(text);
}

bool haveAudioTools()
{
    return haveTool("sox") && haveTool("ffmpeg") && haveTool("ffprobe") && haveMutagen();
}

bool shell(const std::string &command)
{
    return runCommand(command + " >/dev/null 2>&1") == 0;
}

std::vector<std::int16_t> halved(const std::vector<std::int16_t> &values)
{
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i + 4 <= values.size(); i += 4) {
        out.push_back(static_cast<std::int16_t>((values[i] >> 1) + (values[i + 2] >> 1)));
        out.push_back(static_cast<std::int16_t>((values[i + 1] >> 1) + (values[i + 3] >> 1)));
    }
    return out;
}

} // namespace tunvale::testing::riff
