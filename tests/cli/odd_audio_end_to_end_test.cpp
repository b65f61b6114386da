// tunvale-cli organize --convert on a library of odd audio made by sox, ffmpeg and flac: every
// PCM layout converts into an MP3 that decodes and lasts as long as its source; audio the
// encoder cannot take is copied as it is and listed as a notice; damaged files are listed with
// their reason, never placed as if they were whole.

#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::audioStreamMd5;
using tunvale::testing::CliResult;
using tunvale::testing::ffmpegDecodesCleanly;
using tunvale::testing::ffprobeSeconds;
using tunvale::testing::haveTool;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::runProgram;
using tunvale::testing::shellQuote;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

// Runs a command with %s replaced by the quoted path; true when it exits with 0.
bool make(std::string command, const fs::path &path)
{
    command.replace(command.find("%s"), 2, shellQuote(path.string()));
    return runCommand(command + " >/dev/null 2>&1") == 0;
}

// The report's entries of one list, by the source's file name.
std::map<std::string, nlohmann::json> byName(const nlohmann::json &list)
{
    std::map<std::string, nlohmann::json> out;
    for (const nlohmann::json &entry : list)
        out[fs::path(entry.at("path").get<std::string>()).filename().string()] = entry;
    return out;
}

TEST(OddAudioEndToEnd, EveryFileIsConvertedCopiedOrAccountedFor)
{
    for (const char *tool : {"sox", "ffmpeg", "ffprobe", "flac"}) {
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is needed";
    }
    TempDir dir;
    const fs::path src = dir / "src";
    fs::create_directories(src);
    // Whole files, 2 s each: their names give artist and title.
    const std::vector<std::pair<std::string, std::string>> convertible = {
        {"Voice Memo - 8 kHz.wav", "sox -n -r 8000 -b 8 -c 1 %s synth 2 sine 440 vol 0.5"},
        {"Radio Show - 11025 Hz.wav", "sox -n -r 11025 -b 16 -c 2 %s synth 2 sine 440 sine 660 vol 0.5"},
        {"Studio Band - Float.wav", "sox -n -r 44100 -b 32 -e floating-point -c 2 %s synth 2 sine 440 vol 0.5"},
        {"Phone Line - A-law.wav", "sox -n -r 8000 -e a-law -c 1 %s synth 2 sine 440 vol 0.5"},
        {"Surround Band - Quad.wav",
         "sox -n -r 48000 -b 24 -c 4 %s synth 2 sine 440 sine 660 sine 880 sine 990 vol 0.5"},
        {"Mac Band - Sowt.aiff", "ffmpeg -v error -f lavfi -i sine=d=2 -c:a pcm_s16le %s"},
    };
    for (const auto &[name, command] : convertible)
        ASSERT_TRUE(make(command, src / name)) << name;
    const fs::path wav = dir / "tone.wav";
    ASSERT_TRUE(make("sox -n -r 44100 -b 16 -c 2 %s synth 4 sine 440 vol 0.5", wav));
    ASSERT_TRUE(make("flac -s -f -o %s " + shellQuote(wav.string()), dir / "tone.flac"));
    const std::string flac = readFile(dir / "tone.flac");
    writeFile(src / "Cut Band - Cut Short.flac", flac.substr(0, flac.size() * 2 / 5));
    std::string damaged = flac;
    for (std::size_t i = flac.size() / 2; i < flac.size() / 2 + 16; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    writeFile(src / "Broken Band - Damaged Frame.flac", damaged);
    ASSERT_TRUE(make("sox -n -r 8000 -c 1 -e ima-adpcm %s synth 2 sine 440", src / "Memo Band - Adpcm.wav"));
    ASSERT_TRUE(make("ffmpeg -v error -f lavfi -i sine=d=1 -f lavfi -i sine=f=880:d=1 -map 0 -map 1 -c:a libvorbis %s",
                     src / "Two Streams - Multiplexed.ogg"));
    ASSERT_TRUE(make("ffmpeg -v error -f lavfi -i sine=d=1 -c:a libvorbis %s", dir / "whole.ogg"));
    // Cut before its first page of audio (the first whose granule position is not 0).
    const std::string ogg = readFile(dir / "whole.ogg");
    std::size_t firstAudio = ogg.find("OggS");
    while (firstAudio != std::string::npos && ogg.substr(firstAudio + 6, 8) == std::string(8, '\0'))
        firstAudio = ogg.find("OggS", firstAudio + 1);
    ASSERT_NE(firstAudio, std::string::npos);
    writeFile(src / "Silent Band - No Audio.ogg", ogg.substr(0, firstAudio));

    const fs::path dst = dir / "dst";
    const CliResult run = runProgram(TUNVALE_CLI_PATH, {"organize", "--convert", "--json", src.string(), dst.string()});
    ASSERT_NE(run.status, -1) << run.err;
    const nlohmann::json report = nlohmann::json::parse(run.out);

    // Every convertible file became an MP3 that decodes cleanly and lasts 2 s.
    std::vector<fs::path> created;
    for (const nlohmann::json &file : report.at("created_files"))
        created.emplace_back(file.get<std::string>());
    int mp3s = 0;
    for (const fs::path &file : created) {
        if (file.extension() != ".mp3")
            continue;
        ++mp3s;
        SCOPED_TRACE(file.string());
        std::string errors;
        EXPECT_TRUE(ffmpegDecodesCleanly(file, &errors)) << errors;
        EXPECT_EQ(ffprobeSeconds(file), 2);
    }
    EXPECT_EQ(mp3s, static_cast<int>(convertible.size()));

    // The ADPCM memo is copied as it is (its audio untouched; its tags are rewritten as any
    // copy's), under its own extension, with a notice.
    const auto notices = byName(report.at("notices"));
    ASSERT_EQ(notices.count("Memo Band - Adpcm.wav"), 1u) << report.dump(2);
    const fs::path copy = notices.at("Memo Band - Adpcm.wav").at("destination").get<std::string>();
    EXPECT_EQ(copy.extension(), ".wav");
    EXPECT_EQ(audioStreamMd5(copy), audioStreamMd5(src / "Memo Band - Adpcm.wav"));
    EXPECT_FALSE(audioStreamMd5(copy).empty());
    EXPECT_EQ(notices.size(), 1u);

    // Damaged files are accounted for with their reasons.
    const auto skipped = byName(report.at("skipped"));
    ASSERT_EQ(skipped.count("Cut Band - Cut Short.flac"), 1u) << report.dump(2);
    EXPECT_EQ(skipped.at("Cut Band - Cut Short.flac").at("kind"), "damaged");
    const std::string cutReason = skipped.at("Cut Band - Cut Short.flac").at("reason");
    EXPECT_TRUE(cutReason.starts_with("FLAC: the audio stops at 1.") && cutReason.ends_with(" s of 4.0 s"))
        << cutReason;
    ASSERT_EQ(skipped.count("Silent Band - No Audio.ogg"), 1u);
    EXPECT_EQ(skipped.at("Silent Band - No Audio.ogg").at("kind"), "damaged");
    EXPECT_EQ(skipped.at("Silent Band - No Audio.ogg").at("reason"), "Ogg: no audio after the Ogg headers");
    ASSERT_EQ(skipped.count("Two Streams - Multiplexed.ogg"), 1u);
    EXPECT_EQ(skipped.at("Two Streams - Multiplexed.ogg").at("kind"), "format not handled");
    const auto failed = byName(report.at("failed"));
    ASSERT_EQ(failed.count("Broken Band - Damaged Frame.flac"), 1u) << report.dump(2);
    EXPECT_NE(
        failed.at("Broken Band - Damaged Frame.flac").at("message").get<std::string>().find(" is damaged (FLAC: "),
        std::string::npos);
    // Nothing of the damaged files was placed.
    for (const fs::path &file : created)
        EXPECT_EQ(file.stem().string().find("Damaged"), std::string::npos) << file;
}

} // namespace
