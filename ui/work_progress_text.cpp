#include "ui/work_progress_text.h"

#include <QProgressBar>

#include <algorithm>

namespace tunvale::ui {

namespace {
constexpr int kWorkRange = 1000;
} // namespace

QString WorkProgressText::format(const engine::WorkProgress &progress)
{
    // Placement has not started a file yet when it announces itself: only the share then.
    if (progress.file <= 0)
        return QStringLiteral("%p%");
    if (progress.phase == engine::RunPhase::Loading)
        return tr("Loading %1 of %2 (%p%)").arg(progress.file).arg(progress.fileCount);
    return tr("Placing %1 of %2 (%p%)").arg(progress.file).arg(progress.fileCount);
}

void showWorkText(QProgressBar &bar, const engine::WorkProgress *progress)
{
    if (progress == nullptr) {
        bar.setTextVisible(false);
        bar.resetFormat();
        return;
    }
    // The text first, so that a listener to the value sees the text that goes with it.
    bar.setFormat(WorkProgressText::format(*progress));
    bar.setTextVisible(true);
    bar.setRange(0, kWorkRange);
    bar.setValue(std::clamp(progress->permille, 0, kWorkRange));
}

} // namespace tunvale::ui
