#include "ui/dialog_sink.h"

#include "engine/run/abort_command.h"
#include "ui/engine_texts.h"
#include "ui/tunvale_dialog.h"

#include <QMetaObject>
#include <QThread>

#include <memory>

namespace tunvale::ui {

namespace {

// A status line as the dialog shows it: the engine's text in the user's language, but the stop
// in the dialog's own words. The worker is not killed: it is left to stop on its own.
QString shownStatus(const QString &engineText)
{
    if (engineText == QString::fromUtf16(engine::kWaitForCurrentFile))
        return TunvaleDialog::tr("Stopping\u2026 %1").arg(EngineTexts::translate(engineText));
    if (engineText == QString::fromUtf16(engine::kGivingUpWorker))
        return TunvaleDialog::tr("The file in work did not finish within 10 seconds: the run is given up.");
    return EngineTexts::translate(engineText);
}

} // namespace

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

void DialogSink::postWork(const engine::WorkProgress &progress)
{
    if (onDialogThread()) {
        m_dialog.applyWork(progress);
        return;
    }
    queue([this, progress] { m_dialog.applyWork(progress); }, true);
}

void DialogSink::postStatus(std::uint32_t colour, const std::u16string &text)
{
    const QString engineText = QString::fromStdU16String(text);
    const QString shown = EngineTexts::translate(engineText);
    const bool passing = EngineTexts::passing(engineText);
    if (onDialogThread()) {
        m_dialog.applyStatus(colour, shown, passing);
        return;
    }
    queue([this, colour, shown, passing] { m_dialog.applyStatus(colour, shown, passing); }, true);
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
    const QString shown = EngineTexts::translate(QString::fromStdU16String(text));
    if (onDialogThread()) {
        m_dialog.showWorkerMessage(shown);
        return;
    }
    // The user must learn of every failure, even one reported while the run is given up.
    callAndWait([this, shown] { m_dialog.showWorkerMessage(shown); }, false);
}

void DialogSink::showStatus(const std::u16string &text, std::uint32_t colour)
{
    const QString engineText = QString::fromStdU16String(text);
    const QString shown = shownStatus(engineText);
    const bool passing = EngineTexts::passing(engineText);
    if (onDialogThread()) {
        m_dialog.applyShowStatus(shown, colour, passing);
        return;
    }
    callAndWait([this, shown, colour, passing] { m_dialog.applyShowStatus(shown, colour, passing); }, true);
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
