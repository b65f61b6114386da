// The main dialog's controls and their layout: the folders across the top, the options on the
// left, the formats, the criterion and the MP3 group on the right, then the status box, the
// progress bar and the command buttons. Two columns keep the window low enough for a laptop
// screen; extra height goes below the groups, extra width to the folder edits and the columns.
#include "output/mp3_encoder.h"
#include "ui/colored_edit.h"
#include "ui/dialog_controls.h"
#include "ui/folder_check.h"
#include "ui/link_button.h"
#include "ui/program_icon.h"
#include "ui/tunvale_dialog.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tunvale::ui {

namespace {

// The folders are at most 518 characters long.
constexpr int kMaxFolderLength = 518;

QPushButton *makeButton(QWidget *parent, const QString &caption, const char *name)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// Some styles (Adwaita) draw group titles in bold but size the group for the plain font: the
// group keeps room for its whole title either way.
void reserveTitleWidth(QGroupBox *group)
{
    QFont bold = group->font();
    bold.setBold(true);
    const int title = QFontMetrics(bold).horizontalAdvance(group->title() + QLatin1Char(' '));
    group->setMinimumWidth(std::max(group->minimumSizeHint().width(), title + 2 * group->fontMetrics().height()));
}

} // namespace

void TunvaleDialog::buildControls()
{
    auto *menuBar = new QMenuBar(this);
    m_menuBar = menuBar;
    QMenu *help = menuBar->addMenu(tr("&Help"));
    m_manualAction = help->addAction(tr("Tunvale &Manual"));
    m_manualAction->setShortcut(QKeySequence::HelpContents);
    connect(m_manualAction, &QAction::triggered, this, &TunvaleDialog::showManual);
    help->addSeparator();
    m_aboutAction = help->addAction(tr("&About Tunvale..."));
    connect(m_aboutAction, &QAction::triggered, this, &TunvaleDialog::showAbout);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);

    // The two folders: label, edit, its state in words, Select on one row each. The state
    // column is as wide as its longest text, so the edits keep their width while one types.
    auto *folders = new QGridLayout;
    auto addFolder = [&](int row, const QString &label, int buttonId, ColoredEdit *&edit, QLabel *&buddy,
                         QLabel *&state, const char *editName, const char *buttonName) {
        buddy = new QLabel(label, this);
        folders->addWidget(buddy, row, 0);
        edit = new ColoredEdit(this);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setMaxLength(kMaxFolderLength);
        buddy->setBuddy(edit);
        folders->addWidget(edit, row, 1);
        state = new QLabel(this);
        state->setObjectName(QString::fromLatin1(editName) + QStringLiteral("State"));
        folders->addWidget(state, row, 2);
        QPushButton *select = makeButton(this, buttonId == control_id::kSelectSource ? tr("&Select") : tr("Se&lect"),
                                         buttonName);
        m_controls[buttonId] = select;
        folders->addWidget(select, row, 3);
    };
    addFolder(0, tr("Source Folder"), control_id::kSelectSource, m_sourceEdit, m_sourceLabel, m_sourceState,
              "sourceEdit", "select1000");
    addFolder(1, tr("Destination Folder"), control_id::kSelectDestination, m_destinationEdit, m_destinationLabel,
              m_destinationState, "destinationEdit", "select1001");
    folders->setColumnStretch(1, 1);
    int stateWidth = 0;
    for (FolderState each : {FolderState::Missing, FolderState::NotAFolder, FolderState::Unreadable}) {
        FolderCheck check;
        check.state = each;
        stateWidth = std::max(stateWidth, fontMetrics().horizontalAdvance(FolderTexts::sourceState(check)));
    }
    for (FolderState each : {FolderState::NotAFolder, FolderState::NotWritable, FolderState::CannotBeCreated,
                             FolderState::WillBeCreated}) {
        for (bool readOnly : {false, true}) {
            FolderCheck check;
            check.state = each;
            check.readOnlyDisk = readOnly;
            for (FolderOverlap overlap :
                 {FolderOverlap::None, FolderOverlap::Same, FolderOverlap::DestinationInsideSource}) {
                stateWidth = std::max(stateWidth,
                                      fontMetrics().horizontalAdvance(FolderTexts::destinationState(check, overlap)));
            }
        }
    }
    folders->setColumnMinimumWidth(2, stateWidth);
    layout->addLayout(folders);
    connect(static_cast<QPushButton *>(m_controls[control_id::kSelectSource]), &QPushButton::clicked, this,
            &TunvaleDialog::selectSource);
    connect(static_cast<QPushButton *>(m_controls[control_id::kSelectDestination]), &QPushButton::clicked, this,
            &TunvaleDialog::selectDestination);

    auto addCheckBox = [&](const CheckBoxSpec &item, QWidget *parent, QLayout *into) {
        auto *box = new QCheckBox(tr(item.caption), parent);
        box->setObjectName(QString::fromLatin1(item.valueName));
        if (item.toolTip != nullptr)
            box->setToolTip(tr(item.toolTip));
        m_controls[item.id] = box;
        into->addWidget(box);
    };
    auto addRadio = [&](const RadioSpec &item, QWidget *parent, QLayout *into) {
        auto *radio = new QRadioButton(tr(item.caption), parent);
        radio->setObjectName(QStringLiteral("radio%1").arg(item.id));
        radio->setToolTip(tr(item.toolTip));
        m_controls[item.id] = radio;
        into->addWidget(radio);
    };

    // Left column: the options.
    auto *optionGroup = new QGroupBox(tr("Options"), this);
    auto *optionLayout = new QVBoxLayout(optionGroup);
    for (const auto &item : optionBoxes())
        addCheckBox(item, optionGroup, optionLayout);
    auto *left = new QVBoxLayout;
    left->addWidget(optionGroup);
    left->addStretch(1);

    // Right column: formats and criterion side by side, the MP3 group below.
    auto *formatGroup = new QGroupBox(tr("Source File Audio Format"), this);
    auto *formatLayout = new QVBoxLayout(formatGroup);
    for (const auto &item : formatBoxes())
        addCheckBox(item, formatGroup, formatLayout);
    formatLayout->addStretch(1);
    auto *criterionGroup = new QGroupBox(tr("Organize by"), this);
    auto *criterionLayout = new QVBoxLayout(criterionGroup);
    for (const auto &item : criterionRadios())
        addRadio(item, criterionGroup, criterionLayout);
    auto *choices = new QHBoxLayout;
    choices->addWidget(formatGroup);
    choices->addWidget(criterionGroup);

    auto *mp3Group = new QGroupBox(tr("MP3 format"), this);
    auto *mp3Layout = new QGridLayout(mp3Group);
    auto *convertRow = new QVBoxLayout;
    addCheckBox(convertBox(), mp3Group, convertRow);
    mp3Layout->addLayout(convertRow, 0, 0, 1, 2);
    m_picture = new QuaverPicture(40, mp3Group);
    m_picture->setObjectName(QStringLiteral("picture1026"));
    mp3Layout->addWidget(m_picture, 1, 0, Qt::AlignTop);
    auto *qualityLayout = new QVBoxLayout;
    for (const auto &item : qualityRadios())
        addRadio(item, mp3Group, qualityLayout);
    mp3Layout->addLayout(qualityLayout, 1, 1);
    auto *note = new QLabel(tr("( The files already in 'mp3' format will not be modified )"), mp3Group);
    note->setObjectName(QStringLiteral("mp3Note"));
    note->setWordWrap(true);
    mp3Layout->addWidget(note, 2, 0, 1, 2);
    mp3Layout->setColumnStretch(1, 1);

    auto *right = new QVBoxLayout;
    right->addLayout(choices);
    right->addWidget(mp3Group);
    right->addStretch(1);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    layout->addLayout(columns, 1);

    m_statusBox = new StatusBox(this);
    m_statusBox->setObjectName(QStringLiteral("statusBox"));
    // Hidden until its first text, without the window changing its layout then.
    QSizePolicy policy = m_statusBox->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_statusBox->setSizePolicy(policy);
    m_statusBox->hide();
    // "Details..." beside it, after a run that skipped or could not place files.
    m_detailsLink = new LinkButton(tr("Details\u2026"), this);
    m_detailsLink->setToolTip(tr("The files the last run skipped or could not place, with the reasons"));
    m_detailsLink->setObjectName(QStringLiteral("detailsLink"));
    m_detailsLink->setAccessibleName(tr("Details of the files skipped and not placed"));
    m_detailsLink->hide();
    connect(m_detailsLink, &QPushButton::clicked, this, &TunvaleDialog::showDetails);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusBox, 1);
    statusRow->addWidget(m_detailsLink);
    layout->addLayout(statusRow);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);

    QPushButton *organizeButton = makeButton(this, tr("&Organize"), "organizeButton");
    m_controls[control_id::kOrganize] = organizeButton;
    connect(organizeButton, &QPushButton::clicked, this, &TunvaleDialog::organize);
    QPushButton *previewButton = makeButton(this, tr("Pre&view"), "previewButton");
    m_controls[control_id::kPreview] = previewButton;
    connect(previewButton, &QPushButton::clicked, this, &TunvaleDialog::preview);
    QPushButton *cancelButton = makeButton(this, tr("&Cancel"), "cancelButton");
    m_controls[control_id::kCancel] = cancelButton;
    connect(cancelButton, &QPushButton::clicked, this, &TunvaleDialog::cancelSession);
    // No default button: Return presses the focused control, never Exit (see keyPressEvent).
    QPushButton *exitButton = makeButton(this, tr("E&xit"), "exitButton");
    m_controls[control_id::kExit] = exitButton;
    connect(exitButton, &QPushButton::clicked, this, &TunvaleDialog::exitDialog);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(organizeButton);
    buttons->addWidget(previewButton);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(exitButton);
    layout->addLayout(buttons);

    // Tab goes through the window in reading order: folders, options, formats, criterion, MP3
    // group, then the commands.
    QList<QWidget *> order = {m_sourceEdit, m_controls[control_id::kSelectSource], m_destinationEdit,
                              m_controls[control_id::kSelectDestination]};
    for (const auto &item : optionBoxes())
        order << m_controls[item.id];
    for (const auto &item : formatBoxes())
        order << m_controls[item.id];
    for (const auto &item : criterionRadios())
        order << m_controls[item.id];
    order << m_controls[convertBox().id];
    for (const auto &item : qualityRadios())
        order << m_controls[item.id];
    order << m_detailsLink << organizeButton << previewButton << cancelButton << exitButton;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The conversion box names the LAME library the program runs with; its mnemonic is the
    // first character of the version no other control uses.
    QSet<QChar> taken = {QChar(QLatin1Char('H'))}; // the Help menu
    for (auto [id, button] : m_controls) {
        if (id != convertBox().id) {
            const QString caption = button->text();
            const qsizetype at = caption.indexOf(QLatin1Char('&'));
            if (at >= 0 && at + 1 < caption.size())
                taken.insert(caption[at + 1].toUpper());
        }
    }
    m_controls[convertBox().id]->setText(
        convertCaption(tr(convertBox().caption), QString::fromStdString(output::lameVersion()), taken));

    // Once every caption is final.
    for (QGroupBox *group : {optionGroup, formatGroup, criterionGroup, mp3Group})
        reserveTitleWidth(group);
}

