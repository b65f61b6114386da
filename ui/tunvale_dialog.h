#pragma once

#include "engine/run/abort_command.h"
#include "engine/plan/organize_plan.h"
#include "engine/run/organizer.h"
#include "engine/run/run_hooks.h"
#include "engine/session/run_options.h"
#include "engine/session/run_summary.h"
#include "engine/session/session_state.h"
#include "ui/dialog_sink.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tunvale::ui {

class AccountWindow;
class ColoredEdit;
class ManualWindow;
class Preferences;
class PreviewJob;
class PreviewWindow;
class StatusBox;
class DialogPrompts;
class QuaverPicture;

// What the dialog is built with besides the options, the store and the prompts.
struct DialogSetup {
    engine::RunHooks hooks = engine::standardHooks();
    engine::AbortTiming abortTiming{};
    std::chrono::milliseconds summaryPause{100};
    // Folders shown instead of the stored ones (given on the command line); empty for none.
    QString source;
    QString destination;
};

// Control ids, as the options and tests name them.
namespace control_id {
inline constexpr int kSelectSource = 1000;
inline constexpr int kSelectDestination = 1001;
inline constexpr int kOrganize = 1009;
inline constexpr int kPreview = 1040;
inline constexpr int kStep = 1019;
inline constexpr int kQualityStandard = 1023;
inline constexpr int kQualityHigh = 1024;
inline constexpr int kQualityMax = 1025;
inline constexpr int kCancel = 2;
inline constexpr int kExit = 1;
} // namespace control_id

// The folder the source edit shows before anything was stored: the user's Music folder when it
// exists, otherwise "C:" on Windows and the home folder elsewhere.
QString defaultFolder();
// The folder the destination edit shows before anything was stored: beside the default source,
// never the source itself nor inside it (see proposedDestination); empty when there is no such
// place.
QString defaultDestination();

// The main dialog: the two folders, the formats, the criterion and the options (each written
// to the store the moment it changes), Organize, Cancel with its undo, Exit, the status box,
// the progress bar, and the manual and the About box under Help. It keeps its size and place
// between starts. It has no default button: Return presses the focused control. While it waits
// for a worker to stop, its events go on (it repaints, its timers run) and only Cancel, Exit
// and Help stay enabled: the stopping state.
class TunvaleDialog : public QDialog {
    Q_OBJECT
public:
    TunvaleDialog(engine::RunOptions &options, Preferences &preferences, DialogPrompts &prompts,
                DialogSetup setup = {}, QWidget *parent = nullptr);
    ~TunvaleDialog() override;

    // The commands.
    void organize();
    void cancelSession();
    void exitDialog();
    void selectSource();
    void selectDestination();
    void showAbout();
    void showManual();
    // Preview: plans the run of the folders and options shown, on a thread of its own, and
    // opens the plan in a window whose Organize runs it.
    void preview();
    // The list of the files the last run skipped or could not place ("Details...").
    void showDetails();

    // The worker's notices, on the dialog's thread.
    // Position notices move the bar until the run reports its work; from then until its
    // summary the bar shows the run's weighted share and "n of N" (applyWork).
    void applyProgress(std::int32_t position, std::int32_t range);
    void applyWork(const engine::WorkProgress &progress);
    // A passing text (the file being loaded or copied) may be shown a little later, replaced by
    // a newer one: the status line changes a few times a second at most.
    void applyStatus(std::uint32_t colour, const QString &text, bool passing = false);
    void handleRunEnded();
    void applyShowStatus(const QString &text, std::uint32_t colour, bool passing = false);
    void showWorkerMessage(const QString &text);

    bool runActive() const { return m_organizer.isActive(); }
    // The dialog waits for a worker to stop (after Yes to the abort question).
    bool stopping() const { return m_stopping; }
    engine::SessionState &session() { return m_session; }
    engine::Organizer &organizer() { return m_organizer; }
    const std::optional<engine::RunSummary> &lastSummary() const { return m_lastSummary; }

