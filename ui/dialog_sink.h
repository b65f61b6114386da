#pragma once

#include "engine/session/progress_sink.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tunvale::ui {

class TunvaleDialog;

// The worker's reports turned into calls on the dialog's thread. The three notices are queued
// in the order they are posted and return at once. showStatus and showMessage wait until the
// dialog has shown the text (or the message box has been closed), unless the dialog is waiting
// for the worker itself (an abort, the window closing): then nothing waits, so the two threads
// can never wait for each other. Calls made on the dialog's own thread act at once.
class DialogSink final : public engine::ProgressSink {
public:
    explicit DialogSink(TunvaleDialog &dialog);

    void postProgress(std::int32_t position, std::int32_t range) override;
    void postStatus(std::uint32_t colour, const std::u16string &text) override;
    void postRunEnded() override;
    void showMessage(const std::u16string &text) override;
    void showStatus(const std::u16string &text, std::uint32_t colour) override;
    void postWork(const engine::WorkProgress &progress) override;

    // While set, showStatus and showMessage from the worker hand their text over without
    // waiting, and any that are waiting return.
    void setReleaseWaits(bool release);
    bool releaseWaits() const;
    // While held, the worker's notices and messages that reach the dialog's thread are kept
    // back in their order (the dialog waits for the worker to stop, its events still flowing);
    // releasing the hold hands them on, after what is queued at that moment. Dialog thread only.
    void holdNotices(bool hold);
    // Notices posted so far and not yet handled are dropped (a run that was given up, or a
    // run replaced by a new one). Failure messages are still shown.
    void dropPending();

private:
    bool onDialogThread() const;
    // Queues call on the dialog's thread; a gated call is dropped by a later dropPending.
    void queue(std::function<void()> call, bool gated);
    // Runs task on the dialog's thread, or keeps it back while notices are held.
    void deliver(std::function<void()> task);
    // Runs call on the dialog's thread and waits for it, unless waits are released.
    void callAndWait(std::function<void()> call, bool gated);

    TunvaleDialog &m_dialog;
    std::atomic<std::uint64_t> m_generation{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_releaseWaits = false;
    bool m_holding = false;                      // dialog thread only
    std::vector<std::function<void()>> m_held;   // dialog thread only
};

} // namespace tunvale::ui
