#include "formats/riff_fixtures.h"

#include "support/temp_dir.h"

#include <cmath>
#include <fstream>
#include <sstream>

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

bool haveMutagen()
{
    return runCommand("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
}

int runPython(const std::string &script, const std::filesystem::path &path, std::string *output)
{
    return runCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 -c " + quote(script) + " " + quote(path.string()) + " 2>&1", output);
}

bool haveAudioTools()
{
    return haveTool("sox") && haveTool("ffmpeg") && haveTool("ffprobe") && haveMutagen();
}

bool shell(const std::string &command)
{
    return runCommand(command + " >/dev/null 2>&1") == 0;
}

std::vector<std::int16_t> ffmpegSamples(const std::filesystem::path &path)
{
    std::string raw;
    if (runCommand("ffmpeg -v error -i " + quote(path.string()) + " -f s16le -c:a pcm_s16le - 2>/dev/null", &raw) != 0)
        return {};
    std::vector<std::int16_t> values(raw.size() / 2);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) | (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return values;
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

std::string ffprobeSummary(const std::filesystem::path &path)
{
    std::string errors;
    runCommand("ffprobe -v error " + quote(path.string()) + " 2>&1 >/dev/null", &errors);
    if (!errors.empty())
        return "error: " + errors;
    std::string out;
    runCommand("ffprobe -v error -select_streams a:0 -count_packets -show_entries stream=codec_name,sample_rate,channels,duration_ts "
               "-of csv=p=0:s='|' " + quote(path.string()) + " 2>&1", &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

std::string mutagenSummary(const std::filesystem::path &path)
{
    std::string out;
    runPython("import sys, mutagen\n"
              "f = mutagen.File(sys.argv[1])\n"
              "t = f.tags\n"
              "g = lambda k: str(t[k].text[0]) if t is not None and k in t else '-'\n"
              "print(g('TIT2') + '|' + g('TPE1') + '|' + g('TRCK'))\n",
              path, &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

bool mutagenTag(const std::filesystem::path &path, int version, bool withPicture)
{
    std::string out;
    const int status = runPython(
        "import sys, mutagen\n"
        "from mutagen.id3 import TIT2, TPE1, TALB, TRCK, APIC, COMM\n"
        "f = mutagen.File(sys.argv[1])\n"
        "f.add_tags()\n"
        "f.tags.add(TIT2(encoding=3, text='Old Title'))\n"
        "f.tags.add(TPE1(encoding=1, text='Old Artist'))\n"
        "f.tags.add(TALB(encoding=0, text='Album'))\n"
        "f.tags.add(TRCK(encoding=1, text='4/11'))\n"
        "f.tags.add(COMM(encoding=3, lang='eng', desc='Info', text='Live'))\n"
        + std::string(withPicture ? "import base64\n"
                                 "png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==')\n"
                                 "f.tags.add(APIC(encoding=0, mime='image/png', type=3, desc='cover', data=png))\n" : "")
        + "f.save(v2_version=" + std::to_string(version) + ")\n",
        path, &out);
    return status == 0;
}

} // namespace tunvale::testing::riff
