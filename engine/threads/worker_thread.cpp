#include "engine/threads/worker_thread.h"

#include <system_error>

namespace tunvale::engine {

WorkerThread::~WorkerThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool WorkerThread::start(std::function<void()> routine, std::string &error)
{
    if (m_thread.joinable()) {
        error = "a worker thread exists";
        return false;
    }
    try {
        m_thread = std::thread(std::move(routine));
    } catch (const std::system_error &e) {
        error = e.what();
        return false;
    }
    return true;
}

void WorkerThread::join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void WorkerThread::abandon()
{
    if (m_thread.joinable())
        m_thread.detach();
}

} // namespace tunvale::engine
