#pragma once

#include <functional>
#include <string>
#include <thread>

namespace tunvale::engine {

// The worker's thread handle: at most one routine at a time.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // Starts routine on a new thread; false with error set when the thread cannot be created
    // or one exists already.
    bool start(std::function<void()> routine, std::string &error);
    // A thread exists (started and neither joined nor abandoned).
    bool exists() const { return m_thread.joinable(); }
    // Waits for the routine to return and releases the handle.
    void join();
    // Lets the thread go on alone; whatever it uses must stay alive (shared ownership).
    void abandon();

private:
    std::thread m_thread;
};

} // namespace tunvale::engine
