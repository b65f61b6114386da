// Two organize runs at once in one process, each on its own folders, with the real readers,
// placement and conversion: every run owns its records, so each gives exactly what it gives
// alone. Built with TUNVALE_TSAN, the test also shows that the runs share no unguarded state.

#include "catalog/text/codepage.h"
#include "engine/run/make_folder.h"
#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "engine/undo/run_journal.h"
#include "engine/engine_fakes.h"
#include "formats/io/work_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
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

// A library of the four formats below folder, told apart by its artists (prefix): tagged MP3
// files (two spellings of one artist), a tagged FLAC, a WAV named "Artist - Title" and an
// untagged AIFF, all of which the conversion takes; plus a file no reader takes.
void makeLibrary(const fs::path &folder, const std::string &prefix, const fs::path &scratch)
{
    const std::string tone = shellQuote((scratch / (prefix + "tone.wav")).string());
    ASSERT_TRUE(run("sox -q -n -r 44100 -c 2 -b 16 " + tone + " synth 0.6 sine 440 sine 660 vol 0.3"));
    const std::vector<std::vector<std::string>> mp3s = {
        {"one.mp3", "First", "The " + prefix + " Band", "1"},
        {"sub/two.mp3", "Second", prefix + " Band", "2"},
        {"sub/three.mp3", "Third", prefix + " Solo", "7"},
    };
    for (const auto &m : mp3s) {
        const fs::path path = folder / m[0];
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(run("lame --quiet -b 96 --id3v2-only --tt " + shellQuote(m[1]) + " --ta " + shellQuote(m[2])
                        + " --tn " + m[3] + " --tl Album " + tone + " " + shellQuote(path.string())));
    }
    const fs::path flac = folder / "lossless" / "song.flac";
    fs::create_directories(flac.parent_path());
    ASSERT_TRUE(run("flac --silent -f -o " + shellQuote(flac.string()) + " " + tone));
    ASSERT_TRUE(run("metaflac --set-tag=TITLE=Lossless --set-tag=" + shellQuote("ARTIST=The " + prefix + " Band")
                    + " --set-tag=TRACKNUMBER=4 " + shellQuote(flac.string())));
    ASSERT_TRUE(run("sox -q " + tone + " -b 24 -r 48000 "
                    + shellQuote((folder / (prefix + " Solo - Wave Song.wav")).string())));
    ASSERT_TRUE(run("sox -q " + tone + " " + shellQuote((folder / "lossless" / "untitled.aiff").string())));
    writeFile(folder / "notes.mp3", "not audio at all");
}

// What a run left: the summary, the files skipped with their reasons, and every file of the
// destination with its bytes.
struct RunResult {
    std::string summary;
    std::vector<std::string> skipped;
    std::vector<std::string> tree;
    std::map<std::string, std::string> files;
};

// Where two runs meet: each waits there (at most a minute) until the other has come too.
class Meeting {
public:
    void arriveAndWait()
    {
        if (++m_arrived == 2)
            m_all.set();
        EXPECT_TRUE(m_all.waitFor(std::chrono::minutes(1))) << "the other run never came";
    }

private:
    std::atomic<int> m_arrived{0};
    ManualResetEvent m_all;
};

// Passes everything on to the run's journal, and waits at the first file placed until the
// other run has come there too.
class MeetingObserver final : public RunObserver {
public:
    MeetingObserver(Meeting &both, RunObserver &journal) : m_both(both), m_journal(journal) {}
    void folderCreated(const fs::path &folder) override { m_journal.folderCreated(folder); }
    void fileStarting(const fs::path &destination, const output::PlacementOptions &options) override
    {
        if (m_first) {
            m_first = false;
            m_both.arriveAndWait();
        }
        m_journal.fileStarting(destination, options);
    }
    void filePublishing(const fs::path &path, const formats::io::FileIdentity &identity) override
    {
        m_journal.filePublishing(path, identity);
    }
    void fileKept(const fs::path &original, const formats::io::FileIdentity &identity, const fs::path &kept) override
    {
        m_journal.fileKept(original, identity, kept);
    }
    void fileCreated(const fs::path &file) override { m_journal.fileCreated(file); }

private:
    Meeting &m_both;
    RunObserver &m_journal;
    bool m_first = true;
};

// One run's front end: its session, sink, journal and Organizer, on the real hooks.
class RunFrontEnd {
public:
    RunFrontEnd(const fs::path &source, const fs::path &destination, const fs::path &journals)
        : m_source(source)
        , m_destination(destination)
    {
        std::string error;
        EXPECT_TRUE(m_journal.create(journals, error)) << error;
        m_options.mp3Convert = 1;
        RunHooks hooks = standardHooks();
        hooks.observer = &m_journal;
        m_organizer = std::make_unique<Organizer>(m_session, m_sink, std::move(hooks));
    }

