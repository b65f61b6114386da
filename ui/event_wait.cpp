#include "ui/event_wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace tunvale::ui {

bool waitHandlingEvents(const std::function<bool()> &done, std::chrono::milliseconds timeout,
                        std::chrono::milliseconds poll)
{
    if (done())
        return true;
    const QDeadlineTimer deadline(timeout);
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    timer.start(std::min(poll, std::max(timeout, std::chrono::milliseconds(1))));
    loop.exec();
    return done();
}

void pauseHandlingEvents(std::chrono::milliseconds duration)
{
    waitHandlingEvents([] { return false; }, duration, std::min(duration, std::chrono::milliseconds(20)));
}

} // namespace tunvale::ui
