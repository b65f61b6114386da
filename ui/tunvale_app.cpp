#include "ui/tunvale_app.h"

#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "ui/dialog_prompts.h"
#include "ui/preferences.h"
#include "ui/tunvale_dlg.h"

#include <QStringList>
#include <QThread>

namespace tunvale::ui {

bool openPreferencesOrReport(CPreferences &preferences, DialogPrompts &prompts)
{
    if (preferences.open())
        return true;
    QThread::msleep(500);
    prompts.showMessage(nullptr, kRegisterErrorText, kRegisterErrorCaption);
    return false;
}

engine::RunOptions startOptions()
{
    engine::RunOptions options;
    for (const engine::OptionField &field : engine::optionFields())
        options.*field.field = 0;
    options.tagId = engine::tag_id::kArtist;
    options.trackStep = 1;
    return options;
}

CTunvaleApp::CTunvaleApp(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_options(startOptions())
{
    setOrganizationName(kOrganization);
    setApplicationName(kApplication);
    setApplicationDisplayName(kAppTitle);
}

int CTunvaleApp::run()
{
    MessageBoxPrompts prompts;
    CPreferences preferences;
    if (!openPreferencesOrReport(preferences, prompts))
        return 1;
    catalog::resetTagRecords();

    DialogSetup setup;
    const QStringList args = arguments();
    if (args.size() > 1)
        setup.source = args.at(1);
    if (args.size() > 2)
        setup.destination = args.at(2);

    {
        CTunvaleDlg dialog(m_options, preferences, prompts, std::move(setup));
        dialog.exec();
    }
    catalog::catalog().clear();
    return 0;
}

} // namespace tunvale::ui
