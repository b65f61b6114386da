#pragma once

#include "engine/threads/manual_reset_event.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <type_traits>

namespace tunvale::engine {

// The signals shared between a front end and one run's worker, and the give-up handshake.
// docs/architecture.md ("The worker's thread protocol") tells who may touch what.
struct RunControl {
    ManualResetEvent abort;      // polled by the worker before each file and each group
    ManualResetEvent finished;   // set by the worker when it reaches its end
    // Set when the front end gives the run up: placement and conversion stop at their next
    // safe point (the abort event never interrupts a file).
    std::atomic<bool> giveUp{false};
    // Held by the worker (through its RunLease) whenever it writes the session or calls the
    // sink, let go around the calls that may take long (loaders, grouping, placement,
    // messages, pauses). The give-up path takes it once after setting giveUp: from then on the
    // worker writes nothing.
    std::mutex lease;
    // Held while a status line from placement or a failure message is handed to the front
    // end, so the give-up path can wait for one in flight.
    std::mutex statusGate;
    // Set when the worker's routine has returned (also after it was given up).
    ManualResetEvent exited;

    bool givenUp() const { return giveUp.load(); }

    // The worker's side of the status gate: runs show (which hands a text to the front end)
    // unless the run has been given up, looking again once the gate is held.
    template <class F>
    void throughStatusGate(F &&show)
    {
        if (givenUp())
            return;
        std::lock_guard gate(statusGate);
        if (!givenUp())
            show();
    }

    // The front end's side: sets giveUp, lets a status line or message already being handed
    // over pass first (waiting at most statusWait for it), then holds the lease once. When
    // this returns the worker writes nothing more and calls no sink.
    void giveUpRun(std::chrono::milliseconds statusWait);
};

// Thrown inside the worker when it finds its run given up: it unwinds without writing.
struct GivenUp {};

// The worker's hold on its run's lease, the one guard of the protocol: taken when the worker
// starts and kept for its whole routine, let go only for the duration of a without() call.
// Every time the worker takes the lease back it looks at the give-up flag, so once the front
// end has given the run up the worker unwinds (GivenUp) before it writes anything.
class RunLease {
public:
    explicit RunLease(RunControl &control) : m_control(control), m_lock(control.lease) {}
    RunLease(const RunLease &) = delete;
    RunLease &operator=(const RunLease &) = delete;

    bool givenUp() const { return m_control.givenUp(); }
    void throwIfGivenUp() const
    {
        if (givenUp())
            throw GivenUp{};
    }

    // Runs f without the lease (a call that may take long) and takes the lease back however f
    // leaves; then throws GivenUp when the run was given up meanwhile.
    template <class F>
    auto without(F &&f) -> decltype(f())
    {
        if constexpr (std::is_void_v<decltype(f())>) {
            {
                Released released(m_lock);
                f();
            }
            throwIfGivenUp();
        } else {
            auto result = [&] {
                Released released(m_lock);
                return f();
            }();
            throwIfGivenUp();
            return result;
        }
    }

    // Runs f without the lease and takes the lease back, even when the run was given up
    // meanwhile: the caller looks at that itself.
    template <class F>
    auto withoutQuietly(F &&f) -> decltype(f())
    {
        Released released(m_lock);
        return f();
    }

    // Runs f without the lease while the worker unwinds (the run given up); never throws.
    void whileUnwinding(const std::function<void()> &f) noexcept
    {
        const bool held = m_lock.owns_lock();
        if (held)
            m_lock.unlock();
        f();
        if (held)
            m_lock.lock();
    }

private:
    // Lets the lease go for its own lifetime.
    class Released {
    public:
        explicit Released(std::unique_lock<std::mutex> &lock) : m_lock(lock) { m_lock.unlock(); }
        ~Released() { m_lock.lock(); }
        Released(const Released &) = delete;
        Released &operator=(const Released &) = delete;

    private:
        std::unique_lock<std::mutex> &m_lock;
    };

    RunControl &m_control;
    std::unique_lock<std::mutex> m_lock;
};

} // namespace tunvale::engine
