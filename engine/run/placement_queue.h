#pragma once

#include "engine/threads/conversion_pool.h"
#include "engine/plan/group_layout.h"
#include "output/place_file.h"
#include "output/placement_context.h"
#include "output/status_reporter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tunvale::engine {

// A status reporter whose lines wait until their file's turn: the file placed first among
// those still open shows its lines as they come, the others hold theirs, so the user sees
// every file's lines in placement order however the files are written.
class OrderedStatus final : public output::StatusReporter {
public:
    void showStatus(const std::u16string &text, std::uint32_t colour) override;
    // Shown only while the file's turn has come: the bar follows the file being recorded.
    void showFileProgress(double fraction) override;
    // From now on lines go straight to target, after those held so far.
    void goLive(output::StatusReporter &target);
    // Lines held or still to come are dropped (the file is not placed after all).
    void mute();

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::u16string, std::uint32_t>> m_held;
    output::StatusReporter *m_target = nullptr;
    bool m_muted = false;
};

// One file of the placement phase, from the moment its place is settled until its result is
// recorded.
struct PlacementJob {
    std::size_t group = 0;          // the group it belongs to, in placement order
    std::shared_ptr<const GroupLayout> layout; // its group's files and names
    int index = 0;                  // 1-based within its group's list
    int count = 0;
    bool noName = false;            // no new name could be made: counted, not placed
    // Places the file entirely, on the worker's thread, instead of the three steps (a
    // placement hook: tests).
    std::function<int()> hook;
    std::filesystem::path destination; // the destination before placement settled its name
    // Hears the names the file takes (the worker's record of the placement).
    std::unique_ptr<output::PlacementRecorder> recorder;
    output::PlacementContext context;
    output::PlacementPlan plan;
    std::int32_t miscellaneousFiles = 0; // the run's counter after this file's preparation
    int result = 0;                 // the result of preparing and writing (or of the hook)
    OrderedStatus status;
    bool turnStarted = false;       // its turn came: progress counted, lines live
    bool discarded = false;         // an earlier file of its group failed: not placed
    std::atomic<bool> ran{false};   // its writing step started (false: dropped before it started)
    bool submitted = false;         // handed to the pool
    std::atomic<bool> dropped{false}; // the run was aborted before the file was started

    void markDone();
    bool done();
    void waitDone();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
};

// The worker's side of the queue: what happens when a file's turn comes and when its result is
// recorded, and how the queue waits (without the worker's lease).
class PlacementTurns {
public:
    virtual ~PlacementTurns() = default;
    virtual void startTurn(PlacementJob &job) = 0;
    // Records the result of a finished file; false when it failed (the rest of its group is
    // then not placed).
    virtual bool finishTurn(PlacementJob &job) = 0;
    // Runs wait (which may block) without the worker's lease.
    virtual void waitUnleased(const std::function<void()> &wait) = 0;
    // Runs write (a file's writing step) without the worker's lease and takes the lease back
    // even when the run was given up meanwhile: the file's turn deals with that.
    virtual void writeUnleased(const std::function<void()> &write) = 0;
    // The same as waitUnleased while the worker unwinds (the run given up): never throws.
    virtual void waitUnwinding(const std::function<void()> &wait) noexcept = 0;
};

// The files being placed: settled one after another in placement order, written side by side
// (conversions on a pool of threads, copies on a thread of their own, so they are never
// held up by conversions in flight), and recorded strictly in placement order. A file takes
// its final name (its "(n)") only when it is recorded, so every name is decided in placement
// order against what the earlier files left, as a run on one thread decides it.
class PlacementQueue {
public:
    // jobs: conversions at once (1 or more).
    PlacementQueue(unsigned jobs, PlacementTurns &turns);
    // Drops the files not started, waits for those being written and removes what they wrote
    // that was not recorded (a run given up, or ended by an error).
    ~PlacementQueue();
    PlacementQueue(const PlacementQueue &) = delete;
    PlacementQueue &operator=(const PlacementQueue &) = delete;

    // Waits until every open file of group is recorded.
    void finishGroup(std::size_t group);
    // Adds a prepared file and starts writing it (a failed preparation is only recorded in
    // its turn).
    void add(std::unique_ptr<PlacementJob> job);
    // Records the files at the front that are finished.
    void recordFinished();
    // Records every open file (waiting for them).
    void finishAll();
    // The run is aborted: files not started are never written.
    void dropWaiting();
    // An earlier file of group failed.
    bool groupFailed(std::size_t group) const;

private:
    void write(PlacementJob &job);
    // Hands job's writing to pool; false when the pool has no thread.
    bool submit(ConversionPool &pool, PlacementJob &job);
    bool recordFront(bool wait);
    // Files handed to a pool and not started yet: conversions, or copies.
    std::size_t waiting(bool conversions);

    static constexpr std::size_t kCopiesAhead = 32;

    PlacementTurns &m_turns;
    unsigned m_jobs;
    std::deque<std::unique_ptr<PlacementJob>> m_open;
    std::vector<std::size_t> m_failedGroups;
    std::unique_ptr<ConversionPool> m_pool;   // made when the first conversion comes
    std::unique_ptr<ConversionPool> m_copyPool;   // one thread, made when the first copy comes
};

} // namespace tunvale::engine
