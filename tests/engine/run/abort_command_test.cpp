#include "engine/run/abort_command.h"
#include "engine/run/organize_command.h"
#include "engine/run/organizer.h"
#include "catalog/text/codepage.h"
#include "engine/engine_fakes.h"
#include "support/blocking_placement.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::CreateIt;
using testing::FakeLibrary;
using testing::Notice;
using testing::RecordingSink;
using testing::ScriptedAbort;
using tunvale::testing::BlockingPlacement;
using tunvale::testing::TempDir;
using tunvale::testing::listTree;
using tunvale::testing::writeFile;

using Clock = std::chrono::steady_clock;

// A plain 16-bit stereo 44.1 kHz WAV of noise, long enough to keep the encoder busy.
void writeNoiseWav(const fs::path &path, int seconds)
{
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(seconds) * 44100u * 4u;
    std::string bytes;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](std::uint16_t v) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>(v >> 8);
    };
    bytes += "RIFF";
    u32(36 + dataBytes);
    bytes += "WAVEfmt ";
    u32(16);
    u16(1);            // PCM
    u16(2);            // channels
    u32(44100);        // sample rate
    u32(44100 * 4);    // byte rate
    u16(4);            // block align
    u16(16);           // bits per sample
    bytes += "data";
    u32(dataBytes);
    bytes.resize(bytes.size() + dataBytes);
    std::uint32_t state = 12345;
    for (std::size_t i = 44; i < bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    writeFile(path, bytes);
}

class AbortCommand : public ::testing::Test {
protected:
    // Two files of one group, "a.mp3" and "b.mp3", ready to run into dst.
    void prepareTwoFiles()
    {
        writeFile(dir / "src/a.mp3", "aaaa");
        writeFile(dir / "src/b.mp3", "bbbb");
        options.newFileNames = 0;
        CreateIt yes;
        ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);
        library.groupKeys = {{"a.mp3", u"Alpha"}, {"b.mp3", u"Alpha"}};
        hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
    }

    std::vector<std::u16string> shownStatus() const
    {
        std::vector<std::u16string> texts;
        for (const Notice &n : sink.of(Notice::ShowStatus))
            texts.push_back(n.text);
        return texts;
    }

    TempDir dir;
    SessionState session;
    RunOptions options;
    RecordingSink sink;
    FakeLibrary library;
    RunHooks hooks;
    ScriptedAbort question;
};

TEST_F(AbortCommand, NoRunAsksNothing)
{
    Organizer organizer(session, sink, hooks);
    const AbortResult result = abortRun(organizer, question);
    EXPECT_EQ(result.outcome, AbortOutcome::NoRun);
    EXPECT_EQ(result.code(), 0);
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(session.userAborted, 0);
    EXPECT_TRUE(sink.notices().empty());
}

// No to the question: the run goes on untouched and ends normally.
TEST_F(AbortCommand, DeclinedLeavesTheRunGoing)
{
    prepareTwoFiles();
    BlockingPlacement held;
    hooks.placeFile = held.hook([](int, int, output::PlacementContext &context) {
        writeFile(context.destinationPath, "copy");
        return 0;
    });
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options));
    ASSERT_TRUE(held.waitUntilEntered(10s));
    question.yes = false;
    const AbortResult result = abortRun(organizer, question);
    EXPECT_EQ(result.outcome, AbortOutcome::Declined);
    EXPECT_EQ(result.code(), 0);
    EXPECT_EQ(question.asked, 1);
    EXPECT_TRUE(organizer.isActive());
    EXPECT_TRUE(shownStatus().empty());
    held.release();
    ASSERT_TRUE(organizer.waitFinished(10s));
    EXPECT_EQ(text::utf16ToUtf8(organizer.handleRunEnded(0ms).line), "Done: on 2 files, 2 are copied in 1 folder");
}

// The worker ends within the wait: the file in progress is finished and recorded, the next one
// is not started, and the end-of-run notice writes the "Aborting" summary.
TEST_F(AbortCommand, WorkerEndingWithinTheWaitFinishesItsFile)
{
    prepareTwoFiles();
    BlockingPlacement held;
    hooks.placeFile = held.hook([](int, int, output::PlacementContext &context) {
        writeFile(context.destinationPath, "copy");
        return 0;
    });
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options));
    ASSERT_TRUE(held.waitUntilEntered(10s));
    held.releaseAfter(100ms);
    const AbortResult result = abortRun(organizer, question);
    EXPECT_EQ(result.outcome, AbortOutcome::Finished);
    EXPECT_EQ(result.code(), 1);
    EXPECT_FALSE(result.summary.has_value());
    EXPECT_FALSE(organizer.isActive());
    EXPECT_EQ(session.userAborted, 1);
    EXPECT_EQ(shownStatus(), (std::vector<std::u16string>{kWaitForCurrentFile}));
    EXPECT_EQ(sink.of(Notice::ShowStatus).front().colour, output::colour::kLightRed);
    const RunSummary summary = organizer.handleRunEnded(0ms);
    EXPECT_EQ(text::utf16ToUtf8(summary.line), "Aborting: on 2 files, 1 is copied in 1 folder");
    EXPECT_EQ(held.entered(), 1);
    EXPECT_EQ(session.filesCreatedInSession, (std::vector<fs::path>{dir / "dst/Alpha/a.mp3"}));
    EXPECT_EQ(session.userAborted, 0);   // cleared by the end-of-run handler
}

