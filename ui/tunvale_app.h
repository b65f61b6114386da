#pragma once

#include "engine/session/run_options.h"

#include <QApplication>
#include <QString>

namespace tunvale::ui {

class Preferences;
class DialogPrompts;

// The caption and text shown when the preferences cannot be written, naming the store of the
// platform: "REGISTER ERROR", "Could not Write to Windows Register Data Base" on Windows;
// "CONFIGURATION ERROR", "Could not write the configuration file \"<location>\"." elsewhere;
// then what follows for this run.
QString registerErrorCaption();
QString registerErrorText(const QString &location);

// Opens the store; when it cannot be written, waits 500 ms and says so, once, in a message box
// without an owner. The program goes on either way: with a store that cannot be written its
// options live in memory (see Preferences). Whether the store can be written.
bool openPreferencesOrWarn(Preferences &preferences, DialogPrompts &prompts);

// The options as they stand before the dialog loads them: every one 0 except the criterion
// (Artist) and the track step (1).
engine::RunOptions startOptions();

// Installs the English plural forms (EnglishPlurals) and the translation of the dialog for the
// user's language when one is installed (tunvale_<language>.qm beside the program or in its
// share folder).
void installTranslation(QApplication &app);

// The application: holds the options, opens the store and runs the main dialog modally.
// Arguments: [SOURCE [DESTINATION]] folders shown instead of the stored ones.
class TunvaleApp : public QApplication {
    Q_OBJECT
public:
    TunvaleApp(int &argc, char **argv);
    // Runs the program; its exit status.
    int run();

    engine::RunOptions &options() { return m_options; }

private:
    engine::RunOptions m_options;
};

} // namespace tunvale::ui
