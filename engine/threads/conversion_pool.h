#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tunvale::engine {

// The number of conversions a run makes at once when it is not told: the machine's hardware
// threads (1 when the system does not say).
unsigned defaultConversionJobs();

// A fixed set of threads that run the tasks handed to them, oldest first. The run hands it the
// slow part of each conversion; everything the user sees is ordered by the run itself.
class ConversionPool {
public:
    explicit ConversionPool(unsigned workers);
    // Runs the tasks still queued, then ends the threads.
    ~ConversionPool();
    ConversionPool(const ConversionPool &) = delete;
    ConversionPool &operator=(const ConversionPool &) = delete;

    // Queues task; false when the pool has no thread (none could be started): the caller runs
    // it itself.
    bool submit(std::function<void()> task);
    std::size_t threads() const { return m_threads.size(); }

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace tunvale::engine
