// Runs that write several files at once: whatever the number of conversions in flight, the
// user sees the same lines in the same order and gets the same files, byte for byte; an abort
// in the middle leaves only complete files, each one recorded.

#include "catalog/text/codepage.h"
#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "engine/engine_fakes.h"
#include "formats/io/work_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Notice;
using testing::RecordingSink;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::shellQuote;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

struct CreateIt : OrganizeQuestions {
    bool createMissingDestination(const fs::path &) override { return true; }
};

bool run(const std::string &command)
{
    std::string output;
    const int status = runCommand(command + " 2>&1", &output);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return status == 0;
}

bool haveTools()
{
    for (const char *tool : {"sox", "lame", "flac", "metaflac"}) {
        if (!haveTool(tool))
            return false;
    }
    return true;
}

// seconds of a two-tone stereo signal at 44.1 kHz, 16 bits, as WAV.
void makeTone(const fs::path &wav, double seconds, int frequency)
{
    ASSERT_TRUE(run("sox -q -n -r 44100 -c 2 -b 16 " + shellQuote(wav.string()) + " synth "
                    + std::to_string(seconds) + " sine " + std::to_string(frequency) + " pinknoise vol 0.3"));
}

void makeFlac(const fs::path &flac, const fs::path &tone, const std::string &artist, const std::string &title)
{
    fs::create_directories(flac.parent_path());
    ASSERT_TRUE(run("flac --silent -f -o " + shellQuote(flac.string()) + " " + shellQuote(tone.string())));
    ASSERT_TRUE(run("metaflac --set-tag=" + shellQuote("TITLE=" + title) + " --set-tag="
                    + shellQuote("ARTIST=" + artist) + " " + shellQuote(flac.string())));
}

// A library where order matters: groups of several converted formats, MP3 copies among them, a
// FLAC whose audio is damaged (its tags read, its conversion fails, so the rest of its group is
// not placed), two sources that take the same name ("(1)"), and lone files numbered in the
// Miscellaneous folder.
void makeMixedLibrary(const fs::path &folder, const fs::path &scratch)
{
    const fs::path tone = scratch / "tone.wav";
    makeTone(tone, 2.0, 440);
    const std::string t = shellQuote(tone.string());
    makeFlac(folder / "a" / "one.flac", tone, "Alpha", "One");
    makeFlac(folder / "a" / "two.flac", tone, "Alpha", "Two");
    ASSERT_TRUE(run("sox -q " + t + " -b 24 " + shellQuote((folder / "a" / "Alpha - Three.wav").string())));
    ASSERT_TRUE(run("sox -q " + t + " " + shellQuote((folder / "a" / "Alpha - One.aiff").string())));
    ASSERT_TRUE(run("lame --quiet -b 96 --tt Four --ta Alpha " + t + " " + shellQuote((folder / "a" / "four.mp3").string())));
    ASSERT_TRUE(run("lame --quiet -b 96 --tt Five --ta Alpha " + t + " " + shellQuote((folder / "a" / "five.mp3").string())));
    // A copy that takes the name of two conversions when tracks keep their own numbers.
    ASSERT_TRUE(run("lame --quiet -b 96 --tt One --ta Alpha " + t + " " + shellQuote((folder / "a" / "six.mp3").string())));

    // Beta: the damaged FLAC comes first in its group, the others are then not placed.
    makeFlac(folder / "b" / "broken.flac", tone, "Beta", "Broken");
    {
        std::string bytes = readFile(folder / "b" / "broken.flac");
        // Garbage over the audio frames, past the metadata.
        for (std::size_t n = bytes.size() / 3; n < bytes.size(); n += 7)
            bytes[n] = static_cast<char>(n * 37);
        writeFile(folder / "b" / "broken.flac", bytes);
    }
    makeFlac(folder / "b" / "later.flac", tone, "Beta", "Later");
    ASSERT_TRUE(run("lame --quiet -b 96 --tt Copy --ta Beta " + t + " " + shellQuote((folder / "b" / "copy.mp3").string())));

    // Lone files of their artists: each is the only one, in Miscellaneous.
    for (const char *artist : {"Gamma", "Delta", "Epsilon"})
        makeFlac(folder / "c" / (std::string(artist) + ".flac"), tone, artist, "Alone");
    ASSERT_TRUE(run("sox -q " + t + " " + shellQuote((folder / "c" / "Zeta - Alone.wav").string())));
    ASSERT_TRUE(run("lame --quiet -b 96 --tt Alone --ta Eta " + t + " " + shellQuote((folder / "c" / "eta.mp3").string())));
}

struct RunResult {
    std::vector<Notice> notices;
    std::string summary;
    std::vector<fs::path> created;
    std::vector<std::string> tree;
    std::map<std::string, std::string> files;
};

