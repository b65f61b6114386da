// Hostile input, end to end: files named like audio that hold none (a link to a system file,
// text, nothing, noise), FIFOs, and MP3 tags built to break the tag library. Each file is
// inspected alone, within a time limit and with its peak memory measured, then all of them go
// through one organize run.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/mp3_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace fx = tunvale::testing::mp3;
using namespace std::chrono_literals;
using tunvale::testing::ChildProcess;
using tunvale::testing::haveMutagen;
using tunvale::testing::mutagenFrames;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

constexpr const char *kNotAudio = "MP3: no MPEG audio or ID3 tag in the first 64 KiB";
constexpr long kMemoryLimitKiB = 64 * 1024;

struct HostileFile {
    const char *name;
    std::function<void(const fs::path &)> make;
    const char *refusal;                          // the reason given, or null when the file loads
    const char *status;                           // inspect's status of a refused file
    std::map<std::string, std::string> tags;      // tags read when it loads
};

void makeFifo(const fs::path &path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path; }

std::string randomBytes(std::size_t count)
{
    std::mt19937 random(1234);
    std::string bytes(count, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

fx::Frame latin1(const std::string &id, const std::string &value) { return {id, fx::latin1Text(value)}; }

// An ID3v2.3 tag unsynchronised as a whole whose data ends in FF 00, then audio.
std::string unsynchronisedTagEndingInFF00()
{
    return fx::unsynchronised(fx::id3v2Tag(3, {latin1("TPE1", "band"), latin1("TIT2", "song")}) + "\xFF") +
           fx::mpegFrames(3);
}

// An ID3v2.3 COMM frame (Latin-1, "eng", no description, then "A" up to 256 MiB) compressed to
// a few hundred KB, then a title.
std::string inflatingCommentFrame()
{
    constexpr std::uint32_t kInflated = 256u * 1024 * 1024;
    const std::string fields("\0eng\0", 5);
    std::string data = {static_cast<char>(kInflated >> 24), static_cast<char>(kInflated >> 16),
                        static_cast<char>(kInflated >> 8), static_cast<char>(kInflated)};
    data += fx::zlibRepeated(fields, 'A', kInflated - fields.size());
    return fx::id3v2Tag(3, {{"COMM", data, 0x0080}, latin1("TIT2", "after")}) + fx::mpegFrames(3);
}

std::vector<HostileFile> hostileFiles()
{
    return {
        {"song.mp3", [](const fs::path &p) { fs::create_symlink("/etc/passwd", p); }, kNotAudio, "not this format", {}},
        {"notes.mp3",
         [](const fs::path &p) { writeFile(p, "Shopping list\nmilk\nbread\n"); },
         kNotAudio,
         "not this format",
         {}},
        {"empty.mp3", [](const fs::path &p) { writeFile(p, ""); }, "empty file", "empty file", {}},
        {"noise.mp3", [](const fs::path &p) { writeFile(p, randomBytes(100000)); }, kNotAudio, "not this format", {}},
        {"x.flac", makeFifo, "not a regular file", "cannot open", {}},
        {"x.oga", makeFifo, "not a regular file", "cannot open", {}},
        {"notes.ogg",
         [](const fs::path &p) { writeFile(p, "Shopping list\nmilk\nbread\n"); },
         "Ogg: not an Ogg stream",
         "not this format",
         {}},
        {"empty.opus", [](const fs::path &p) { writeFile(p, ""); }, "empty file", "empty file", {}},
        {"noise.m4a", [](const fs::path &p) { writeFile(p, randomBytes(100000)); }, "MP4: not an MP4 file",
         "not this format", {}},
        {"unsynchronised.mp3",
         [](const fs::path &p) { writeFile(p, unsynchronisedTagEndingInFF00()); },
         nullptr,
         nullptr,
         {{"Title", "Song"}, {"Artist", "Band"}}},
        {"inflating.mp3",
         [](const fs::path &p) { writeFile(p, inflatingCommentFrame()); },
         nullptr,
         nullptr,
         {{"Title", "After"}, {"Comment", ""}}},
        {"plain.mp3",
         [](const fs::path &p) { fs::copy_file(fx::plainAudioMp3(), p); },
         nullptr,
         nullptr,
         {{"Title", "plain"}}},
    };
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(fx::plainAudioMp3().empty()) << "sox and lame are needed for the untagged MP3";
        const std::string plain = readFile(fx::plainAudioMp3());
        ASSERT_NE(plain.substr(0, 3), "ID3");
        ASSERT_NE(plain.substr(plain.size() - 128, 3), "TAG") << "the untagged MP3 must hold no tag at all";
        fs::create_directories(m_dir / "src");
        for (const HostileFile &file : m_files)
            file.make(m_dir / "src" / file.name);
    }

    std::vector<std::string> environment() const { return {"XDG_STATE_HOME=" + (m_dir / "state").string()}; }

    TempDir m_dir;
    const std::vector<HostileFile> m_files = hostileFiles();
};

// inspect reads or refuses each file at once, with its reason, in bounded memory: at most
// kMemoryLimitKiB above what inspecting a plain file costs the same build (a sanitizer build
// starts far higher than a release build).
TEST_F(HostileInput, InspectAnswersAtOnceInBoundedMemory)
{
    ChildProcess plain;
    ASSERT_TRUE(plain.start({TUNVALE_CLI_PATH, "inspect", fx::plainAudioMp3().string()}, m_dir / "plain.json",
                            environment()));
    ASSERT_TRUE(plain.waitFor(20s));
    const long baselineKiB = plain.peakMemoryKiB();
    for (const HostileFile &file : m_files) {
        SCOPED_TRACE(file.name);
        const fs::path out = m_dir / "inspect.json";
        ChildProcess inspect;
        ASSERT_TRUE(inspect.start({TUNVALE_CLI_PATH, "inspect", (m_dir / "src" / file.name).string()}, out,
                                  environment()));
        const auto started = std::chrono::steady_clock::now();
        if (!inspect.waitFor(20s)) {
            ADD_FAILURE() << "inspect did not return";
            continue;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
        EXPECT_LT(inspect.peakMemoryKiB(), baselineKiB + kMemoryLimitKiB);

        EXPECT_EQ(inspect.exitStatus(), file.refusal ? 1 : 0);
        const auto report = nlohmann::json::parse(readFile(out), nullptr, false);
        ASSERT_TRUE(report.is_array() && report.size() == 1) << readFile(out);
        const auto &item = report[0];
        EXPECT_EQ(item["loaded"], file.refusal == nullptr);
        if (file.refusal) {
            EXPECT_EQ(item["reason"], std::string(file.refusal));
            EXPECT_EQ(item["status"], std::string(file.status));
            continue;
        }
        for (const auto &[key, value] : file.tags)
            EXPECT_EQ(item["tags"][key], value) << key;
    }
    // The unsynchronised tag's frames are the ones an independent reader finds (the reader
    // capitalises the first letter).
    ASSERT_TRUE(haveMutagen()) << "mutagen is needed";
    const std::map<std::string, std::string> frames = mutagenFrames(m_dir / "src/unsynchronised.mp3");
    EXPECT_EQ(frames.at("TPE1"), "band");
    EXPECT_EQ(frames.at("TIT2"), "song");
}

// organize copies the audio files only and lists every other file as skipped, with its reason.
TEST_F(HostileInput, OrganizeCopiesOnlyAudioAndListsTheRest)
{
    const fs::path out = m_dir / "organize.json";
    ChildProcess organize;
    ASSERT_TRUE(organize.start({TUNVALE_CLI_PATH, "organize", (m_dir / "src").string(), (m_dir / "dst").string(),
                                "--json", "--no-rename", "--no-group-isolated"},
                               out, environment()));
    ASSERT_TRUE(organize.waitFor(60s)) << "organize did not end";
    EXPECT_EQ(organize.exitStatus(), 0);
    const auto report = nlohmann::json::parse(readFile(out), nullptr, false);
    ASSERT_TRUE(report.is_object()) << readFile(out);

    std::map<std::string, std::string> skipped;
    for (const auto &item : report["skipped"])
        skipped[fs::path(item["path"].get<std::string>()).filename().string()] = item["reason"];
    std::map<std::string, std::string> expectedSkipped;
    std::set<std::string> loaded;
    for (const HostileFile &file : m_files) {
        if (file.refusal)
            expectedSkipped[file.name] = file.refusal;
        else
            loaded.insert(file.name);
    }
    EXPECT_EQ(skipped, expectedSkipped);
    EXPECT_EQ(report["files_loaded"], loaded.size());
    // Kept names: each copy is named after its source.
    std::set<std::string> created;
    for (const auto &item : report["created_files"]) {
        const fs::path path = item.get<std::string>();
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
        created.insert(path.filename().string());
    }
    EXPECT_EQ(created, loaded);
}

// A run given up while its worker is stuck in a system call still ends, with status 3, within
// the abort wait plus two seconds.
TEST(HostileInputGiveUp, StuckWorkerEndsWithStatus3InTime)
{
    TempDir dir;
    fs::create_directories(dir / "src");
    ASSERT_EQ(::mkfifo((dir / "src/x.flac").c_str(), 0644), 0);
    writeFile(dir / "src/y-stuck.mp3", fx::mpegFrames(3));   // its open() never returns
    const fs::path out = dir / "organize.out";
    constexpr auto kAbortWait = 1000ms;
    ChildProcess organize;
    ASSERT_TRUE(organize.start({TUNVALE_CLI_PATH, "organize", (dir / "src").string(), (dir / "dst").string()}, out,
                               {"XDG_STATE_HOME=" + (dir / "state").string(), "LD_PRELOAD=" TUNVALE_STUCK_OPEN_PRELOAD,
                                "TUNVALE_ABORT_WAIT_MS=" + std::to_string(kAbortWait.count()),
                                "ASAN_OPTIONS=verify_asan_link_order=0"}));
    for (int i = 0; i < 500 && !fs::exists(dir / "dst"); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(500ms);
    ASSERT_FALSE(organize.waitFor(0ms)) << "the run ended before it was stuck";

    organize.signal(SIGINT);
    const auto interrupted = std::chrono::steady_clock::now();
    const bool ended = organize.waitFor(kAbortWait + 2s);
    ASSERT_TRUE(ended) << "still running " << (kAbortWait + 2s).count() << " ms after SIGINT";
    EXPECT_LE(std::chrono::steady_clock::now() - interrupted, kAbortWait + 2s);
    EXPECT_EQ(organize.exitStatus(), 3);
    EXPECT_EQ(readFile(out).rfind("Aborting", 0), 0u) << readFile(out);
}

} // namespace
