#include "ui/tunvale_dialog.h"

#include "engine/run/organize_command.h"
#include "engine/session/path_text.h"
#include "engine/undo/session_undo.h"
#include "output/status_reporter.h"
#include "ui/about_dialog.h"
#include "ui/colored_edit.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_prompts.h"
#include "ui/dialog_questions.h"
#include "ui/engine_texts.h"
#include "ui/folder_check.h"
#include "ui/manual_window.h"
#include "ui/preferences.h"
#include "ui/preview_job.h"
#include "ui/preview_window.h"
#include "ui/program_icon.h"
#include "ui/work_progress_text.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

namespace tunvale::ui {

namespace fs = std::filesystem;
using namespace output::colour;

namespace {

// The colour of a destination edit that names a folder Organize will create, or nothing yet.
constexpr std::uint32_t kWhite = 0xFFFFFF;

QString valueNameText(std::string_view name)
{
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

fs::path pathFromText(const QString &text)
{
    return engine::pathFromUtf16(text.toStdU16String());
}

// The folders are at most 518 characters long.
constexpr int kMaxFolderLength = 518;

// The icon of a refusal of Organize, from the word its status box shows.
MessageKind refusalKind(std::u16string_view statusWord)
{
    return statusWord == u"Error" ? MessageKind::Error : MessageKind::Warning;
}

} // namespace

QString defaultFolder()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return QDir::toNativeSeparators(music);
#ifdef Q_OS_WIN
    return QStringLiteral("C:");
#else
    return QDir::homePath();
#endif
}

QString defaultDestination() { return proposedDestination(defaultFolder()); }

TunvaleDialog::TunvaleDialog(engine::RunOptions &options, Preferences &preferences, DialogPrompts &prompts,
                         DialogSetup setup, QWidget *parent)
    : QDialog(parent)
    , m_options(options)
    , m_preferences(preferences)
    , m_prompts(prompts)
    , m_setup(std::move(setup))
    , m_sink(*this)
    , m_organizer(m_session, m_sink, m_setup.hooks)
{
    setWindowTitle(kAppTitle);
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    buildControls();
    describeControls();
    loadFolders();
    m_session.miscellaneousFolderName = u"Miscellaneous";
    loadOptions();
    connectOptions();
    updateControlStates();
    updateRadioFocus();

    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_statusBox->setColour(kGreen);

    m_session.filesCreatedInSession.clear();
    m_session.createdInSession.clear();
    m_session.foldersCreatedInSession.clear();
    m_session.foldersCreatedInRun.clear();
    m_session.mainDirectoryList.clear();
    m_session.mainDirectory.clear();
    m_session.sourceFiles.clear();
    m_session.sourceExtensions.clear();
    m_session.userAborted = 0;
    m_session.runCompleted = 0;

    restoreWindowGeometry();
}

TunvaleDialog::~TunvaleDialog()
{
    // The worker works on this dialog's session: it is stopped before anything goes. Nothing
    // may wait for the dialog from here on.
    m_sink.setReleaseWaits(true);
    if (m_organizer.isActive()) {
        engine::AbortWithoutAsking yes;
        engine::abortRun(m_organizer, yes, m_setup.abortTiming);
    }
}

void TunvaleDialog::restoreWindowGeometry()
{
    const QByteArray geometry = m_preferences.readWindowGeometry();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(sizeHint());
}

void TunvaleDialog::saveWindowGeometry()
{
    if (isVisible())
        m_preferences.writeWindowGeometry(saveGeometry());
}

void TunvaleDialog::loadFolders()
{
    QString source = m_preferences.readText(valueNameText(engine::kSourceFolderValue), defaultFolder());
    QString destination = m_preferences.readText(valueNameText(engine::kDestinationFolderValue), defaultDestination());
    // Folders given on the command line are shown instead; they are stored when Organize
    // accepts them.
    if (!m_setup.source.isEmpty())
        source = m_setup.source.left(kMaxFolderLength);
    if (!m_setup.destination.isEmpty())
        destination = m_setup.destination.left(kMaxFolderLength);

    m_session.sourceFolder = pathFromText(source);
    m_sourceEdit->setText(source);
    m_session.destinationFolder = pathFromText(destination);
    m_destinationEdit->setText(destination);
    refreshFolderStates();
}

void TunvaleDialog::refreshFolderStates()
{
    // The same rule whatever filled the field (typing, the picker, the store): green for a
    // folder that can be used, white for a destination still to be created (or none yet),
    // yellow for a destination that overlaps the source, light red for what cannot be used;
    // and the state in words beside it, which assistive technology reads with the field.
    const QString source = cleanFolderText(m_sourceEdit->text());
    const QString destination = cleanFolderText(m_destinationEdit->text());
    const FolderCheck from = checkSource(source);
    const FolderCheck to = checkDestination(destination);
    const FolderOverlap overlap =
        from.state == FolderState::Folder ? folderOverlap(source, destination) : FolderOverlap::None;
    m_sourceEdit->setColour(from.state == FolderState::Folder ? kGreen : kLightRed);
    std::uint32_t colour = kLightRed;
    if (to.state == FolderState::Empty || to.state == FolderState::WillBeCreated)
        colour = kWhite;
    else if (to.state == FolderState::Folder)
        colour = kGreen;
    if (overlap != FolderOverlap::None && colour != kLightRed)
        colour = kYellow;
    m_destinationEdit->setColour(colour);

    const auto show = [](QLabel *label, QWidget *edit, const QString &state) {
        if (label->text() != state)
            label->setText(state);
        edit->setAccessibleDescription(state);
    };
    show(m_sourceState, m_sourceEdit, FolderTexts::sourceState(from));
    show(m_destinationState, m_destinationEdit, FolderTexts::destinationState(to, overlap));
}

QString TunvaleDialog::takeFolderText(ColoredEdit *edit)
{
    const QString cleaned = cleanFolderText(edit->text()).left(kMaxFolderLength);
    if (cleaned != edit->text()) {
        edit->setText(cleaned);
        refreshFolderStates();
    }
    return cleaned;
}

void TunvaleDialog::loadOptions()
{
    for (const engine::OptionField &field : engine::optionFields()) {
        const std::int32_t value = m_preferences.readNumber(valueNameText(field.valueName), field.firstStartDefault);
        field.of(m_options) = value;
        if (field.field == &engine::RunOptions::tagId) {
            // A value outside the five criteria leaves every radio unchecked.
            for (const auto &item : criterionRadios())
                m_controls[item.id]->setChecked(item.id == value);
        } else if (field.field == &engine::RunOptions::trackStep) {
            m_options.trackStep = engine::clampTrackStep(value);
            m_controls[control_id::kStep]->setChecked(m_options.trackStep > 1);
        } else if (field.field == &engine::RunOptions::mp3Quality) {
            // The stored value is kept as it is until a quality radio is clicked.
            const int id = value == 0 ? control_id::kQualityStandard
                         : value == 1 ? control_id::kQualityHigh
                                      : control_id::kQualityMax;
            m_controls[id]->setChecked(true);
        } else if (const int id = checkBoxIdFor(field.valueName); id != 0) {
            m_controls[id]->setChecked(value != 0);
        }
    }
}

void TunvaleDialog::connectOptions()
{
    // clicked, not toggled: only the user's own changes are stored, never the loading.
    for (auto [id, button] : m_controls) {
        if (findCheckBox(id)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = id](bool checked) { storeCheckBox(id, checked); });
        }
    }
    for (const auto &item : criterionRadios()) {
        connect(m_controls[item.id], &QAbstractButton::clicked, this, [this, id = item.id] {
            m_options.tagId = id;
            m_preferences.writeNumber(QStringLiteral("TAG_ID"), id);
        });
    }
    for (const auto &item : qualityRadios()) {
        connect(m_controls[item.id], &QAbstractButton::clicked, this, [this, id = item.id] {
            m_options.mp3Quality = id - control_id::kQualityStandard;
            m_preferences.writeNumber(QStringLiteral("MP3_QUALITY"), m_options.mp3Quality);
        });
    }
    // What applies follows the boxes it depends on; Tab follows the checked radio.
    for (int id : {option_id::kConvert, option_id::kUpdateTrackNumbers})
        connect(m_controls[id], &QAbstractButton::toggled, this, &TunvaleDialog::updateControlStates);
    for (auto radios : {criterionRadios, qualityRadios}) {
        for (const auto &item : radios())
            connect(m_controls[item.id], &QAbstractButton::toggled, this, &TunvaleDialog::updateRadioFocus);
    }

    // A folder edit shows at once whether what is typed can be used; Enter takes the text as
    // the Select buttons take a chosen folder.
    connect(m_sourceEdit, &QLineEdit::textEdited, this, &TunvaleDialog::refreshFolderStates);
    connect(m_destinationEdit, &QLineEdit::textEdited, this, &TunvaleDialog::refreshFolderStates);
    connect(m_sourceEdit, &ColoredEdit::accepted, this, [this] {
        const QString path = takeFolderText(m_sourceEdit);
        refreshFolderStates();
        if (!m_organizer.isActive())
            m_session.sourceFolder = pathFromText(path);
        m_preferences.writeText(valueNameText(engine::kSourceFolderValue), path);
    });
    connect(m_destinationEdit, &ColoredEdit::accepted, this, [this] {
        const QString path = takeFolderText(m_destinationEdit);
        refreshFolderStates();
        if (!m_organizer.isActive())
            m_session.destinationFolder = pathFromText(path);
        m_preferences.writeText(valueNameText(engine::kDestinationFolderValue), path);
    });
}

