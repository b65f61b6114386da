// tunvale-screenshot SOURCE DESTINATION OUT.png: opens the dialog on the two folders with the
// preferences kept in a scratch folder, runs Organize, waits for the summary and saves the
// window as a PNG (for the documentation).
#include "ui/dialog_prompts.h"
#include "ui/preferences.h"
#include "ui/tunvale_dlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// Answers every question Yes and prints the messages instead of showing them.
struct ScriptPrompts final : tunvale::ui::DialogPrompts {
    bool askYesNo(QWidget *, const QString &) override { return true; }
    void showMessage(QWidget *, const QString &text, const QString &, tunvale::ui::MessageKind) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    std::optional<QString> pickFolder(QWidget *, const QString &, const QString &, bool) override
    {
        return std::nullopt;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: tunvale-screenshot SOURCE DESTINATION OUT.png\n");
        return 2;
    }
    QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    tunvale::ui::CPreferences preferences;
    if (!preferences.open())
        return 1;
    ScriptPrompts prompts;
    tunvale::engine::RunOptions options;
    tunvale::ui::DialogSetup setup;
    setup.source = QString::fromLocal8Bit(argv[1]);
    setup.destination = QString::fromLocal8Bit(argv[2]);
    tunvale::ui::CTunvaleDlg dialog(options, preferences, prompts, std::move(setup));
    dialog.show();
    QApplication::processEvents();
    dialog.control(tunvale::ui::control_id::kOrganize)->click();
    const QDeadlineTimer deadline(60000);
    while ((dialog.runActive() || !dialog.lastSummary()) && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    const bool saved = dialog.grab().save(QString::fromLocal8Bit(argv[3]));
    std::printf("%s\n", dialog.lastSummary() ? QString::fromStdU16String(dialog.lastSummary()->line).toUtf8().constData()
                                             : "no summary");
    return saved ? 0 : 1;
}
