// tunvale-screenshot [--screen] [--convert] [--preview] SOURCE DESTINATION OUT.png: opens the
// dialog on the two folders with the preferences kept in a scratch folder, runs Organize (with
// conversion to MP3 ticked when --convert is given), waits for the summary and saves the window
// as a PNG, or with --screen the whole screen with the window on it (for the documentation).
// With --preview it presses Preview instead and saves the preview window (or the screen).
#include "ui/dialog_prompts.h"
#include "ui/preferences.h"
#include "ui/preview_window.h"
#include "ui/tunvale_app.h"
#include "ui/tunvale_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// Answers every question Yes and prints the messages instead of showing them.
struct ScriptPrompts final : tunvale::ui::DialogPrompts {
    bool askYesNo(QWidget *, const QString &, tunvale::ui::DefaultAnswer) override { return true; }
    void showMessage(QWidget *, const QString &text, const QString &, tunvale::ui::MessageKind) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    std::optional<QString> pickFolder(QWidget *, const QString &, const QString &, bool) override
    {
        return std::nullopt;
    }
};

void settle(int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tunvale::ui::installTranslation(app);
    QStringList args = app.arguments().mid(1);
    const bool wholeScreen = args.removeAll(QStringLiteral("--screen")) > 0;
    const bool convert = args.removeAll(QStringLiteral("--convert")) > 0;
    const bool preview = args.removeAll(QStringLiteral("--preview")) > 0;
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tunvale-screenshot [--screen] [--convert] [--preview] SOURCE DESTINATION OUT.png\n");
        return 2;
    }
    QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    tunvale::ui::Preferences preferences;
    if (!preferences.open())
        return 1;
    if (convert)
        preferences.writeNumber(QStringLiteral("MP3_CONVERT"), 1);
    ScriptPrompts prompts;
    tunvale::engine::RunOptions options;
    tunvale::ui::DialogSetup setup;
    setup.source = args.at(0);
    setup.destination = args.at(1);
    tunvale::ui::TunvaleDialog dialog(options, preferences, prompts, std::move(setup));
    dialog.show();
    settle(5);
    if (preview) {
        dialog.control(tunvale::ui::control_id::kPreview)->click();
        const QDeadlineTimer deadline(60000);
        while (dialog.previewWindow() == nullptr && !deadline.hasExpired()) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        if (dialog.previewWindow() == nullptr)
            return 1;
        // Below the folder fields, which stay in sight.
        dialog.previewWindow()->move(dialog.pos() + QPoint(60, 110));
        settle(20);
        const QPixmap shot =
            wholeScreen ? dialog.screen()->grabWindow(0) : dialog.previewWindow()->grab();
        std::printf("%s\n", dialog.previewWindow()->summaryLabel()->text().toUtf8().constData());
        return shot.save(args.at(2)) ? 0 : 1;
    }
    dialog.control(tunvale::ui::control_id::kOrganize)->click();
    const QDeadlineTimer deadline(60000);
    while ((dialog.runActive() || !dialog.lastSummary()) && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    settle(20);
    const QPixmap shot = wholeScreen ? dialog.screen()->grabWindow(0) : dialog.grab();
    const bool saved = shot.save(args.at(2));
    std::printf("%s\n", dialog.lastSummary() ? QString::fromStdU16String(dialog.lastSummary()->line).toUtf8().constData()
                                             : "no summary");
    return saved ? 0 : 1;
}