void TunvaleDialog::storeCheckBox(int id, bool checked)
{
    const CheckBoxSpec *item = findCheckBox(id);
    const engine::OptionField *field = item ? engine::findOptionField(item->valueName) : nullptr;
    if (!field)
        return;
    std::int32_t value = checked ? 1 : 0;
    if (id == control_id::kStep)
        value = checked ? 10 : 1;
    field->of(m_options) = value;
    m_preferences.writeNumber(QString::fromLatin1(item->valueName), value);
}

void TunvaleDialog::updateControlStates()
{
    // While a run stops, Cancel (which says so), Exit (which closes the window at once) and
    // Help stay usable; everything that would start or change work waits.
    const bool live = !m_stopping;
    for (auto [id, button] : m_controls)
        button->setEnabled(live || id == control_id::kCancel || id == control_id::kExit);
    m_sourceEdit->setEnabled(live);
    m_destinationEdit->setEnabled(live);
    m_menuBar->setEnabled(true);
    if (!live)
        return;
    // One run at a time; a worker given up and still returning keeps the tag records busy.
    m_controls[control_id::kOrganize]->setEnabled(!m_organizer.isActive() && !m_organizer.abandonedWorkerRunning());
    m_controls[control_id::kPreview]->setEnabled(m_controls[control_id::kOrganize]->isEnabled() && !m_previewJob);
    updateDetailsLink();
    const bool converting = m_controls[option_id::kConvert]->isChecked();
    for (const auto &item : qualityRadios())
        m_controls[item.id]->setEnabled(converting);
    m_controls[control_id::kStep]->setEnabled(m_controls[option_id::kUpdateTrackNumbers]->isChecked());
}

