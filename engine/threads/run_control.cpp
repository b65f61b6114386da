#include "engine/threads/run_control.h"

namespace tunvale::engine {

void RunControl::giveUpRun(std::chrono::milliseconds statusWait)
{
    giveUp.store(true);
    // Polled: a front end that blocks the text in flight for long is not waited for beyond
    // statusWait.
    const auto deadline = std::chrono::steady_clock::now() + statusWait;
    bool held = statusGate.try_lock();
    while (!held && std::chrono::steady_clock::now() < deadline) {
        sleepFor(std::chrono::milliseconds(1));
        held = statusGate.try_lock();
    }
    if (held)
        statusGate.unlock();
    // Once the lease has been held here, the worker finds the give-up flag whenever it takes
    // the lease again and unwinds without writing.
    { std::lock_guard hold(lease); }
}

} // namespace tunvale::engine