// A placement busy past the real 10-second wait: the run is given up with the strong red text,
// the summary starts with "Aborting", and the worker, which finishes its copy only after being
// given up, neither records it nor keeps it nor says anything more.
TEST_F(AbortCommand, WorkerBusyPastTheRealWaitIsGivenUpAndWritesNothingAfterwards)
{
    prepareTwoFiles();
    ManualResetEvent placing;
    std::atomic<int> placed{0};
    hooks.placeFile = [&](int, int, output::PlacementContext &context) {
        ++placed;
        placing.set();
        // A copy that does not look at the cancel flag for a while after it is set.
        while (!context.cancel->load())
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(300ms);
        context.status->showStatus(u"Copying: late", output::colour::kLightGreen);
        writeFile(context.destinationPath, "copy finished after the run was given up");
        return 0;
    };
    auto organizer = std::make_unique<Organizer>(session, sink, hooks);
    ASSERT_TRUE(organizer->start(options));
    ASSERT_TRUE(placing.waitFor(10s));
    const auto listsBefore = session.filesCreatedInSession;
    const auto foldersBefore = session.foldersCreatedInSession;

    const Clock::time_point start = Clock::now();
    const AbortResult result = abortRun(*organizer, question);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 10s);
    EXPECT_LT(elapsed, 12s);
    EXPECT_EQ(result.outcome, AbortOutcome::GivenUp);
    EXPECT_EQ(result.code(), 1);
    ASSERT_TRUE(result.summary.has_value());
    EXPECT_EQ(text::utf16ToUtf8(result.summary->word), "Aborting");
    EXPECT_EQ(text::utf16ToUtf8(result.summary->line).rfind("Aborting", 0), 0u);
    EXPECT_EQ(shownStatus(), (std::vector<std::u16string>{kWaitForCurrentFile, kGivingUpWorker}));
    EXPECT_EQ(sink.of(Notice::ShowStatus).back().colour, output::colour::kStrongRed);
    EXPECT_EQ(session.flags.aborted.load(), 1);
    EXPECT_EQ(session.userAborted, 1);
    EXPECT_EQ(session.summaryShown, 1);
    EXPECT_FALSE(organizer->isActive());

    const std::size_t noticesAtReturn = sink.notices().size();
    // The destructor waits for the abandoned worker to reach its safe point.
    organizer.reset();
    EXPECT_EQ(sink.notices().size(), noticesAtReturn);   // no late notice, no late status line
    EXPECT_TRUE(sink.of(Notice::RunEnded).empty());
    EXPECT_EQ(placed.load(), 1);
    EXPECT_EQ(session.filesCreatedInSession, listsBefore);
    EXPECT_EQ(session.foldersCreatedInSession, foldersBefore);
    EXPECT_EQ(session.filesCopied, 0);
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Alpha/"}));   // the late copy was taken back
}

// Injected short waits: a placement that honours the cancel flag like a conversion (checks it
// between chunks, removes its partial output) has stopped by the time the command returns, and
// a new run may start at once.
TEST_F(AbortCommand, GivenUpPlacementHonouringCancelStopsWithinThePause)
{
    prepareTwoFiles();
    ManualResetEvent placing;
    hooks.placeFile = [&](int, int, output::PlacementContext &context) {
        const fs::path partial = context.destinationPath;
        writeFile(partial, "first chunk");
        placing.set();
        for (;;) {
            if (context.cancel->load()) {
                fs::remove(partial);
                return 3;
            }
            std::this_thread::sleep_for(5ms);
        }
    };
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options));
    ASSERT_TRUE(placing.waitFor(10s));
    AbortTiming timing;
    timing.finishedWait = 150ms;
    timing.afterGiveUp = 300ms;
    timing.summaryPause = 0ms;
    const AbortResult result = abortRun(organizer, question, timing);
    EXPECT_EQ(result.outcome, AbortOutcome::GivenUp);
    EXPECT_FALSE(organizer.abandonedWorkerRunning());
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{"Alpha/"}));
    EXPECT_TRUE(sink.messages().empty());   // the cancelled placement's failure is not reported
    EXPECT_EQ(session.flags.error.load(), 0);
}

