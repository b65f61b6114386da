#pragma once

#include "engine/run_options.h"

#include <QApplication>
#include <QString>

namespace tunvale::ui {

class CPreferences;
class DialogPrompts;

// The text shown, with the caption "REGISTER ERROR", when the preferences cannot be written.
inline const QString kRegisterErrorCaption = QStringLiteral("REGISTER ERROR");
inline const QString kRegisterErrorText = QStringLiteral("Could not Write to Windows Register Data Base");

// Opens the store; when it cannot be written, waits 500 ms and says so in a message box
// without an owner. false means the program must end without its dialog.
bool openPreferencesOrReport(CPreferences &preferences, DialogPrompts &prompts);

// The options as they stand before the dialog loads them: every one 0 except the criterion
// (Artist) and the track step (1).
engine::RunOptions startOptions();

// The application: holds the options, opens the store and runs the main dialog modally.
// Arguments: [SOURCE [DESTINATION]] folders shown instead of the stored ones.
class CTunvaleApp : public QApplication {
    Q_OBJECT
public:
    CTunvaleApp(int &argc, char **argv);
    // Runs the program; its exit status.
    int run();

    engine::RunOptions &options() { return m_options; }

private:
    engine::RunOptions m_options;
};

} // namespace tunvale::ui
