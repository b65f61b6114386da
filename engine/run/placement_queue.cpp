#include "engine/run/placement_queue.h"

#include "output/mp3_conversion.h"

#include <algorithm>

namespace tunvale::engine {

namespace fs = std::filesystem;

void OrderedStatus::showStatus(const std::u16string &text, std::uint32_t colour)
{
    std::lock_guard lock(m_mutex);
    if (m_muted)
        return;
    if (m_target != nullptr)
        m_target->showStatus(text, colour);
    else
        m_held.emplace_back(text, colour);
}

void OrderedStatus::showFileProgress(double fraction)
{
    std::lock_guard lock(m_mutex);
    if (!m_muted && m_target != nullptr)
        m_target->showFileProgress(fraction);
}

void OrderedStatus::goLive(output::StatusReporter &target)
{
    std::lock_guard lock(m_mutex);
    if (m_muted)
        return;
    for (const auto &[text, colour] : m_held)
        target.showStatus(text, colour);
    m_held.clear();
    m_target = &target;
}

void OrderedStatus::mute()
{
    std::lock_guard lock(m_mutex);
    m_muted = true;
    m_held.clear();
    m_target = nullptr;
}

void PlacementJob::markDone()
{
    // Notified under the lock: the worker may delete the job as soon as it sees it done.
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
}

bool PlacementJob::done()
{
    std::lock_guard lock(m_mutex);
    return m_done;
}

void PlacementJob::waitDone()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done; });
}

PlacementQueue::PlacementQueue(unsigned jobs, PlacementTurns &turns)
    : m_turns(turns)
    , m_jobs(std::max(jobs, 1u))
{
}

PlacementQueue::~PlacementQueue()
{
    for (const auto &job : m_open) {
        job->dropped = true;
        job->status.mute();
    }
    // Conversions see the run's cancel flag when it is given up, and stop within a chunk.
    m_turns.waitUnwinding([&] {
        for (const auto &job : m_open) {
            if (job->submitted)
                job->waitDone();
            output::discardPlacement(job->plan);
        }
    });
}

void PlacementQueue::finishGroup(std::size_t group)
{
    const auto open = [&] {
        return std::any_of(m_open.begin(), m_open.end(), [&](const auto &job) { return job->group == group; });
    };
    while (open())
        recordFront(true);
}

void PlacementQueue::add(std::unique_ptr<PlacementJob> job)
{
    PlacementJob &added = *job;
    m_open.push_back(std::move(job));
    recordFinished();
    write(added);
    recordFinished();
}

void PlacementQueue::write(PlacementJob &job)
{
    if (job.hook) {
        job.ran = true;
        m_turns.writeUnleased([&] { job.result = job.hook(); });
        job.markDone();
        return;
    }
    if (job.noName || job.result != 0) {
        job.markDone();
        return;
    }
    if (job.plan.converting) {
        // No more conversions wait than there are threads to take them: the run does not run
        // ahead of its conversions by more than one round.
        while (waiting(true) >= m_jobs)
            recordFront(true);
        if (!m_pool)
            m_pool = std::make_unique<ConversionPool>(m_jobs);
        if (submit(*m_pool, job))
            return;
    } else {
        // Copies go to a thread of their own, so the worker names, prepares and publishes the
        // next files meanwhile, and a copy never waits behind a conversion. A bounded number
        // wait: the worker does not run far ahead of the copies.
        while (waiting(false) >= kCopiesAhead)
            recordFront(true);
        if (!m_copyPool)
            m_copyPool = std::make_unique<ConversionPool>(1);
        if (submit(*m_copyPool, job))
            return;
    }
    // When no thread could be started the file is written here, at once.
    job.ran = true;
    m_turns.writeUnleased([&] { job.result = output::writePlacement(job.context, job.plan); });
    job.markDone();
}

bool PlacementQueue::submit(ConversionPool &pool, PlacementJob &job)
{
    PlacementJob *queued = &job;
    job.submitted = pool.submit([queued] {
        if (queued->dropped.load()) {
            queued->markDone();
            return;
        }
        queued->ran = true;
        try {
            queued->result = output::writePlacement(queued->context, queued->plan);
        } catch (...) {
            queued->result = output::conversion::kNoMemory;
        }
        queued->markDone();
    });
    return job.submitted;
}

std::size_t PlacementQueue::waiting(bool conversions)
{
    return static_cast<std::size_t>(std::count_if(m_open.begin(), m_open.end(), [&](const auto &job) {
        return job->submitted && !job->ran.load() && job->plan.converting == conversions;
    }));
}

void PlacementQueue::recordFinished()
{
    while (!m_open.empty() && recordFront(false)) {
    }
}

void PlacementQueue::finishAll()
{
    while (!m_open.empty())
        recordFront(true);
}

void PlacementQueue::dropWaiting()
{
    for (std::size_t n = 1; n < m_open.size(); ++n)
        m_open[n]->dropped = true;
}

bool PlacementQueue::groupFailed(std::size_t group) const
{
    return std::find(m_failedGroups.begin(), m_failedGroups.end(), group) != m_failedGroups.end();
}

bool PlacementQueue::recordFront(bool wait)
{
    PlacementJob &job = *m_open.front();
    const auto finished = [&] {
        if (job.done())
            return true;
        if (!wait)
            return false;
        m_turns.waitUnleased([&] { job.waitDone(); });
        return true;
    };
    if (job.discarded || job.dropped.load()) {
        if (!finished())
            return false;
        if (job.discarded || !job.ran.load()) {
            job.status.mute();
            output::discardPlacement(job.plan);
            m_open.pop_front();
            return true;
        }
    }
    if (!job.turnStarted) {
        job.turnStarted = true;
        m_turns.startTurn(job);
    }
    if (!finished())
        return false;
    const bool placed = m_turns.finishTurn(job);
    const std::size_t group = job.group;
    m_open.pop_front();
    if (!placed) {
        m_failedGroups.push_back(group);
        for (const auto &later : m_open) {
            if (later->group == group) {
                later->discarded = true;
                later->status.mute();
            }
        }
    }
    return true;
}

} // namespace tunvale::engine
