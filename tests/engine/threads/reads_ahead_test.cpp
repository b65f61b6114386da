#include "engine/threads/reads_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tunvale::engine {
namespace {

namespace fs = std::filesystem;

// A reader that takes a random short while and writes which reader read which file into the
// record's title, so the taker can tell a record from any other.
ReadTrackFn namingReader(std::string name, std::atomic<int> &calls)
{
    return [name, &calls](const fs::path &path, const catalog::LoadOptions &, formats::TrackRead &read,
                          catalog::CurrentTags *asRead) {
        ++calls;
        thread_local std::mt19937 random(std::hash<std::thread::id>{}(std::this_thread::get_id()));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
        read.tags.Title.set(name + ":" + path.string());
        if (asRead != nullptr)
            asRead->Artist.set("as read " + path.string());
        if (path.string().find("refused") != std::string::npos)
            return formats::ReadResult::failure(formats::ReadStatus::Damaged, name);
        return formats::ReadResult::success();
    };
}

TEST(ReadsAhead, GivesEachFilesReadsInTheOrderAsked)
{
    std::atomic<int> calls{0};
    const ReadTrackFn first = namingReader("first", calls);
    const ReadTrackFn second = namingReader("second", calls);
    for (const bool keepAsRead : {false, true}) {
        ReadsAhead ahead(catalog::LoadOptions{}, keepAsRead);
        constexpr std::size_t kFiles = 600;
        std::size_t asked = 0;
        for (std::size_t taken = 0; taken < kFiles; ++taken) {
            // Topped up a few at a time, as the loading loops do, sometimes to a full queue.
            for (; asked < kFiles && ahead.waiting() < 1 + taken % kFilesReadAhead; ++asked) {
                const std::string name = (asked % 7 == 3 ? "refused-" : "file-") + std::to_string(asked);
                std::vector<const ReadTrackFn *> readers;
                if (asked % 5 != 0)
                    readers.push_back(&first);
                if (asked % 3 == 0)
                    readers.push_back(&second);
                ahead.ask(name, readers);
            }
            const std::string name = (taken % 7 == 3 ? "refused-" : "file-") + std::to_string(taken);
            const std::vector<ReadsAhead::Read> reads = ahead.takeOldest();
            std::vector<std::string> expected;
            if (taken % 5 != 0)
                expected.push_back("first:" + name);
            if (taken % 3 == 0)
                expected.push_back("second:" + name);
            ASSERT_EQ(reads.size(), expected.size()) << name;
            for (std::size_t r = 0; r < reads.size(); ++r) {
                EXPECT_EQ(std::string(reads[r].track.tags.Title.view()), expected[r]);
                EXPECT_EQ(reads[r].status.ok(), taken % 7 != 3) << name;
                EXPECT_EQ(std::string(reads[r].asRead.Artist.view()), keepAsRead ? "as read " + name : "");
            }
        }
        EXPECT_EQ(ahead.waiting(), 0u);
    }
}

TEST(ReadsAhead, DroppingItLeavesTheFilesNotStartedUnread)
{
    std::atomic<int> calls{0};
    std::atomic<bool> release{false};
    const ReadTrackFn slow = [&](const fs::path &, const catalog::LoadOptions &, formats::TrackRead &,
                                 catalog::CurrentTags *) {
        ++calls;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return formats::ReadResult::success();
    };
    std::thread releaser;
    {
        ReadsAhead ahead(catalog::LoadOptions{}, false);
        for (int i = 0; i < 50; ++i)
            ahead.ask("file-" + std::to_string(i), {&slow});
        while (calls == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release = true;
        });
    }   // waits for the file being read, starts no other
    releaser.join();
    EXPECT_EQ(calls.load(), 1);
}

TEST(ReadsAhead, AReaderThatThrowsGivesAStatus)
{
    const ReadTrackFn outOfMemory = [](const fs::path &, const catalog::LoadOptions &, formats::TrackRead &,
                                       catalog::CurrentTags *) -> formats::ReadResult { throw std::bad_alloc(); };
    const ReadTrackFn failing = [](const fs::path &, const catalog::LoadOptions &, formats::TrackRead &,
                                   catalog::CurrentTags *) -> formats::ReadResult {
        throw std::runtime_error("disk gone");
    };
    ReadsAhead ahead(catalog::LoadOptions{}, false);
    ahead.ask("a", {&outOfMemory, &failing});
    const std::vector<ReadsAhead::Read> reads = ahead.takeOldest();
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].status.status, formats::ReadStatus::NoMemory);
    EXPECT_EQ(reads[1].status.status, formats::ReadStatus::ReadFailed);
    EXPECT_EQ(reads[1].status.detail, "disk gone");
}

} // namespace
} // namespace tunvale::engine
