#pragma once

// A preview computed on a thread of its own, so the dialog keeps answering while the files
// are read. Destroying the job stops the preview and waits for its thread.

#include "engine/plan/organize_plan.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace tunvale::ui {

class PreviewJob {
public:
    using Done = std::function<void(std::shared_ptr<const engine::OrganizePlan>)>;
    using Progress = std::function<void(std::size_t, std::size_t)>;

    // Plans on a new thread; progress and done are called on that thread.
    PreviewJob(engine::RunOptions options, std::filesystem::path source, std::filesystem::path destination,
               engine::RunHooks hooks, Progress progress, Done done);
    ~PreviewJob();
    PreviewJob(const PreviewJob &) = delete;
    PreviewJob &operator=(const PreviewJob &) = delete;

private:
    std::atomic<bool> m_cancel{false};
    engine::RunHooks m_hooks;
    std::thread m_thread;
};

} // namespace tunvale::ui
