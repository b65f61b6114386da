#include "engine/threads/reads_ahead.h"

#include <exception>
#include <new>
#include <system_error>

namespace tunvale::engine {

ReadsAhead::ReadsAhead(const catalog::LoadOptions &options, bool keepAsRead)
    : m_options(options)
    , m_keepAsRead(keepAsRead)
{
    try {
        m_thread = std::thread([this] { serve(); });
    } catch (const std::system_error &) {
        // No thread: the taker reads every file itself.
    }
}

ReadsAhead::~ReadsAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wakeReader.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

std::size_t ReadsAhead::waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_files.size();
}

void ReadsAhead::ask(std::filesystem::path path, std::vector<const ReadTrackFn *> readers)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_files.push_back(File{std::move(path), std::move(readers), {}, false});
        wake = m_readerWaiting;
    }
    if (wake)
        m_wakeReader.notify_one();
}

void ReadsAhead::readFile(File &file) const
{
    file.reads.resize(file.readers.size());
    for (std::size_t r = 0; r < file.readers.size(); ++r) {
        Read &read = file.reads[r];
        try {
            read.status = (*file.readers[r])(file.path, m_options, read.track, m_keepAsRead ? &read.asRead : nullptr);
        } catch (const std::bad_alloc &) {
            read.status = formats::ReadResult::failure(formats::ReadStatus::NoMemory);
        } catch (const std::exception &error) {
            read.status = formats::ReadResult::failure(formats::ReadStatus::ReadFailed, error.what());
        }
    }
}

void ReadsAhead::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_readerWaiting = true;
        m_wakeReader.wait(lock, [this] { return m_stopping || m_nextUnread < m_files.size(); });
        m_readerWaiting = false;
        if (m_stopping)
            return;
        File &file = m_files[m_nextUnread++];
        lock.unlock();
        readFile(file);
        lock.lock();
        file.done = true;
        if (m_takerWaiting)
            m_wakeTaker.notify_one();
    }
}

std::vector<ReadsAhead::Read> ReadsAhead::takeOldest()
{
    std::unique_lock lock(m_mutex);
    while (!m_files.front().done) {
        if (m_nextUnread < m_files.size()) {
            // Read the next waiting file here rather than wait for the oldest.
            File &file = m_files[m_nextUnread++];
            lock.unlock();
            readFile(file);
            lock.lock();
            file.done = true;
            continue;
        }
        m_takerWaiting = true;
        m_wakeTaker.wait(lock, [this] { return m_files.front().done; });
        m_takerWaiting = false;
    }
    std::vector<Read> reads = std::move(m_files.front().reads);
    m_files.pop_front();
    --m_nextUnread;
    return reads;
}

bool readInOrder(const std::vector<std::filesystem::path> &files, const catalog::LoadOptions &options,
                 bool keepAsRead, const ReadersOfFn &readersOf, const TakeReadsFn &take)
{
    ReadsAhead ahead(options, keepAsRead);
    std::size_t asked = 0;
    for (std::size_t n = 0; n < files.size(); ++n) {
        for (; asked < files.size() && asked < n + kFilesReadAhead; ++asked)
            ahead.ask(files[asked], readersOf(files[asked]));
        std::vector<ReadsAhead::Read> reads = ahead.takeOldest();
        if (!take(n, reads))
            return false;
    }
    return true;
}

} // namespace tunvale::engine
