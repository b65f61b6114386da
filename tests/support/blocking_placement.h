#pragma once

// A placement that holds each file until the test releases it, so that a run stays active,
// its worker inside a placement, while the test acts (asks to abort, cancels, closes).

#include <chrono>
#include <memory>

namespace tunvale::testing {

class BlockingPlacement {
public:
    BlockingPlacement();

    // A placement hook: counts the call, waits until released, then places with then and
    // returns what it returns. The wait is bounded (kLongestHold), so that a failed test cannot
    // leave a worker waiting for ever. The hook shares this placement's state: copies of either
    // may outlive the other.
    template <typename Place> auto hook(Place then) const
    {
        return [state = m_state, then](auto &&...arguments) {
            hold(*state);
            return then(arguments...);
        };
    }

    // Waits until a placement has arrived; true when one has.
    bool waitUntilEntered(std::chrono::milliseconds timeout) const;
    // The placements that have arrived so far, held or released.
    int entered() const;
    // Lets every held placement, and every later one, go on.
    void release() const;
    // release() from another thread after delay, while the caller's thread is busy waiting.
    void releaseAfter(std::chrono::milliseconds delay) const;

    static constexpr std::chrono::seconds kLongestHold{20};

private:
    struct State;
    static void hold(State &state);

    std::shared_ptr<State> m_state;
};

} // namespace tunvale::testing
