#pragma once

// FLAC files for the tests, written by the reference `flac` and `metaflac` tools from audio
// generated here, plus small byte patches of STREAMINFO for the odd cases.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tunvale::testing::flac {

// Interleaved signed samples at their own bit depth.
struct RawAudio {
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;
    std::vector<std::int32_t> samples;

    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// True when flac and metaflac can be run.
bool haveFlacTools();

// Full-scale noise with a slow ramp, different in each channel, reproducible from the seed.
RawAudio makeAudio(int sampleRate, int channels, int bitsPerSample, std::size_t frames, std::uint32_t seed = 1);

// Encodes the samples with the flac tool (raw input, little-endian); true on success.
bool encodeFlac(const std::filesystem::path &flacPath, const RawAudio &audio, const std::string &extraOptions = {});

// Decodes a FLAC file with the flac tool into interleaved samples of the given depth.
bool decodeWithFlacTool(const std::filesystem::path &flacPath, int bitsPerSample, std::vector<std::int32_t> &samples);

// Runs metaflac with the arguments on the file; returns its exit status, output in *output.
int metaflac(const std::string &arguments, const std::filesystem::path &file, std::string *output = nullptr);

// Replaces all comments of the file by the given "KEY=value" lines, in order.
bool setComments(const std::filesystem::path &file, const std::vector<std::string> &comments);

// Adds a PICTURE block of the given type holding a small PNG-like payload, declared with
// the given "WIDTHxHEIGHTxDEPTH".
bool addPicture(const std::filesystem::path &file, int type, const std::string &description,
                const std::filesystem::path &workFolder, std::size_t payloadSize = 64,
                const std::string &dimensions = "16x16x24");

// Overwrites fields of the STREAMINFO block in place (the file must start with "fLaC").
bool patchTotalSamples(const std::filesystem::path &file, std::uint64_t totalSamples);
bool patchChannels(const std::filesystem::path &file, int channels);

// Quotes a string for the shell.
std::string quote(const std::string &text);

} // namespace tunvale::testing::flac