class TestRun {
public:
    TestRun(const fs::path &source, const fs::path &destination, unsigned jobs, bool renumber = true)
        : m_source(source)
        , m_destination(destination)
    {
        m_options.mp3Convert = 1;
        m_options.mp3Quality = 2;
        m_options.alphaTrack = renumber ? 1 : 0;
        m_organizer = std::make_unique<Organizer>(m_session, m_sink, standardHooks());
        m_organizer->setConversionJobs(jobs);
        WorkerPauses pauses;
        pauses.afterLoadingNotice = 0ms;
        pauses.afterFailure = 0ms;
        m_organizer->setPauses(pauses);
    }

    bool start()
    {
        CreateIt yes;
        const PrepareOutcome prepared = prepareOrganize(m_session, m_options, m_source, m_destination, m_sink, yes);
        EXPECT_EQ(prepared.status, PrepareStatus::Ready);
        return prepared.status == PrepareStatus::Ready && m_organizer->start(m_options);
    }

    RunResult finish()
    {
        EXPECT_TRUE(m_organizer->waitFinished(5min));
        // The worker sets its finished event just before it posts its end: the end comes
        // first in the notices, as a front end handles it.
        for (int waited = 0; waited < 1000 && m_sink.of(Notice::RunEnded).empty(); ++waited)
            std::this_thread::sleep_for(10ms);
        const RunSummary summary = m_organizer->handleRunEnded(0ms);
        RunResult result;
        result.notices = m_sink.notices();
        result.summary = text::utf16ToUtf8(summary.line);
        result.created = m_session.filesCreatedInSession;
        result.tree = listTree(m_destination);
        for (const std::string &entry : result.tree) {
            if (!entry.ends_with('/'))
                result.files[entry] = readFile(m_destination / entry);
        }
        return result;
    }

    Organizer &organizer() { return *m_organizer; }
    RecordingSink &sink() { return m_sink; }
    SessionState &session() { return m_session; }

private:
    fs::path m_source;
    fs::path m_destination;
    SessionState m_session;
    RunOptions m_options;
    RecordingSink m_sink;
    std::unique_ptr<Organizer> m_organizer;
};

// One notice as a line, with the destination folder taken out so two runs compare.
std::string describe(const Notice &n, const fs::path &destination)
{
    std::string text = text::utf16ToUtf8(n.text);
    const std::string root = destination.string();
    for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root))
        text.replace(at, root.size(), "DST");
    return std::to_string(n.kind) + " " + std::to_string(n.position) + "/" + std::to_string(n.range) + " "
        + std::to_string(n.colour) + " " + text;
}

std::vector<std::string> describeAll(const RunResult &result, const fs::path &destination)
{
    std::vector<std::string> lines;
    for (const Notice &n : result.notices)
        lines.push_back(describe(n, destination));
    return lines;
}

std::vector<std::string> relative(const std::vector<fs::path> &paths, const fs::path &root)
{
    std::vector<std::string> names;
    for (const fs::path &p : paths)
        names.push_back(p.lexically_relative(root).generic_string());
    return names;
}

std::vector<std::string> messagesOf(const RunResult &result)
{
    std::vector<std::string> messages;
    for (const Notice &n : result.notices)
        if (n.kind == Notice::Message)
            messages.push_back(text::utf16ToUtf8(n.text));
    return messages;
}

