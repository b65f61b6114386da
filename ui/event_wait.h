#pragma once

#include <chrono>
#include <functional>

namespace tunvale::ui {

// Waits for done() to hold, for at most timeout, while the thread's events go on being handled
// (painting, timers, queued calls): a local event loop that looks at done() every poll. Whether
// done() held.
bool waitHandlingEvents(const std::function<bool()> &done, std::chrono::milliseconds timeout,
                        std::chrono::milliseconds poll = std::chrono::milliseconds(20));

// A pause of the given length that keeps handling events.
void pauseHandlingEvents(std::chrono::milliseconds duration);

} // namespace tunvale::ui
