#include "ui/tunvale_dlg.h"

#include "engine/organize_command.h"
#include "engine/path_text.h"
#include "engine/session_undo.h"
#include "output/status_reporter.h"
#include "ui/about_dialog.h"
#include "ui/dialog_prompts.h"
#include "ui/edit_color.h"
#include "ui/preferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace tunvale::ui {

namespace fs = std::filesystem;
using namespace output::colour;

namespace {

// The colour of a folder edit that names no folder the dialog can use.
constexpr std::uint32_t kWhite = 0xFFFFFF;

// The check boxes of the options, with the value each one is stored under.
struct CheckBoxSpec {
    int id;
    const char *valueName;
    const char *caption;
};

constexpr CheckBoxSpec kFormatBoxes[] = {
    {1012, "MP3_FORMAT", "Mp3"},
    {1013, "FLAC_FORMAT", "Flac"},
    {1014, "WAV_FORMAT", "Wav"},
    {1015, "AIFF_FORMAT", "Aiff"},
};

constexpr CheckBoxSpec kOptionBoxes[] = {
    {1016, "GROUP_ISOLATED", "Group isolated files in a \"Miscellaneous\" folder"},
    {1017, "ACCEPT_SIMILITUDES", "Accept similitudes"},
    {1018, "FILE_REPLACE", "Replace existing files (otherwise create another iteration)"},
    {1021, "TAGSFROMNAME", "Use the File Name to fill the -MISSING- Title and Artist tags"},
    {1020, "NEWFILENAMES", "Use the Meta Data Tags to create new File Names"},
    {1027, "ADD_ARTIST", "Add the Artist in head of the Track Title ( when not already present )"},
    {1028, "ADD_COMPOSER", "Add the Composer to the Track Title ( when not already present )"},
    {1029, "ALPHA_TRACK", "Update the Track Numbers inside each folder"},
    {1019, "IDC_TRk_INCREMENT", "Increment step = 10 for spacing"},
    {1030, "REMOVE_PICTS", "Remove the Album Art Pictures"},
};

constexpr CheckBoxSpec kConvertBox = {1022, "MP3_CONVERT", "Create files in 'mp3' format (using LAME 3.99)"};

struct RadioSpec {
    int id;
    const char *caption;
};

constexpr RadioSpec kCriterionRadios[] = {
    {1004, "Artist"}, {1005, "Album"}, {1006, "Genre"}, {1007, "Decade"}, {1008, "Year"},
};

constexpr RadioSpec kQualityRadios[] = {
    {1023, "Standard quality 128K CBR"},
    {1024, "High quality 250K VBR"},
    {1025, "Max quality 320K CBR"},
};

const CheckBoxSpec *findCheckBox(int id)
{
    for (const auto &box : kFormatBoxes)
        if (box.id == id)
            return &box;
    for (const auto &box : kOptionBoxes)
        if (box.id == id)
            return &box;
    return kConvertBox.id == id ? &kConvertBox : nullptr;
}

// The check box or radio id that shows a stored option.
int controlIdFor(std::string_view valueName)
{
    for (const auto &box : kFormatBoxes)
        if (valueName == box.valueName)
            return box.id;
    for (const auto &item : kOptionBoxes)
        if (valueName == item.valueName)
            return item.id;
    return valueName == kConvertBox.valueName ? kConvertBox.id : 0;
}

QString valueNameText(std::string_view name)
{
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

fs::path pathFromText(const QString &text)
{
    return engine::pathFromUtf16(text.toStdU16String());
}

bool isFolder(const QString &text)
{
    return !text.isEmpty() && QFileInfo(text).isDir();
}

// The folders are at most 518 characters long.
constexpr int kMaxFolderLength = 518;

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

// The engine's questions, answered through the dialog's prompts.
class CTunvaleDlg::Questions final : public engine::OrganizeQuestions,
                                     public engine::AbortQuestions,
                                     public engine::UndoQuestions {
public:
    explicit Questions(CTunvaleDlg &dialog) : m_dialog(dialog) {}
    ~Questions() override
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }

    bool createMissingDestination(const fs::path &) override
    {
        return ask(u"This destination Folder doesn't exist.\r\nDo you want to create it ?");
    }
    bool confirmAbort() override
    {
        if (!ask(engine::kAbortQuestion))
            return false;
        // From here the dialog waits for the worker: the worker must not wait for the dialog.
        m_dialog.m_sink.setReleaseWaits(true);
        return true;
    }
    bool deleteEverything() override { return ask(engine::kAskDeleteEverything); }
    bool deleteSessionFiles() override { return ask(engine::kAskDeleteSessionFiles); }
    void showMessage(const std::u16string &text) override
    {
        m_dialog.m_prompts.showMessage(&m_dialog, QString::fromStdU16String(text));
    }
    void showBusy(bool busy) override
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

private:
    bool ask(std::u16string_view text)
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog, QString::fromStdU16String(std::u16string(text)));
    }

    CTunvaleDlg &m_dialog;
    bool m_busy = false;
};