// While a given-up worker has not returned, a new run is refused (it would share the catalog).
TEST_F(AbortCommand, NewRunRefusedUntilTheGivenUpWorkerHasReturned)
{
    prepareTwoFiles();
    BlockingPlacement held;
    hooks.placeFile = held.hook([](int, int, output::PlacementContext &) { return 0; });
    Organizer organizer(session, sink, hooks);
    ASSERT_TRUE(organizer.start(options));
    ASSERT_TRUE(held.waitUntilEntered(10s));
    AbortTiming timing;
    timing.finishedWait = 50ms;
    timing.afterGiveUp = 0ms;
    timing.summaryPause = 0ms;
    EXPECT_EQ(abortRun(organizer, question, timing).outcome, AbortOutcome::GivenUp);
    EXPECT_TRUE(organizer.abandonedWorkerRunning());
    EXPECT_FALSE(organizer.start(options));
    held.release();
    for (int i = 0; i < 500 && organizer.abandonedWorkerRunning(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(organizer.abandonedWorkerRunning());
    // The placement returned 0 after the give-up: the file it claims is neither recorded nor counted.
    EXPECT_TRUE(session.filesCreatedInSession.empty());
    EXPECT_EQ(session.filesCopied, 0);
}

// A failure message box still open when the wait runs out: the give-up waits a bounded time for
// it, goes on, and the worker says nothing more once the box is closed.
TEST_F(AbortCommand, MessageBoxOpenAtGiveUpIsNotWaitedForLong)
{
    struct BlockingMessages : RecordingSink {
        ManualResetEvent showing, closed;
        void showMessage(const std::u16string &text) override
        {
            RecordingSink::showMessage(text);
            showing.set();
            closed.wait();
        }
    } blocking;
    writeFile(dir / "src/a.mp3", "aaaa");
    writeFile(dir / "src/b.mp3", "bbbb");
    options.newFileNames = 0;
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", blocking, yes).status, PrepareStatus::Ready);
    library.groupKeys = {{"a.mp3", u"Alpha"}, {"b.mp3", u"Beta"}};
    hooks.addLoader(u".mp3", testing::format("mp3"), library.loader());
    hooks.placeFile = [](int, int, output::PlacementContext &) { return 5; };
    auto organizer = std::make_unique<Organizer>(session, blocking, hooks);
    ASSERT_TRUE(organizer->start(options));
    ASSERT_TRUE(blocking.showing.waitFor(10s));
    AbortTiming timing;
    timing.finishedWait = 100ms;
    timing.afterGiveUp = 0ms;
    timing.summaryPause = 0ms;
    const Clock::time_point start = Clock::now();
    const AbortResult result = abortRun(*organizer, question, timing);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(result.outcome, AbortOutcome::GivenUp);
    EXPECT_GE(elapsed, 2000ms);   // the bounded wait for the message in flight
    EXPECT_LT(elapsed, 4000ms);
    const std::size_t noticesAtReturn = blocking.notices().size();
    blocking.closed.set();
    organizer.reset();   // waits for the worker to return
    EXPECT_EQ(blocking.notices().size(), noticesAtReturn);
    EXPECT_EQ(blocking.messages().size(), 1u);   // the second group's failure never shown
    EXPECT_TRUE(blocking.of(Notice::RunEnded).empty());
}

// The real conversion, given up in the middle (the wait shortened; the real 10 s wait is checked
// above with a fake placement): it sees the cancel flag between encoder chunks and removes its
// partial MP3, all within the pause after the give-up.
TEST_F(AbortCommand, ConversionGivenUpLeavesNoPartialMp3)
{
    writeNoiseWav(dir / "src/long.wav", 240);
    options.formatFlags.at("mp3") = options.formatFlags.at("flac") = options.formatFlags.at("aiff") = 0;
    options.mp3Convert = 1;
    options.newFileNames = 0;
    CreateIt yes;
    ASSERT_EQ(prepareOrganize(session, options, dir / "src", dir / "dst", sink, yes).status, PrepareStatus::Ready);
    Organizer organizer(session, sink, standardHooks());
    ASSERT_TRUE(organizer.start(options));
    const auto converting = [&] {
        for (const std::u16string &text : shownStatus())
            if (text.rfind(u"BE PATIENT! Converting to mp3: ", 0) == 0)
                return true;
        return false;
    };
    for (int i = 0; i < 2000 && !converting(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(converting());
    std::this_thread::sleep_for(200ms);

    AbortTiming timing;
    timing.finishedWait = 300ms;
    const Clock::time_point start = Clock::now();
    const AbortResult result = abortRun(organizer, question, timing);
    const auto elapsed = Clock::now() - start;
    ASSERT_EQ(result.outcome, AbortOutcome::GivenUp) << "the conversion ended within the wait";
    EXPECT_LT(elapsed, 300ms + 1000ms + 100ms + 100ms + 700ms);
    EXPECT_FALSE(organizer.abandonedWorkerRunning());
    for (const std::string &entry : listTree(dir / "dst"))
        EXPECT_EQ(entry.back(), '/') << entry;   // folders only: no MP3, no partial file
    EXPECT_TRUE(session.filesCreatedInSession.empty());
    EXPECT_EQ(text::utf16ToUtf8(result.summary->line).rfind("Aborting", 0), 0u);
}

} // namespace
} // namespace tunvale::engine
