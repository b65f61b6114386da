#pragma once

#include "catalog/records/load_options.h"
#include "engine/load/track_loading.h"
#include "formats/read_status.h"
#include "formats/track_read.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tunvale::engine {

// How many files loading reads ahead of the one it takes into the catalog.
inline constexpr std::size_t kFilesReadAhead = 64;

// Reads the files of the loading phase ahead of the worker, on a thread of its own, while the
// worker takes each file's records into the catalog in the order the files were asked for.
// When the worker finds the oldest file not read yet it reads the next waiting file itself
// instead of waiting, so both threads read whenever there is reading to do. Reading has no
// effect outside the records, so files read ahead of an abort are simply dropped.
class ReadsAhead {
public:
    // What one reader made of one file.
    struct Read {
        formats::ReadResult status;
        formats::TrackRead track;
        catalog::CurrentTags asRead;   // the tags before completion, when asked to keep them
    };

    ReadsAhead(const catalog::LoadOptions &options, bool keepAsRead);
    // Drops the files not yet read and waits for the one being read.
    ~ReadsAhead();
    ReadsAhead(const ReadsAhead &) = delete;
    ReadsAhead &operator=(const ReadsAhead &) = delete;

    // Files asked and not yet taken.
    std::size_t waiting() const;
    // Queues the reading of path by each of readers, in order, behind the files asked before.
    // The readers must outlive this object.
    void ask(std::filesystem::path path, std::vector<const ReadTrackFn *> readers);
    // The reads of the oldest file asked and not yet taken, one per reader in the order asked.
    // There must be one.
    std::vector<Read> takeOldest();

private:
    struct File {
        std::filesystem::path path;
        std::vector<const ReadTrackFn *> readers;
        std::vector<Read> reads;
        bool done = false;
    };

    void serve();
    void readFile(File &file) const;

    const catalog::LoadOptions m_options;
    const bool m_keepAsRead;
    mutable std::mutex m_mutex;
    std::condition_variable m_wakeReader;
    std::condition_variable m_wakeTaker;
    // Oldest first; the files before m_nextUnread are being read or done. A deque keeps each
    // file where it is while others are added behind it and taken before it.
    std::deque<File> m_files;
    std::size_t m_nextUnread = 0;
    bool m_readerWaiting = false;
    bool m_takerWaiting = false;
    bool m_stopping = false;
    std::thread m_thread;
};

// Goes through files in order, each read ahead (at most kFilesReadAhead files before its turn)
// by the readers readersOf names for it, and hands each file's reads to take on the calling
// thread, in order. Stops when take returns false; returns false then, true after the last file.
using ReadersOfFn = std::function<std::vector<const ReadTrackFn *>(const std::filesystem::path &path)>;
using TakeReadsFn = std::function<bool(std::size_t index, std::vector<ReadsAhead::Read> &reads)>;
bool readInOrder(const std::vector<std::filesystem::path> &files, const catalog::LoadOptions &options,
                 bool keepAsRead, const ReadersOfFn &readersOf, const TakeReadsFn &take);

} // namespace tunvale::engine
