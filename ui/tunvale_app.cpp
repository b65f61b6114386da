#include "ui/tunvale_app.h"

#include "ui/dialog_prompts.h"
#include "ui/english_plurals.h"
#include "ui/preferences.h"
#include "ui/program_icon.h"
#include "ui/tunvale_dialog.h"

#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <QThread>

namespace tunvale::ui {

namespace {

// Where the preferences live: the registry on Windows, a configuration file elsewhere.
#ifdef Q_OS_WIN
constexpr bool kRegistryStore = true;
#else
constexpr bool kRegistryStore = false;
#endif

} // namespace

QString registerErrorCaption()
{
    if (kRegistryStore)
        return QCoreApplication::translate("tunvale::ui::TunvaleApp", "REGISTER ERROR");
    return QCoreApplication::translate("tunvale::ui::TunvaleApp", "CONFIGURATION ERROR");
}

QString registerErrorText(const QString &location)
{
    const QString what = kRegistryStore
        ? QCoreApplication::translate("tunvale::ui::TunvaleApp", "Could not Write to Windows Register Data Base")
        : QCoreApplication::translate("tunvale::ui::TunvaleApp", "Could not write the configuration file \"%1\".")
              .arg(location);
    return what + QStringLiteral("\n\n")
        + QCoreApplication::translate("tunvale::ui::TunvaleApp",
                                      "Tunvale goes on, but cannot keep its options: what you change now is kept "
                                      "until it closes.");
}

void installTranslation(QApplication &app)
{
    // The English plural forms first: a translation installed after them is asked before them.
    QCoreApplication::installTranslator(new EnglishPlurals(&app));
    auto *translator = new QTranslator(&app);
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString &folder : {programFolder + QStringLiteral("/translations"),
                                  programFolder + QStringLiteral("/../share/tunvale/translations")}) {
        if (translator->load(QLocale(), QStringLiteral("tunvale"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

bool openPreferencesOrWarn(Preferences &preferences, DialogPrompts &prompts)
{
    if (preferences.open())
        return true;
    QThread::msleep(500);
    prompts.showMessage(nullptr, registerErrorText(preferences.location()), registerErrorCaption(),
                        MessageKind::Warning);
    return false;
}

engine::RunOptions startOptions()
{
    engine::RunOptions options;
    for (const engine::OptionField &field : engine::optionFields())
        field.of(options) = 0;
    options.tagId = engine::tag_id::kArtist;
    options.trackStep = 1;
    return options;
}

TunvaleApp::TunvaleApp(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_options(startOptions())
{
    setOrganizationName(kOrganization);
    setApplicationName(kApplication);
    setApplicationDisplayName(kAppTitle);
    // Ties the window to the installed menu entry (<desktop id>.desktop) and its icon.
    setDesktopFileName(desktopId());
    installTranslation(*this);
}

int TunvaleApp::run()
{
    MessageBoxPrompts prompts;
    Preferences preferences;
    openPreferencesOrWarn(preferences, prompts);

    DialogSetup setup;
    const QStringList args = arguments();
    if (args.size() > 1)
        setup.source = args.at(1);
    if (args.size() > 2)
        setup.destination = args.at(2);

    {
        TunvaleDialog dialog(m_options, preferences, prompts, std::move(setup));
        dialog.exec();
    }
    return 0;
}

} // namespace tunvale::ui
