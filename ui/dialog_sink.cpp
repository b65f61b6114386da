#include "ui/dialog_sink.h"

#include "ui/tunvale_dialog.h"

#include <QMetaObject>
#include <QThread>

#include <memory>

namespace tunvale::ui {

DialogSink::DialogSink(TunvaleDialog &dialog)
    : m_dialog(dialog)
{
}

bool DialogSink::onDialogThread() const
{
    return QThread::currentThread() == m_dialog.thread();
}

void DialogSink::queue(std::function<void()> call, bool gated)
{
    const std::uint64_t generation = m_generation.load();
    deliver([this, call = std::move(call), gated, generation] {
        if (!gated || generation == m_generation.load())
            call();
    });
}

void DialogSink::deliver(std::function<void()> task)
{
    // The dialog is the context: calls still queued when it is destroyed are dropped with it.
    QMetaObject::invokeMethod(
        &m_dialog,
        [this, task = std::move(task)]() mutable {
            if (m_holding) {
                m_held.push_back(std::move(task));
                return;
            }
            task();
        },
        Qt::QueuedConnection);
}

void DialogSink::holdNotices(bool hold)
{
    m_holding = hold;
    if (hold)
        return;
    std::vector<std::function<void()>> held;
    held.swap(m_held);
    for (auto &task : held)
        deliver(std::move(task));
}

void DialogSink::callAndWait(std::function<void()> call, bool gated)
{
    struct Request {
        bool done = false;
    };
    auto request = std::make_shared<Request>();
    {
        std::lock_guard lock(m_mutex);
        if (m_releaseWaits) {
            queue(std::move(call), gated);
            return;
        }
    }
    // The waiter is always woken, also when the call itself is dropped.
    const std::uint64_t generation = m_generation.load();
    deliver([this, request, call = std::move(call), gated, generation] {
        if (!gated || generation == m_generation.load())
            call();
        std::lock_guard lock(m_mutex);
        request->done = true;
        m_done.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return request->done || m_releaseWaits; });
}

void DialogSink::postProgress(std::int32_t position, std::int32_t range)
{
    if (onDialogThread()) {
        m_dialog.applyProgress(position, range);
        return;
    }
    queue([this, position, range] { m_dialog.applyProgress(position, range); }, true);
}

void DialogSink::postStatus(std::uint32_t colour, const std::u16string &text)
{
    const QString shown = QString::fromStdU16String(text);
    if (onDialogThread()) {
        m_dialog.applyStatus(colour, shown);
        return;
    }
    queue([this, colour, shown] { m_dialog.applyStatus(colour, shown); }, true);
}

void DialogSink::postRunEnded()
{
    if (onDialogThread()) {
        m_dialog.handleRunEnded();
        return;
    }
    queue([this] { m_dialog.handleRunEnded(); }, true);
}

void DialogSink::showMessage(const std::u16string &text)
{
    const QString shown = QString::fromStdU16String(text);
    if (onDialogThread()) {
        m_dialog.showWorkerMessage(shown);
        return;
    }
    // The user must learn of every failure, even one reported while the run is given up.
    callAndWait([this, shown] { m_dialog.showWorkerMessage(shown); }, false);
}

void DialogSink::showStatus(const std::u16string &text, std::uint32_t colour)
{
    const QString shown = QString::fromStdU16String(text);
    if (onDialogThread()) {
        m_dialog.applyShowStatus(shown, colour);
        return;
    }
    callAndWait([this, shown, colour] { m_dialog.applyShowStatus(shown, colour); }, true);
}

void DialogSink::setReleaseWaits(bool release)
{
    std::lock_guard lock(m_mutex);
    m_releaseWaits = release;
    if (release)
        m_done.notify_all();
}

bool DialogSink::releaseWaits() const
{
    std::lock_guard lock(m_mutex);
    return m_releaseWaits;
}

void DialogSink::dropPending()
{
    ++m_generation;
}

} // namespace tunvale::ui
