#include "output/conversion_pipeline.h"

#include <algorithm>
#include <system_error>

namespace tunvale::output {

std::size_t fillChunk(formats::PcmSource &source, std::vector<std::int16_t> &chunk)
{
    std::size_t filled = 0;
    while (filled < chunk.size()) {
        const std::size_t n = source.read(chunk.data() + filled, chunk.size() - filled);
        if (n == 0)
            break;
        filled += std::min(n, chunk.size() - filled);
    }
    const std::size_t channels = static_cast<std::size_t>(source.channels());
    return channels == 0 ? 0 : filled - filled % channels;
}

DecodeAhead::DecodeAhead(formats::PcmSource &source, std::size_t chunkValues, std::size_t depth)
    : m_source(source)
    , m_chunkValues(chunkValues)
    , m_depth(std::max<std::size_t>(depth, 1))
{
    try {
        m_thread = std::thread([this] { decode(); });
    } catch (const std::system_error &) {
        m_inline = true;
    }
}

DecodeAhead::~DecodeAhead()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DecodeAhead::decode()
{
    for (;;) {
        std::vector<std::int16_t> buffer;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || m_inUse < m_depth; });
            if (m_stop)
                return;
            ++m_inUse;
            if (!m_spare.empty()) {
                buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        bool failed = false;
        std::size_t count = 0;
        try {
            buffer.resize(m_chunkValues);
            count = fillChunk(m_source, buffer);
            failed = m_source.failed();
        } catch (...) {
            // A reader that throws (out of memory) fails the conversion like a decoding error.
            failed = true;
            count = 0;
        }
        {
            std::lock_guard lock(m_mutex);
            if (failed || count == 0) {
                --m_inUse;
                m_failed = failed;
                m_ended = true;
            } else {
                m_ready.push_back(Block{std::move(buffer), count});
            }
        }
        m_changed.notify_all();
        if (failed || count == 0)
            return;
    }
}

std::size_t DecodeAhead::next(std::vector<std::int16_t> &chunk)
{
    if (m_inline) {
        if (m_ended)
            return 0;
        chunk.resize(m_chunkValues);
        const std::size_t count = fillChunk(m_source, chunk);
        if (count == 0 || m_source.failed()) {
            m_ended = true;
            m_failed = m_source.failed();
            return 0;
        }
        return count;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_ready.empty() || m_ended; });
    if (m_ready.empty())
        return 0;
    Block block = std::move(m_ready.front());
    m_ready.pop_front();
    --m_inUse;
    // The encoder's previous buffer goes back to the decoder, so no chunk is allocated twice.
    if (chunk.capacity() >= m_chunkValues)
        m_spare.push_back(std::move(chunk));
    chunk = std::move(block.values);
    lock.unlock();
    m_changed.notify_all();
    return block.count;
}

bool DecodeAhead::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

} // namespace tunvale::output
