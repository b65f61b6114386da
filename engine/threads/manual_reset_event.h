#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tunvale::engine {

// A manual-reset event: once set it stays signalled, waking every waiter, until reset.
class ManualResetEvent {
public:
    void set();
    void reset();
    // The zero-time-out poll: true when signalled.
    bool isSet() const;
    // Waits until signalled or the time-out has passed; true when signalled.
    bool waitFor(std::chrono::milliseconds timeout) const;
    void wait() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_signalled = false;
};

// Suspends the calling thread.
void sleepFor(std::chrono::milliseconds duration);

} // namespace tunvale::engine