CTunvaleDlg::CTunvaleDlg(engine::RunOptions &options, CPreferences &preferences, DialogPrompts &prompts,
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
    setWindowIcon(QIcon(programPixmap(64)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    buildControls();
    loadFolders();
    m_session.miscellaneousFolderName = u"Miscellaneous";
    loadOptions();
    connectOptions();

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
}

CTunvaleDlg::~CTunvaleDlg()
{
    // The worker works on this dialog's session: it is stopped before anything goes. Nothing
    // may wait for the dialog from here on.
    m_sink.setReleaseWaits(true);
    if (m_organizer.isActive()) {
        engine::AbortWithoutAsking yes;
        engine::abortRun(m_organizer, yes, m_setup.abortTiming);
    }
}

void CTunvaleDlg::buildControls()
{
    auto *menuBar = new QMenuBar(this);
    QMenu *help = menuBar->addMenu(QStringLiteral("&Help"));
    m_aboutAction = help->addAction(QStringLiteral("&About Tunvale..."));
    connect(m_aboutAction, &QAction::triggered, this, &CTunvaleDlg::showAbout);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);

    // The two folders.
    auto *folders = new QGridLayout;
    auto addFolder = [&](int row, const QString &label, int buttonId, CEditColor *&edit, const char *name) {
        folders->addWidget(new QLabel(label, this), row, 0);
        auto *select = new QPushButton(QStringLiteral("Select"), this);
        select->setObjectName(QStringLiteral("select%1").arg(buttonId));
        select->setAutoDefault(false);
        m_controls[buttonId] = select;
        folders->addWidget(select, row, 1, Qt::AlignRight);
        edit = new CEditColor(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(kMaxFolderLength);
        folders->addWidget(edit, row + 1, 0, 1, 2);
    };
    addFolder(0, QStringLiteral("Source Folder"), control_id::kSelectSource, m_sourceEdit, "sourceEdit");
    addFolder(2, QStringLiteral("Destination Folder"), control_id::kSelectDestination, m_destinationEdit,
              "destinationEdit");
    layout->addLayout(folders);
    connect(static_cast<QPushButton *>(m_controls[control_id::kSelectSource]), &QPushButton::clicked, this,
            &CTunvaleDlg::selectSource);
    connect(static_cast<QPushButton *>(m_controls[control_id::kSelectDestination]), &QPushButton::clicked, this,
            &CTunvaleDlg::selectDestination);

    auto addCheckBox = [&](const CheckBoxSpec &item, QLayout *into) {
        auto *box = new QCheckBox(QString::fromUtf8(item.caption), this);
        box->setObjectName(QString::fromLatin1(item.valueName));
        m_controls[item.id] = box;
        into->addWidget(box);
    };
    auto addRadio = [&](const RadioSpec &item, QLayout *into) {
        auto *radio = new QRadioButton(QString::fromUtf8(item.caption), this);
        radio->setObjectName(QStringLiteral("radio%1").arg(item.id));
        m_controls[item.id] = radio;
        into->addWidget(radio);
    };

    // Formats and criterion side by side.
    auto *formatGroup = new QGroupBox(QStringLiteral("Source File Audio Format"), this);
    auto *formatLayout = new QVBoxLayout(formatGroup);
    for (const auto &item : kFormatBoxes)
        addCheckBox(item, formatLayout);
    auto *criterionGroup = new QGroupBox(QStringLiteral("Organize by"), this);
    auto *criterionLayout = new QVBoxLayout(criterionGroup);
    for (const auto &item : kCriterionRadios)
        addRadio(item, criterionLayout);
    auto *choices = new QHBoxLayout;
    choices->addWidget(formatGroup);
    choices->addWidget(criterionGroup);
    layout->addLayout(choices);

    auto *optionGroup = new QGroupBox(QStringLiteral("Options"), this);
    auto *optionLayout = new QVBoxLayout(optionGroup);
    for (const auto &item : kOptionBoxes)
        addCheckBox(item, optionLayout);
    layout->addWidget(optionGroup);

    auto *mp3Group = new QGroupBox(QStringLiteral("MP3 format"), this);
    auto *mp3Layout = new QGridLayout(mp3Group);
    auto *convertRow = new QVBoxLayout;
    addCheckBox(kConvertBox, convertRow);
    mp3Layout->addLayout(convertRow, 0, 0, 1, 2);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("picture1026"));
    m_picture->setPixmap(programPixmap(40));
    mp3Layout->addWidget(m_picture, 1, 0, Qt::AlignTop);
    auto *qualityLayout = new QVBoxLayout;
    for (const auto &item : kQualityRadios)
        addRadio(item, qualityLayout);
    mp3Layout->addLayout(qualityLayout, 1, 1);
    mp3Layout->addWidget(new QLabel(QStringLiteral("( The files already in 'mp3' format will not be modified )"), this),
                         2, 0, 1, 2);
    mp3Layout->setColumnStretch(1, 1);
    layout->addWidget(mp3Group);

    auto *organizeButton = new QPushButton(QStringLiteral("Organize"), this);
    organizeButton->setObjectName(QStringLiteral("organizeButton"));
    organizeButton->setAutoDefault(false);
    m_controls[control_id::kOrganize] = organizeButton;
    connect(organizeButton, &QPushButton::clicked, this, &CTunvaleDlg::organize);
    layout->addWidget(organizeButton);

    m_statusBox = new CStatusBox(this);
    m_statusBox->setObjectName(QStringLiteral("statusBox"));
    // Hidden until its first text, without the window changing its layout then.
    QSizePolicy policy = m_statusBox->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_statusBox->setSizePolicy(policy);
    m_statusBox->hide();
    layout->addWidget(m_statusBox);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);

    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    m_controls[control_id::kCancel] = cancelButton;
    connect(cancelButton, &QPushButton::clicked, this, &CTunvaleDlg::cancelSession);
    auto *exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    exitButton->setDefault(true);
    m_controls[control_id::kExit] = exitButton;
    connect(exitButton, &QPushButton::clicked, this, &CTunvaleDlg::exitDialog);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(exitButton);
    layout->addLayout(buttons);
}