// Four at once show the same notices in the same order, give the same summary and the same
// files, byte for byte, as one at a time.
void expectSameAsSequential(const RunResult &parallel, const fs::path &parallelRoot, const RunResult &sequential,
                            const fs::path &sequentialRoot)
{
    const std::vector<std::string> seen = describeAll(parallel, parallelRoot);
    const std::vector<std::string> expected = describeAll(sequential, sequentialRoot);
    const auto firstDifference = std::mismatch(seen.begin(), seen.end(), expected.begin(), expected.end());
    EXPECT_TRUE(firstDifference.first == seen.end() && firstDifference.second == expected.end())
        << "notice " << (firstDifference.first - seen.begin()) << ": "
        << (firstDifference.first != seen.end() ? *firstDifference.first : "(none)") << " instead of "
        << (firstDifference.second != expected.end() ? *firstDifference.second : "(none)") << "\nseen: "
        << ::testing::PrintToString(std::vector<std::string>(seen.begin() + std::max<std::ptrdiff_t>(0, firstDifference.first - seen.begin() - 8), firstDifference.first + (seen.end() - firstDifference.first > 3 ? 3 : 0)))
        << "\nexpected: " << ::testing::PrintToString(std::vector<std::string>(expected.begin() + std::max<std::ptrdiff_t>(0, firstDifference.second - expected.begin() - 8), firstDifference.second + (expected.end() - firstDifference.second > 3 ? 3 : 0)))
        << "\nmessages: "
        << ::testing::PrintToString(messagesOf(parallel));
    EXPECT_EQ(parallel.summary, sequential.summary);
    EXPECT_EQ(relative(parallel.created, parallelRoot), relative(sequential.created, sequentialRoot));
    EXPECT_EQ(parallel.tree, sequential.tree);
    for (const auto &[name, bytes] : sequential.files) {
        const auto it = parallel.files.find(name);
        ASSERT_NE(it, parallel.files.end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
}

std::size_t countEntries(const RunResult &result, const std::string &prefix, const std::string &part)
{
    return static_cast<std::size_t>(std::count_if(result.tree.begin(), result.tree.end(), [&](const std::string &e) {
        return e.starts_with(prefix) && !e.ends_with('/') && e.find(part) != std::string::npos;
    }));
}

TEST(ParallelConversion, FourAtOnceShowAndWriteExactlyWhatOneAtATimeDoes)
{
    if (!haveTools())
        GTEST_SKIP() << "sox, lame, flac and metaflac are needed";
    TempDir dir;
    makeMixedLibrary(dir / "src", dir.path());

    // Renumbered, and with the tracks' own numbers (then three files want "Alpha - One").
    for (const bool renumber : {true, false}) {
        SCOPED_TRACE(renumber ? "renumbered" : "own numbers");
        const std::string suffix = renumber ? "-renumbered" : "-own";
        TestRun one(dir / "src", dir / ("one" + suffix), 1, renumber);
        ASSERT_TRUE(one.start());
        const RunResult sequential = one.finish();
        TestRun four(dir / "src", dir / ("four" + suffix), 4, renumber);
        ASSERT_TRUE(four.start());
        const RunResult parallel = four.finish();

        // The sequential run did what the library asks: the damaged FLAC failed and the rest
        // of its group stayed out; the lone files went to Miscellaneous.
        const std::vector<std::string> messages = messagesOf(sequential);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("broken.flac"), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find("Broken.mp3"), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find("was not converted"), std::string::npos) << messages[0];
        EXPECT_EQ(countEntries(sequential, "Beta/", ""), 0u);
        EXPECT_EQ(countEntries(sequential, "Alpha/", ""), 7u);
        EXPECT_EQ(countEntries(sequential, "Miscellaneous/", ""), 5u);
        if (!renumber) {
            EXPECT_EQ(countEntries(sequential, "Alpha/", "One("), 2u);
        }

        expectSameAsSequential(parallel, dir / ("four" + suffix), sequential, dir / ("one" + suffix));
    }
}

TEST(ParallelConversion, AbortInTheMiddleLeavesOnlyCompleteRecordedFiles)
{
    if (!haveTools())
        GTEST_SKIP() << "sox, lame, flac and metaflac are needed";
    TempDir dir;
    const fs::path tone = dir / "tone.wav";
    makeTone(tone, 6.0, 330);
    // Twelve conversions of one artist, several seconds each: the abort comes while some are
    // in flight and others wait.
    for (int n = 1; n <= 12; ++n)
        makeFlac(dir / "src" / ("t" + std::to_string(n) + ".flac"), tone, "Alpha", "Track " + std::to_string(n));

    TestRun complete(dir / "src", dir / "complete", 1);
    ASSERT_TRUE(complete.start());
    const RunResult whole = complete.finish();
    ASSERT_EQ(whole.files.size(), 12u);

    TestRun aborted(dir / "src", dir / "aborted", 4);
    ASSERT_TRUE(aborted.start());
    // Wait until the first file is placed (the second file's turn counts in the progress:
    // twelve loaded, the rescaled bar, two turns), then abort.
    for (int waited = 0; waited < 6000 && aborted.sink().of(Notice::Progress).size() < 15; ++waited)
        std::this_thread::sleep_for(10ms);
    aborted.organizer().requestAbort();
    const RunResult result = aborted.finish();

    EXPECT_EQ(aborted.session().flags.aborted.load(), 1);
    EXPECT_LT(result.files.size(), 12u) << "the abort came too late to test anything";
    // Nothing partial: no work file, and every file there is recorded and is the complete
    // conversion a whole run gives.
    for (const std::string &entry : result.tree) {
        for (const fs::path &part : fs::path(entry))
            EXPECT_FALSE(formats::io::isProgramName(part)) << entry;
    }
    std::vector<std::string> present;
    for (const auto &[name, bytes] : result.files) {
        present.push_back(name);
        const auto it = whole.files.find(name);
        ASSERT_NE(it, whole.files.end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " is not the complete conversion";
    }
    std::vector<std::string> recorded = relative(result.created, dir / "aborted");
    std::sort(recorded.begin(), recorded.end());
    EXPECT_EQ(recorded, present);
    EXPECT_EQ(static_cast<std::size_t>(aborted.session().filesCopied), present.size());
    // What was placed is a beginning of the whole run's placement order.
    const std::vector<std::string> order = relative(whole.created, dir / "complete");
    const std::vector<std::string> placed = relative(result.created, dir / "aborted");
    ASSERT_LE(placed.size(), order.size());
    EXPECT_TRUE(std::equal(placed.begin(), placed.end(), order.begin()));
}

} // namespace
} // namespace tunvale::engine
