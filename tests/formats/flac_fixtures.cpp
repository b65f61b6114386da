#include "formats/flac_fixtures.h"

#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace tunvale::testing::flac {

namespace {

// STREAMINFO starts after "fLaC" and the 4-byte block header.
constexpr std::size_t kStreamInfoOffset = 8;
// Byte 10 of STREAMINFO onwards: 20 bits rate, 3 bits channels-1, 5 bits bps-1, 36 bits total.
constexpr std::size_t kPackedFieldsOffset = kStreamInfoOffset + 10;

bool readPacked(std::fstream &file, std::uint64_t &packed)
{
    unsigned char bytes[8];
    file.seekg(kPackedFieldsOffset);
    if (!file.read(reinterpret_cast<char *>(bytes), 8))
        return false;
    packed = 0;
    for (unsigned char b : bytes)
        packed = (packed << 8) | b;
    return true;
}

bool writePacked(std::fstream &file, std::uint64_t packed)
{
    unsigned char bytes[8];
    for (int i = 7; i >= 0; --i) {
        bytes[i] = static_cast<unsigned char>(packed & 0xFF);
        packed >>= 8;
    }
    file.seekp(kPackedFieldsOffset);
    return static_cast<bool>(file.write(reinterpret_cast<const char *>(bytes), 8));
}

template <typename Change>
bool patchPacked(const fs::path &path, Change change)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    char magic[4];
    if (!file.read(magic, 4) || std::string(magic, 4) != "fLaC")
        return false;
    std::uint64_t packed = 0;
    if (!readPacked(file, packed))
        return false;
    packed = change(packed);
    return writePacked(file, packed);
}

} // namespace

std::string quote(const std::string &text)
{
    return tunvale::testing::shellQuote(text);
}

bool haveFlacTools()
{
    return haveTool("flac") && haveTool("metaflac");
}

RawAudio makeAudio(int sampleRate, int channels, int bitsPerSample, std::size_t frames, std::uint32_t seed)
{
    RawAudio audio{sampleRate, channels, bitsPerSample, {}};
    std::mt19937 random(seed);
    const std::int64_t maxValue = (std::int64_t(1) << (bitsPerSample - 1)) - 1;
    const std::int64_t minValue = -(std::int64_t(1) << (bitsPerSample - 1));
    std::uniform_int_distribution<std::int64_t> noise(minValue / 4, maxValue / 4);
    audio.samples.reserve(frames * channels);
    for (std::size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double tone = std::sin(double(f) * (0.01 + 0.013 * c)) * double(maxValue) * 0.7;
            std::int64_t value = static_cast<std::int64_t>(tone) + noise(random);
            // Every few frames a sample at the extremes, where shifts and sums go wrong first.
            if (f % 97 == 0)
                value = (f / 97) % 2 ? maxValue : minValue;
            value = std::max<std::int64_t>(minValue, std::min<std::int64_t>(maxValue, value));
            audio.samples.push_back(static_cast<std::int32_t>(value));
        }
    }
    return audio;
}

bool encodeFlac(const fs::path &flacPath, const RawAudio &audio, const std::string &extraOptions)
{
    const int bytesPerSample = (audio.bitsPerSample + 7) / 8;
    std::string raw;
    raw.reserve(audio.samples.size() * bytesPerSample);
    for (std::int32_t s : audio.samples) {
        const auto u = static_cast<std::uint32_t>(s);
        for (int b = 0; b < bytesPerSample; ++b)
            raw.push_back(static_cast<char>((u >> (8 * b)) & 0xFF));
    }
    const fs::path rawPath = flacPath.string() + ".raw";
    writeFile(rawPath, raw);
    const std::string command = "flac -s -f --force-raw-format --endian=little --sign=signed --channels=" +
                                std::to_string(audio.channels) + " --bps=" + std::to_string(audio.bitsPerSample) +
                                " --sample-rate=" + std::to_string(audio.sampleRate) + " " + extraOptions + " -o " +
                                quote(flacPath.string()) + " " + quote(rawPath.string()) + " 2>&1";
    const int status = runCommand(command);
    std::error_code ec;
    fs::remove(rawPath, ec);
    return status == 0 && fs::exists(flacPath);
}

bool decodeWithFlacTool(const fs::path &flacPath, int bitsPerSample, std::vector<std::int32_t> &samples)
{
    const fs::path rawPath = flacPath.string() + ".decoded.raw";
    const std::string command = "flac -s -f -d --force-raw-format --endian=little --sign=signed -o " +
                                quote(rawPath.string()) + " " + quote(flacPath.string()) + " 2>&1";
    if (runCommand(command) != 0)
        return false;
    const std::string raw = readFile(rawPath);
    std::error_code ec;
    fs::remove(rawPath, ec);
    const int bytesPerSample = (bitsPerSample + 7) / 8;
    samples.clear();
    for (std::size_t i = 0; i + bytesPerSample <= raw.size(); i += bytesPerSample) {
        std::uint32_t u = 0;
        for (int b = 0; b < bytesPerSample; ++b)
            u |= std::uint32_t(static_cast<unsigned char>(raw[i + b])) << (8 * b);
        const int unused = 32 - bytesPerSample * 8;
        samples.push_back(static_cast<std::int32_t>(u << unused) >> unused);
    }
    return true;
}

int metaflac(const std::string &arguments, const fs::path &file, std::string *output)
{
    return runCommand("metaflac " + arguments + " " + quote(file.string()) + " 2>&1", output);
}

bool setComments(const fs::path &file, const std::vector<std::string> &comments)
{
    const fs::path list = file.string() + ".tags.txt";
    std::string text;
    for (const std::string &comment : comments)
        text += comment + "\n";
    writeFile(list, text);
    const int status = metaflac("--remove-all-tags --import-tags-from=" + quote(list.string()), file);
    std::error_code ec;
    fs::remove(list, ec);
    return status == 0;
}

bool addPicture(const fs::path &file, int type, const std::string &description, const fs::path &workFolder,
                std::size_t payloadSize, const std::string &dimensions)
{
    std::string payload = "\x89PNG\r\n\x1a\n";
    for (std::size_t i = 0; payload.size() < payloadSize; ++i)
        payload.push_back(static_cast<char>('A' + (i + type) % 26));
    const fs::path image = workFolder / ("picture" + std::to_string(type) + "_" + std::to_string(payloadSize) + ".png");
    writeFile(image, payload);
    const std::string pictureArgument = std::to_string(type) + "|image/png|" + description + "|" + dimensions + "|" + image.string();
    return metaflac("--import-picture-from=" + quote(pictureArgument), file) == 0;
}

bool patchTotalSamples(const fs::path &file, std::uint64_t totalSamples)
{
    return patchPacked(file, [totalSamples](std::uint64_t packed) {
        constexpr std::uint64_t kMask = (std::uint64_t(1) << 36) - 1;
        return (packed & ~kMask) | (totalSamples & kMask);
    });
}

bool patchChannels(const fs::path &file, int channels)
{
    return patchPacked(file, [channels](std::uint64_t packed) {
        constexpr int kShift = 64 - 20 - 3;
        packed &= ~(std::uint64_t(7) << kShift);
        return packed | (std::uint64_t(channels - 1) << kShift);
    });
}

} // namespace tunvale::testing::flac