void CTunvaleDlg::loadFolders()
{
    const QString fallback = defaultFolder();
    QString source = m_preferences.readText(valueNameText(engine::kSourceFolderValue), fallback);
    QString destination = m_preferences.readText(valueNameText(engine::kDestinationFolderValue), fallback);
    // Folders given on the command line are shown instead; they are stored when Organize
    // accepts them.
    if (!m_setup.source.isEmpty())
        source = m_setup.source.left(kMaxFolderLength);
    if (!m_setup.destination.isEmpty())
        destination = m_setup.destination.left(kMaxFolderLength);

    m_session.sourceFolder = pathFromText(source);
    m_sourceEdit->setText(source);
    m_sourceEdit->setColour(isFolder(source) ? kGreen : kLightRed);

    m_session.destinationFolder = pathFromText(destination);
    m_destinationEdit->setText(destination);
    m_destinationEdit->setColour(isFolder(destination) ? kGreen : kWhite);
}

void CTunvaleDlg::loadOptions()
{
    for (const engine::OptionField &field : engine::optionFields()) {
        const std::int32_t value = m_preferences.readNumber(valueNameText(field.valueName), field.firstStartDefault);
        m_options.*field.field = value;
        if (field.field == &engine::RunOptions::tagId) {
            // A value outside the five criteria leaves every radio unchecked.
            for (const auto &item : kCriterionRadios)
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
        } else if (const int id = controlIdFor(field.valueName); id != 0) {
            m_controls[id]->setChecked(value != 0);
        }
    }
}