    ColoredEdit *sourceEdit() const { return m_sourceEdit; }
    ColoredEdit *destinationEdit() const { return m_destinationEdit; }
    StatusBox *statusBox() const { return m_statusBox; }
    QProgressBar *progressBar() const { return m_progress; }
    QAction *aboutAction() const { return m_aboutAction; }
    QAction *manualAction() const { return m_manualAction; }
    // The state of each folder field in words, beside it ("Will be created", "Not a folder");
    // empty while the folder can be used as it is.
    QLabel *sourceStateLabel() const { return m_sourceState; }
    QLabel *destinationStateLabel() const { return m_destinationState; }
    // The open preview window, or nullptr.
    PreviewWindow *previewWindow() const;
    // A preview is being computed.
    bool previewing() const { return m_previewJob != nullptr; }
    // "Details..." beside the status box: shown after a run that skipped or failed files.
    QPushButton *detailsLink() const { return m_detailsLink; }
    // The manual's window while it is open, or nullptr.
    ManualWindow *manualWindow() const;
    // The list window while "Details..." shows it, or nullptr.
    AccountWindow *accountWindow() const { return m_accountWindow; }
    // The button, check box or radio button of that id, or nullptr.
    QAbstractButton *control(int id) const;

public slots:
    // Escape and the Cancel button: the abort command, then the undo of the session.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    // Return and Enter press the focused button, check box or radio button; never Exit.
    void keyPressEvent(QKeyEvent *event) override;

private:
    class Questions;

    void buildControls();
    void describeControls();
    void loadOptions();
    void loadFolders();
    void connectOptions();
    void storeCheckBox(int id, bool checked);
    // Enables each control by the rules (options that do not apply, Organize during a run, the
    // stopping state) and lets Tab reach each radio group through its checked radio.
    void updateControlStates();
    void updateRadioFocus();
    // The colour and the state text of both folder edits from what they hold now.
    void refreshFolderStates();
    // The edit's text made usable (cleanFolderText), shown in the edit when it changed.
    QString takeFolderText(ColoredEdit *edit);
    // The folder checks before work: the field of the first folder the run cannot use, after
    // its refusal was shown; None when both can be used (or left to the run's own checks).
    engine::FolderField refuseUnusableFolders(const QString &source, const QString &destination);
    void refuseFolder(engine::FolderField field, const QString &message);
    // The bar once a run has ended: full when it reached its end, where it stopped otherwise.
    void showRunEndOnBar();
    // The abort command with the dialog's question, keeping events flowing during the wait.
    // hideAtOnce: the window goes away as soon as the user said Yes (Exit, closing).
    engine::AbortResult runAbortCommand(bool hideAtOnce);
    void afterAbort(const engine::AbortResult &result);
    void forgetSession();
    void showStatusWord(const QString &word, std::uint32_t colour);
    void restoreWindowGeometry();
    void saveWindowGeometry();
    // Looks again, until it has returned, whether a worker given up is still running.
    void watchAbandonedWorker();
    void previewReady(std::shared_ptr<const engine::OrganizePlan> plan);
    void updateDetailsLink();

    engine::RunOptions &m_options;
    Preferences &m_preferences;
    DialogPrompts &m_prompts;
    DialogSetup m_setup;

    engine::SessionState m_session;
    DialogSink m_sink;
    engine::Organizer m_organizer;
    std::optional<engine::RunSummary> m_lastSummary;

    ColoredEdit *m_sourceEdit = nullptr;
    ColoredEdit *m_destinationEdit = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QLabel *m_destinationLabel = nullptr;
    StatusBox *m_statusBox = nullptr;
    QProgressBar *m_progress = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_manualAction = nullptr;
    QLabel *m_sourceState = nullptr;
    QLabel *m_destinationState = nullptr;
    QuaverPicture *m_picture = nullptr;
    QWidget *m_menuBar = nullptr;
    bool m_showingWork = false;   // the bar shows the run's work reports
    int m_lastWorkPermille = 0;   // the share of the run's work last reported
    QElapsedTimer m_runClock;     // since the run started: the time left on the bar
    QString m_previewWarning;     // what the preview being made must say of its folders
    bool m_exiting = false;
    bool m_stopping = false;
    bool m_closedWhileStopping = false;
    std::map<int, QAbstractButton *> m_controls;
    QPushButton *m_detailsLink = nullptr;
    std::unique_ptr<PreviewJob> m_previewJob;
    QPointer<PreviewWindow> m_previewWindow;
    AccountWindow *m_accountWindow = nullptr;
    QPointer<ManualWindow> m_manualWindow;
};

} // namespace tunvale::ui
