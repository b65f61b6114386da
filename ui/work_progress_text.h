#pragma once

#include "engine/session/run_progress.h"

#include <QCoreApplication>
#include <QString>

class QProgressBar;

namespace tunvale::ui {

// What the progress bar says of a run's work: "Loading 12 of 3000 (4%)" and the like.
class WorkProgressText {
    Q_DECLARE_TR_FUNCTIONS(WorkProgressText)
public:
    // The bar's text for progress (the bar puts its percentage in place of %p).
    static QString format(const engine::WorkProgress &progress);
};

// Shows progress on the bar: range 0..1000, the run's share, and its text. With nullptr the
// bar goes back to showing positions alone, without text.
void showWorkText(QProgressBar &bar, const engine::WorkProgress *progress);

} // namespace tunvale::ui