void TunvaleDialog::describeControls()
{
    // What assistive technology announces, and the tooltips of the folders and commands (the
    // options carry theirs from their table).
    m_sourceEdit->setAccessibleName(tr("Source folder"));
    m_sourceEdit->setToolTip(tr("The folder whose audio files are sorted, sub-folders included; its files are only read"));
    m_destinationEdit->setAccessibleName(tr("Destination folder"));
    m_destinationEdit->setToolTip(tr("The folder that receives one sub-folder per group"));
    QAbstractButton *selectSource = m_controls[control_id::kSelectSource];
    selectSource->setAccessibleName(tr("Select source folder"));
    selectSource->setToolTip(tr("Choose the folder that holds the audio files"));
    QAbstractButton *selectDestination = m_controls[control_id::kSelectDestination];
    selectDestination->setAccessibleName(tr("Select destination folder"));
    selectDestination->setToolTip(tr("Choose or name the folder the sorted copies go into"));
    m_controls[control_id::kOrganize]->setToolTip(
        tr("Sort the audio files of the source folder into sub-folders of the destination folder"));
    m_controls[control_id::kPreview]->setToolTip(
        tr("Show what Organize would do with these folders and options, without writing anything"));
    m_controls[control_id::kCancel]->setToolTip(
        tr("Stop a run, then offer to delete what this session created (Escape)"));
    m_controls[control_id::kExit]->setToolTip(tr("Stop a run and close Tunvale"));
    m_statusBox->setAccessibleDescription(tr("Status of the run"));
    m_progress->setAccessibleName(tr("Progress of the run"));
    m_progress->setAccessibleDescription(tr("How much of the files found has been loaded and placed"));
    m_picture->setAccessibleName(tr("Tunvale"));
}

} // namespace tunvale::ui
