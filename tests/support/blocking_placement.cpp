#include "support/blocking_placement.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tunvale::testing {

struct BlockingPlacement::State {
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    bool released = false;
};

BlockingPlacement::BlockingPlacement()
    : m_state(std::make_shared<State>())
{
}

void BlockingPlacement::hold(State &state)
{
    std::unique_lock lock(state.mutex);
    ++state.entered;
    state.changed.notify_all();
    state.changed.wait_for(lock, kLongestHold, [&] { return state.released; });
}

bool BlockingPlacement::waitUntilEntered(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, timeout, [&] { return m_state->entered > 0; });
}

int BlockingPlacement::entered() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->entered;
}

void BlockingPlacement::release() const
{
    std::lock_guard lock(m_state->mutex);
    m_state->released = true;
    m_state->changed.notify_all();
}

void BlockingPlacement::releaseAfter(std::chrono::milliseconds delay) const
{
    std::thread([placement = *this, delay] {
        std::this_thread::sleep_for(delay);
        placement.release();
    }).detach();
}

} // namespace tunvale::testing
