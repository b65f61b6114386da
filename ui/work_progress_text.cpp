#include "ui/work_progress_text.h"

#include <QProgressBar>

#include <algorithm>

namespace tunvale::ui {

namespace {

constexpr int kWorkRange = 1000;
// A run shorter than this never shows a time left; the pace of its first seconds says little.
constexpr std::chrono::seconds kLongRun{5};
constexpr int kLeastShare = 20; // thousandths done before the pace is trusted

} // namespace

std::optional<std::chrono::seconds> WorkProgressText::timeLeft(int permille, std::chrono::milliseconds elapsed)
{
    if (elapsed < kLongRun || permille < kLeastShare || permille >= kWorkRange)
        return std::nullopt;
    const double rest = static_cast<double>(elapsed.count()) * (kWorkRange - permille) / permille;
    return std::chrono::seconds(static_cast<std::int64_t>(rest / 1000.0 + 0.5));
}

QString WorkProgressText::leftText(std::chrono::seconds left)
{
    const auto minutes = static_cast<int>((left.count() + 30) / 60);
    if (minutes < 1)
        return tr("less than a minute left");
    if (minutes < 90)
        return tr("about %n minute(s) left", nullptr, minutes);
    return tr("about %n hour(s) left", nullptr, (minutes + 30) / 60);
}

QString WorkProgressText::format(const engine::WorkProgress &progress, std::optional<std::chrono::seconds> left)
{
    QString text = progress.phase == engine::RunPhase::Loading ? tr("Loading\u2026 %p%") : tr("Placing\u2026 %p%");
    if (left)
        text += QStringLiteral(" \u00b7 ") + leftText(*left);
    return text;
}

void showWorkText(QProgressBar &bar, const engine::WorkProgress *progress, std::chrono::milliseconds elapsed)
{
    if (progress == nullptr) {
        bar.setTextVisible(false);
        bar.resetFormat();
        return;
    }
    // The text first, so that a listener to the value sees the text that goes with it.
    bar.setFormat(WorkProgressText::format(*progress, WorkProgressText::timeLeft(progress->permille, elapsed)));
    bar.setTextVisible(true);
    bar.setRange(0, kWorkRange);
    bar.setValue(std::clamp(progress->permille, 0, kWorkRange));
}

} // namespace tunvale::ui
