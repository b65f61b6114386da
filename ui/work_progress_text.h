#pragma once

#include "engine/session/run_progress.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <optional>

class QProgressBar;

namespace tunvale::ui {

// What the progress bar says of a run's work, in one measure: the share of the whole run that
// is done ("Placing… 82%"), and on a long run the time left at the pace so far ("Placing… 82%
// · about 3 minutes left"). The file being worked on is named by the status line.
class WorkProgressText {
    Q_DECLARE_TR_FUNCTIONS(WorkProgressText)
public:
    // The bar's text for progress (the bar puts its percentage in place of %p); left is the
    // time left, when known.
    static QString format(const engine::WorkProgress &progress, std::optional<std::chrono::seconds> left = {});
    // The time left when a share permille of the run took elapsed; nothing while the run is
    // too young, or too little done, for the pace to mean much.
    static std::optional<std::chrono::seconds> timeLeft(int permille, std::chrono::milliseconds elapsed);
    // "about 3 minutes left", "less than a minute left".
    static QString leftText(std::chrono::seconds left);
};

// Shows progress on the bar: range 0..1000, the run's share, and its text, with the time left
// after elapsed. With nullptr the bar goes back to showing positions alone, without text.
void showWorkText(QProgressBar &bar, const engine::WorkProgress *progress,
                  std::chrono::milliseconds elapsed = std::chrono::milliseconds(0));

} // namespace tunvale::ui
