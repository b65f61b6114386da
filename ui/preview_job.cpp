#include "ui/preview_job.h"

namespace tunvale::ui {

PreviewJob::PreviewJob(engine::RunOptions options, std::filesystem::path source, std::filesystem::path destination,
                       engine::RunHooks hooks, Progress progress, Done done)
    : m_hooks(std::move(hooks))
{
    m_thread = std::thread([this, options = std::move(options), source = std::move(source),
                            destination = std::move(destination), progress = std::move(progress),
                            done = std::move(done)] {
        engine::PlanControl control;
        control.cancel = &m_cancel;
        control.progress = progress;
        control.tags = false;   // the window shows no tag changes
        auto plan = std::make_shared<engine::OrganizePlan>(
            engine::planOrganize(options, source, destination, m_hooks, control));
        if (!m_cancel.load())
            done(std::move(plan));
    });
}

PreviewJob::~PreviewJob()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tunvale::ui