void TunvaleDialog::updateRadioFocus()
{
    // Tab reaches a radio group through its checked radio (the first when none is checked);
    // the arrow keys move within the group.
    for (auto radios : {criterionRadios, qualityRadios}) {
        const auto group = radios();
        const auto checked = std::find_if(group.begin(), group.end(),
                                          [&](const RadioSpec &item) { return m_controls[item.id]->isChecked(); });
        const int tabId = checked != group.end() ? checked->id : group.front().id;
        for (const auto &item : group)
            m_controls[item.id]->setFocusPolicy(item.id == tabId ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

QAbstractButton *TunvaleDialog::control(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void TunvaleDialog::selectSource()
{
    if (m_stopping)
        return;
    // The picker opens at the folder the edit shows; the stored one when the edit names none.
    QString start = cleanFolderText(m_sourceEdit->text());
    if (checkSource(start).state != FolderState::Folder)
        start = m_preferences.readText(valueNameText(engine::kSourceFolderValue), defaultFolder());
    const std::optional<QString> chosen =
        m_prompts.pickFolder(this, tr("Folder where the Audio Files are located"), start, true);
    if (!chosen)
        return;
    const QString path = chosen->left(kMaxFolderLength);
    // The worker never reads the source folder, but the scan of the next run does.
    if (!m_organizer.isActive())
        m_session.sourceFolder = pathFromText(path);
    m_sourceEdit->setText(path);
    refreshFolderStates();
    m_preferences.writeText(valueNameText(engine::kSourceFolderValue), path);
}

void TunvaleDialog::selectDestination()
{
    if (m_stopping)
        return;
    const QString current = cleanFolderText(m_destinationEdit->text());
    const std::optional<QString> chosen =
        m_prompts.pickFolder(this, tr("Main Folder where the Sub-folders will be created"), current, false);
    if (!chosen)
        return;
    const QString path = chosen->left(kMaxFolderLength);
    m_destinationEdit->setText(path);
    // A running worker reads the session's destination: it is replaced only between runs
    // (Organize takes the edit's text anyway).
    if (!m_organizer.isActive())
        m_session.destinationFolder = pathFromText(path);
    refreshFolderStates();
    m_preferences.writeText(valueNameText(engine::kDestinationFolderValue), path);
}

void TunvaleDialog::showStatusWord(const QString &word, std::uint32_t colour)
{
    m_statusBox->setColour(colour);
    m_statusBox->setText(word);
    m_statusBox->show();
    m_statusBox->repaint();
}

engine::FolderField TunvaleDialog::refuseUnusableFolders(const QString &source, const QString &destination)
{
    // The source first; an empty field is left to the run's own checks, which name it.
    const FolderCheck from = checkSource(source);
    if (const QString problem = FolderTexts::sourceProblem(from); !problem.isEmpty()) {
        refuseFolder(engine::FolderField::Source, problem);
        return engine::FolderField::Source;
    }
    if (from.state == FolderState::Empty)
        return engine::FolderField::None;
    // A destination that cannot be written (or made) is found before any file is read.
    const FolderCheck to = checkDestination(destination);
    if (const QString problem = FolderTexts::destinationProblem(to); !problem.isEmpty()) {
        refuseFolder(engine::FolderField::Destination, problem);
        return engine::FolderField::Destination;
    }
    return engine::FolderField::None;
}

void TunvaleDialog::refuseFolder(engine::FolderField field, const QString &message)
{
    // As the run's own refusals: a source to fix is a warning, a destination an error.
    const bool source = field == engine::FolderField::Source;
    const std::uint32_t colour = source ? kYellow : kRed;
    showStatusWord(EngineTexts::translate(source ? QStringLiteral("Warning") : QStringLiteral("Error")), colour);
    (source ? m_sourceEdit : m_destinationEdit)->setColour(colour);
    m_prompts.showMessage(this, message, {}, source ? MessageKind::Warning : MessageKind::Error);
}

void TunvaleDialog::organize()
{
    // One run at a time; a worker given up and still returning keeps the tag records busy.
    if (m_stopping || m_organizer.isActive() || m_organizer.abandonedWorkerRunning())
        return;
    for (const engine::OptionField &field : engine::runStartRereads())
        field.of(m_options) = m_preferences.readNumber(valueNameText(field.valueName), field.firstStartDefault);

    const QString source = takeFolderText(m_sourceEdit);
    const QString destination = takeFolderText(m_destinationEdit);
    const engine::FolderField refused = refuseUnusableFolders(source, destination);
    if (refused == engine::FolderField::Destination) {
        // The source was good: it is kept, as after any refusal of the destination.
        m_sourceEdit->setColour(kGreen);
        m_preferences.writeText(valueNameText(engine::kSourceFolderValue), source);
    }
    if (refused != engine::FolderField::None)
        return;
    // Copies put into the folder they are read from would be copied again by the next run:
    // asked first, No being the answer of Enter.
    if (const FolderOverlap overlap = folderOverlap(source, destination); overlap != FolderOverlap::None) {
        if (!m_prompts.askYesNo(this, FolderTexts::overlapQuestion(overlap, source, destination), DefaultAnswer::No))
            return;
    }

    Questions questions(*this);
    const engine::PrepareOutcome outcome = engine::prepareOrganize(
        m_session, m_options, pathFromText(source), pathFromText(destination), m_sink, questions);

    const bool sourceAccepted =
        outcome.status != engine::PrepareStatus::NoSource && outcome.status != engine::PrepareStatus::SourceMissing;
    if (sourceAccepted) {
        m_sourceEdit->setColour(kGreen);
        m_preferences.writeText(valueNameText(engine::kSourceFolderValue), source);
    }
    if (outcome.status != engine::PrepareStatus::Ready) {
        if (!outcome.statusWord.empty())
            showStatusWord(EngineTexts::translate(QString::fromStdU16String(outcome.statusWord)), outcome.statusColour);
        if (outcome.field == engine::FolderField::Source)
            m_sourceEdit->setColour(outcome.fieldColour);
        else if (outcome.field == engine::FolderField::Destination)
            m_destinationEdit->setColour(outcome.fieldColour);
        if (!outcome.message.empty())
            m_prompts.showMessage(this, EngineTexts::translate(QString::fromStdU16String(outcome.message)), {},
                                  refusalKind(outcome.statusWord));
        return;
    }
    m_destinationEdit->setColour(kGreen);
    m_preferences.writeText(valueNameText(engine::kDestinationFolderValue), destination);
    refreshFolderStates();

    // Notices of an earlier run still queued (one that was stopped) must not reach this one.
    m_sink.dropPending();
    m_lastWorkPermille = 0;
    m_runClock.start();
    m_organizer.start(m_options);
    updateControlStates();
}

void TunvaleDialog::applyProgress(std::int32_t position, std::int32_t range)
{
    // The run's own work reports follow its cost; its position notices are the protocol's
    // and are left aside until the summary fills and empties the bar.
    if (m_showingWork && !m_session.summaryShown)
        return;
    if (m_showingWork) {
        // Back to the protocol's figures: the run's own range, which the summary fills.
        m_showingWork = false;
        showWorkText(*m_progress, nullptr);
        if (m_session.progressRange > 0)
            m_progress->setRange(0, m_session.progressRange);
    }
    if (range > 0)
        m_progress->setRange(0, range);
    // Positions past the end fill the bar rather than being ignored.
    m_progress->setValue(std::clamp(position, m_progress->minimum(), m_progress->maximum()));
}

void TunvaleDialog::applyWork(const engine::WorkProgress &progress)
{
    // A report that arrives after the summary belongs to a run that is over.
    if (m_session.summaryShown)
        return;
    m_showingWork = true;
    m_lastWorkPermille = progress.permille;
    const auto elapsed =
        m_runClock.isValid() ? std::chrono::milliseconds(m_runClock.elapsed()) : std::chrono::milliseconds(0);
    showWorkText(*m_progress, &progress, elapsed);
}

void TunvaleDialog::showRunEndOnBar()
{
    // The summary's last notice empties the bar; the bar rather keeps what the run did: full
    // when it reached its end, where it stopped when it was aborted.
    if (!m_lastSummary)
        return;
    showWorkText(*m_progress, nullptr);
    m_showingWork = false;
    constexpr int kWhole = 1000;
    m_progress->setRange(0, kWhole);
    const bool aborted = m_lastSummary->word == u"Aborting";
    m_progress->setValue(aborted ? std::clamp(m_lastWorkPermille, 0, kWhole) : kWhole);
}

void TunvaleDialog::applyStatus(std::uint32_t colour, const QString &text, bool passing)
{
    if (colour != 0)
        m_statusBox->setColour(colour);
    if (!text.isEmpty()) {
        if (passing)
            m_statusBox->setPassingText(text);
        else
            m_statusBox->setText(text);
        m_statusBox->show();
    }
}

void TunvaleDialog::applyShowStatus(const QString &text, std::uint32_t colour, bool passing)
{
    if (!passing) {
        showStatusWord(text, colour);
        return;
    }
    m_statusBox->setColour(colour);
    m_statusBox->setPassingText(text);
    m_statusBox->show();
}

void TunvaleDialog::showWorkerMessage(const QString &text)
{
    m_prompts.showMessage(this, text, {}, MessageKind::Error);
}

void TunvaleDialog::handleRunEnded()
{
    m_lastSummary = m_organizer.handleRunEnded(m_setup.summaryPause);
    showRunEndOnBar();
    updateControlStates();
}

void TunvaleDialog::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // The window has no default button: Return acts on the control that has the focus, as
    // Space does (a check box is ticked, a radio chosen, a button pressed), and nothing else.
    if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()); button && button->isEnabled())
        button->click();
    event->accept();
}

void TunvaleDialog::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void TunvaleDialog::showManual()
{
    // Beside the main window, which stays usable while the manual is read.
    if (!m_manualWindow) {
        m_manualWindow = new ManualWindow(this);
        m_manualWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_manualWindow->show();
    m_manualWindow->raise();
    m_manualWindow->activateWindow();
}

ManualWindow *TunvaleDialog::manualWindow() const { return m_manualWindow.data(); }

} // namespace tunvale::ui
