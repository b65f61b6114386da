#include "engine/threads/conversion_pool.h"

#include <system_error>

namespace tunvale::engine {

unsigned defaultConversionJobs()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? n : 1;
}

ConversionPool::ConversionPool(unsigned workers)
{
    for (unsigned n = 0; n < workers; ++n) {
        try {
            m_threads.emplace_back([this] { serve(); });
        } catch (const std::system_error &) {
            break; // fewer threads than asked: the ones started do the work
        }
    }
}

ConversionPool::~ConversionPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

bool ConversionPool::submit(std::function<void()> task)
{
    if (m_threads.empty())
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
    return true;
}

void ConversionPool::serve()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

} // namespace tunvale::engine