    // Makes the run's placement wait, before its first file, until both runs are there.
    void meetAtFirstPlacement(Meeting &both)
    {
        m_meeting = std::make_unique<MeetingObserver>(both, m_journal);
        RunHooks hooks = m_organizer->hooks();
        hooks.observer = m_meeting.get();
        m_organizer = std::make_unique<Organizer>(m_session, m_sink, std::move(hooks));
    }

    bool start()
    {
        CreateIt yes;
        std::error_code ec;
        const std::vector<std::filesystem::path> missing =
            std::filesystem::is_directory(m_destination, ec) ? std::vector<std::filesystem::path>{}
                                                             : missingFolders(m_destination);
        const PrepareOutcome prepared = prepareOrganize(m_session, m_options, m_source, m_destination, m_sink, yes);
        EXPECT_EQ(prepared.status, PrepareStatus::Ready);
        const std::string token = formats::io::newWorkToken();
        m_journal.writeStart(m_source, m_destination, m_options, missing, token);
        return prepared.status == PrepareStatus::Ready && m_organizer->start(m_options, token);
    }

    RunResult finish()
    {
        EXPECT_TRUE(m_organizer->waitFinished(std::chrono::minutes(5)));
        const RunSummary summary = m_organizer->handleRunEnded(std::chrono::milliseconds(0));
        m_journal.writeEnd(summary.word, m_session.filesLoaded, m_session.filesCopied, m_session.foldersUsed);
        RunResult result;
        result.summary = text::utf16ToUtf8(summary.line);
        for (const SkippedFile &file : m_session.skippedFiles)
            result.skipped.push_back(file.path.filename().string() + ": " + file.reason);
        result.tree = listTree(m_destination);
        for (const std::string &entry : result.tree) {
            if (!entry.ends_with('/'))
                result.files[entry] = readFile(m_destination / entry);
        }
        EXPECT_TRUE(m_sink.messages().empty());
        return result;
    }

private:
    fs::path m_source;
    fs::path m_destination;
    SessionState m_session;
    RunOptions m_options;
    RecordingSink m_sink;
    RunJournal m_journal;
    std::unique_ptr<MeetingObserver> m_meeting;
    std::unique_ptr<Organizer> m_organizer;
};

void expectSameResult(const RunResult &together, const RunResult &alone)
{
    EXPECT_EQ(together.summary, alone.summary);
    EXPECT_EQ(together.skipped, alone.skipped);
    EXPECT_EQ(together.tree, alone.tree);
    ASSERT_EQ(together.files.size(), alone.files.size());
    for (const auto &[name, bytes] : alone.files) {
        const auto it = together.files.find(name);
        ASSERT_NE(it, together.files.end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
}

TEST(ConcurrentRuns, TwoRunsAtOnceGiveWhatEachGivesAlone)
{
    for (const char *tool : {"sox", "lame", "flac", "metaflac"}) {
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is needed";
    }
    TempDir dir;
    makeLibrary(dir / "src-a", "Alpha", dir.path());
    makeLibrary(dir / "src-b", "Beta", dir.path());
    const fs::path journals = dir / "journals";

    // Alone: one run, then the other.
    RunFrontEnd aloneA(dir / "src-a", dir / "alone-a", journals);
    ASSERT_TRUE(aloneA.start());
    const RunResult expectedA = aloneA.finish();
    RunFrontEnd aloneB(dir / "src-b", dir / "alone-b", journals);
    ASSERT_TRUE(aloneB.start());
    const RunResult expectedB = aloneB.finish();

    // The runs did the work asked of them: every audio file placed, the MP3s copied and the
    // other formats converted, and the file no reader takes skipped with its reason.
    EXPECT_EQ(expectedA.summary, "Done: on 6 files, 6 are copied in 3 folders");
    EXPECT_EQ(expectedA.skipped,
              (std::vector<std::string>{"notes.mp3: MP3: no MPEG audio or ID3 tag in the first 64 KiB"}));
    for (const auto &[name, bytes] : expectedA.files)
        EXPECT_TRUE(name.ends_with(".mp3")) << name;

    // Together: both at once, their placements overlapping.
    Meeting both;
    RunFrontEnd togetherA(dir / "src-a", dir / "together-a", journals);
    RunFrontEnd togetherB(dir / "src-b", dir / "together-b", journals);
    togetherA.meetAtFirstPlacement(both);
    togetherB.meetAtFirstPlacement(both);
    ASSERT_TRUE(togetherA.start());
    ASSERT_TRUE(togetherB.start());
    const RunResult resultA = togetherA.finish();
    const RunResult resultB = togetherB.finish();

    expectSameResult(resultA, expectedA);
    expectSameResult(resultB, expectedB);
}

} // namespace
} // namespace tunvale::engine
