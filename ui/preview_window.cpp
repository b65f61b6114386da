#include "ui/preview_window.h"

#include "engine/session/path_text.h"
#include "ui/plan_model.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tunvale::ui {

namespace {

constexpr int kMeasuredRows = 2000;

QTreeView *makeView(QWidget *parent, QAbstractItemModel *model, const QString &name)
{
    auto *view = new QTreeView(parent);
    view->setObjectName(name);
    view->setModel(model);
    // Every row as high as the first: long plans scroll without measuring each row.
    view->setUniformRowHeights(true);
    view->setAlternatingRowColors(true);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    view->header()->setStretchLastSection(true);
    // Column widths are measured on the first rows only: a plan of 100 000 files opens at once.
    view->header()->setResizeContentsPrecision(kMeasuredRows);
    return view;
}

// Each column but the last (which takes the rest) as wide as its texts, within reason: a long
// path is cut, and its tooltip holds it whole.
void fitColumns(QTreeView *view)
{
    const int widest = view->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 70;
    for (int column = 0; column + 1 < view->model()->columnCount(); ++column) {
        view->resizeColumnToContents(column);
        view->setColumnWidth(column, std::min(view->columnWidth(column), widest));
    }
}

} // namespace

PreviewWindow::PreviewWindow(std::shared_ptr<const engine::OrganizePlan> plan, QWidget *parent)
    : QDialog(parent), m_plan(std::move(plan))
{
    setWindowTitle(tr("Preview of the run"));
    setObjectName(QStringLiteral("previewWindow"));
    auto *layout = new QVBoxLayout(this);

    QString heading = tr("Nothing has been written yet. This is what Organize would do:");
    if (m_plan->destinationMissing)
        heading += QLatin1Char(' ')
            + tr("the destination folder %1 would be created.")
                  .arg(QString::fromStdU16String(engine::pathToUtf16(m_plan->destination)));
    auto *intro = new QLabel(heading, this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    // A warning about the folders, above the plan, shown only when there is one.
    m_warningRow = new QWidget(this);
    auto *warningIcon = new QLabel(m_warningRow);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    warningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    m_warning = new QLabel(m_warningRow);
    m_warning->setObjectName(QStringLiteral("previewWarning"));
    m_warning->setWordWrap(true);
    QFont bold = m_warning->font();
    bold.setBold(true);
    m_warning->setFont(bold);
    auto *warningLayout = new QHBoxLayout(m_warningRow);
    warningLayout->setContentsMargins(0, 0, 0, 0);
    warningLayout->addWidget(warningIcon, 0, Qt::AlignTop);
    warningLayout->addWidget(m_warning, 1);
    layout->addWidget(m_warningRow);
    m_warningRow->hide();

    auto *tabs = new QTabWidget(this);
    auto *planModel = new PlanModel(m_plan, this);
    m_planView = makeView(tabs, planModel, QStringLiteral("planView"));
    m_planView->setAccessibleName(tr("Planned folders and files"));
    // Unfolded one folder after the other from the top: each folder's rows then go in at the
    // end of the rows laid out so far (expandAll inserts them in the middle, which takes a
    // minute for 100 000 files).
    for (int row = 0; row < planModel->rowCount(); ++row)
        m_planView->expand(planModel->index(row, 0));
    fitColumns(m_planView);
    tabs->addTab(m_planView, tr("&Plan (%n file(s))", nullptr, static_cast<int>(m_plan->fileCount())));

    auto *accountModel = new AccountModel(m_plan->skipped, m_plan->failed, m_plan->source, this);
    m_accountView = makeView(tabs, accountModel, QStringLiteral("skippedView"));
    m_accountView->setRootIsDecorated(false);
    m_accountView->setAccessibleName(tr("Files skipped or not placed"));
    fitColumns(m_accountView);
    tabs->addTab(m_accountView,
                 tr("&Skipped (%n)", nullptr, static_cast<int>(m_plan->skipped.size() + m_plan->failed.size())));
    layout->addWidget(tabs, 1);

    m_summary = new QLabel(summaryText(*m_plan), this);
    m_summary->setObjectName(QStringLiteral("previewSummary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summary);

    auto *buttons = new QDialogButtonBox(this);
    m_organize = buttons->addButton(tr("&Organize"), QDialogButtonBox::AcceptRole);
    m_organize->setObjectName(QStringLiteral("previewOrganize"));
    m_organize->setToolTip(tr("Run the organize this preview shows"));
    m_organize->setEnabled(m_plan->fileCount() > 0);
    QPushButton *close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("previewClose"));
    layout->addWidget(buttons);
    connect(m_organize, &QPushButton::clicked, this, [this] {
        accept();
        emit organizeRequested();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 520);
}

void PreviewWindow::setWarning(const QString &text)
{
    m_warning->setText(text);
    m_warningRow->setVisible(!text.isEmpty());
}

QString PreviewWindow::summaryText(const engine::OrganizePlan &plan)
{
    const int files = static_cast<int>(plan.fileCount());
    int converted = 0;
    int folders = 0;
    int newFolders = 0;
    for (const engine::PlannedFolder &folder : plan.folders) {
        if (folder.files.empty())
            continue;
        ++folders;
        if (!folder.exists)
            ++newFolders;
        converted += static_cast<int>(
            std::count_if(folder.files.begin(), folder.files.end(), [](const auto &file) { return file.convert; }));
    }
    const QString separator = QStringLiteral(" \u00b7 ");
    QString text;
    if (files == 0) {
        text = tr("No file would be copied");
    } else {
        text = tr("%n file(s) would be copied", nullptr, files) + QLatin1Char(' ');
        if (newFolders == folders)
            text += tr("into %n new folder(s)", nullptr, folders);
        else if (newFolders == 0)
            text += tr("into %n existing folder(s)", nullptr, folders);
        else
            text += tr("into %n folder(s)", nullptr, folders) + tr(", %n of them new", nullptr, newFolders);
        if (converted > 0)
            text += separator + tr("%n converted to MP3", nullptr, converted);
    }
    if (!plan.skipped.empty())
        text += separator + tr("%n skipped", nullptr, static_cast<int>(plan.skipped.size()));
    if (!plan.failed.empty())
        text += separator + tr("%n could not be placed", nullptr, static_cast<int>(plan.failed.size()));
    return text;
}

AccountWindow::AccountWindow(std::vector<engine::SkippedFile> skipped, std::vector<engine::FailedFile> failed,
                             std::filesystem::path sourceFolder, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Files skipped and not placed"));
    setObjectName(QStringLiteral("accountWindow"));
    auto *layout = new QVBoxLayout(this);
    auto *model = new AccountModel(std::move(skipped), std::move(failed), std::move(sourceFolder), this);
    m_view = makeView(this, model, QStringLiteral("accountView"));
    m_view->setRootIsDecorated(false);
    m_view->setAccessibleName(tr("Files skipped or not placed"));
    fitColumns(m_view);
    layout->addWidget(m_view, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 360);
}

} // namespace tunvale::ui