void CTunvaleDlg::connectOptions()
{
    // clicked, not toggled: only the user's own changes are stored, never the loading.
    for (auto [id, button] : m_controls) {
        if (findCheckBox(id)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = id](bool checked) { storeCheckBox(id, checked); });
        }
    }
    for (const auto &item : kCriterionRadios) {
        connect(m_controls[item.id], &QAbstractButton::clicked, this, [this, id = item.id] {
            m_options.tagId = id;
            m_preferences.writeNumber(QStringLiteral("TAG_ID"), id);
        });
    }
    for (const auto &item : kQualityRadios) {
        connect(m_controls[item.id], &QAbstractButton::clicked, this, [this, id = item.id] {
            m_options.mp3Quality = id - control_id::kQualityStandard;
            m_preferences.writeNumber(QStringLiteral("MP3_QUALITY"), m_options.mp3Quality);
        });
    }
}

void CTunvaleDlg::storeCheckBox(int id, bool checked)
{
    const CheckBoxSpec *item = findCheckBox(id);
    const engine::OptionField *field = item ? engine::findOptionField(item->valueName) : nullptr;
    if (!field)
        return;
    std::int32_t value = checked ? 1 : 0;
    if (id == control_id::kStep)
        value = checked ? 10 : 1;
    m_options.*field->field = value;
    m_preferences.writeNumber(QString::fromLatin1(item->valueName), value);
}

QAbstractButton *CTunvaleDlg::control(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void CTunvaleDlg::selectSource()
{
    const QString start = m_preferences.readText(valueNameText(engine::kSourceFolderValue), defaultFolder());
    const std::optional<QString> chosen =
        m_prompts.pickFolder(this, QStringLiteral("Folder where the Audio Files are located"), start, true);
    if (!chosen)
        return;
    const QString path = chosen->left(kMaxFolderLength);
    m_sourceEdit->setColour(isFolder(path) ? kGreen : kLightRed);
    // The worker never reads the source folder, but the scan of the next run does.
    if (!m_organizer.isActive())
        m_session.sourceFolder = pathFromText(path);
    m_sourceEdit->setText(path);
    m_preferences.writeText(valueNameText(engine::kSourceFolderValue), path);
}

void CTunvaleDlg::selectDestination()
{
    const QString current = m_destinationEdit->text();
    if (!isFolder(current))
        m_destinationEdit->setColour(kWhite);
    const std::optional<QString> chosen = m_prompts.pickFolder(
        this, QStringLiteral("Main Folder where the Sub-folders will be created"), current, false);
    if (!chosen)
        return;
    const QString path = chosen->left(kMaxFolderLength);
    m_destinationEdit->setText(path);
    // A running worker reads the session's destination: it is replaced only between runs
    // (Organize takes the edit's text anyway).
    if (!m_organizer.isActive())
        m_session.destinationFolder = pathFromText(path);
    m_destinationEdit->setColour(isFolder(path) ? kGreen : kLightRed);
    m_preferences.writeText(valueNameText(engine::kDestinationFolderValue), path);
}

void CTunvaleDlg::showStatusWord(const QString &word, std::uint32_t colour)
{
    m_statusBox->setColour(colour);
    m_statusBox->setText(word);
    m_statusBox->show();
    m_statusBox->repaint();
}

void CTunvaleDlg::organize()
{
    // One run at a time; a worker given up and still returning keeps the tag records busy.
    if (m_organizer.isActive() || m_organizer.abandonedWorkerRunning())
        return;
    for (const engine::OptionField &field : engine::runStartRereads())
        m_options.*field.field = m_preferences.readNumber(valueNameText(field.valueName), field.firstStartDefault);

    const QString source = m_sourceEdit->text().left(kMaxFolderLength);
    const QString destination = m_destinationEdit->text().left(kMaxFolderLength);
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
            showStatusWord(QString::fromStdU16String(outcome.statusWord), outcome.statusColour);
        if (outcome.field == engine::FolderField::Source)
            m_sourceEdit->setColour(outcome.fieldColour);
        else if (outcome.field == engine::FolderField::Destination)
            m_destinationEdit->setColour(outcome.fieldColour);
        if (!outcome.message.empty())
            m_prompts.showMessage(this, QString::fromStdU16String(outcome.message));
        return;
    }
    m_destinationEdit->setColour(kGreen);
    m_preferences.writeText(valueNameText(engine::kDestinationFolderValue), destination);

    // Notices of an earlier run still queued (one that was stopped) must not reach this one.
    m_sink.dropPending();
    m_organizer.start(m_options);
}

void CTunvaleDlg::applyProgress(std::int32_t position, std::int32_t range)
{
    if (range > 0)
        m_progress->setRange(0, range);
    // Positions past the end fill the bar rather than being ignored.
    m_progress->setValue(std::clamp(position, m_progress->minimum(), m_progress->maximum()));
}

void CTunvaleDlg::applyStatus(std::uint32_t colour, const QString &text)
{
    if (colour != 0)
        m_statusBox->setColour(colour);
    if (!text.isEmpty()) {
        m_statusBox->setText(text);
        m_statusBox->show();
    }
}

void CTunvaleDlg::applyShowStatus(const QString &text, std::uint32_t colour)
{
    showStatusWord(text, colour);
}

void CTunvaleDlg::showWorkerMessage(const QString &text)
{
    m_prompts.showMessage(this, text);
}

void CTunvaleDlg::handleRunEnded()
{
    m_lastSummary = m_organizer.handleRunEnded(m_setup.summaryPause);
}

engine::AbortResult CTunvaleDlg::runAbortCommand()
{
    Questions questions(*this);
    engine::AbortResult result = engine::abortRun(m_organizer, questions, m_setup.abortTiming);
    afterAbort(result);
    return result;
}

void CTunvaleDlg::afterAbort(const engine::AbortResult &result)
{
    m_sink.setReleaseWaits(false);
    if (result.outcome == engine::AbortOutcome::GivenUp) {
        // The worker was left to stop alone: what it posted before is stale.
        m_sink.dropPending();
        if (result.summary)
            m_lastSummary = result.summary;
    }
}

void CTunvaleDlg::cancelSession()
{
    Questions questions(*this);
    const engine::CancelResult result =
        engine::cancelSession(m_organizer, questions, questions, m_setup.abortTiming);
    afterAbort(result.abort);
}

void CTunvaleDlg::reject()
{
    cancelSession();
}

void CTunvaleDlg::exitDialog()
{
    const engine::AbortResult result = runAbortCommand();
    // The user would not stop the run: the dialog stays, with the run going on.
    if (result.outcome == engine::AbortOutcome::Declined)
        return;
    m_exiting = true;
    done(QDialog::Accepted);
    m_exiting = false;
}

void CTunvaleDlg::closeEvent(QCloseEvent *event)
{
    if (!m_exiting && m_organizer.isActive()) {
        const engine::AbortResult result = runAbortCommand();
        if (result.outcome == engine::AbortOutcome::Declined) {
            event->ignore();
            return;
        }
    }
    // Closing forgets the session: nothing created can be undone afterwards.
    m_session.filesCreatedInSession.clear();
    m_session.createdInSession.clear();
    m_session.foldersCreatedInRun.clear();
    m_session.foldersCreatedInSession.clear();
    m_session.mainDirectoryList.clear();
    m_session.sourceFiles.clear();
    event->accept();
    // Hiding the window ends its modal loop; done() is left to Exit, which closes through here.
    if (!m_exiting)
        setResult(QDialog::Rejected);
}

void CTunvaleDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

} // namespace tunvale::ui
