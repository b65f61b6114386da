#include "ui/preview_window.h"

#include "engine/session/path_text.h"
#include "ui/plan_model.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace tunvale::ui {

namespace {

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
    return view;
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

    auto *tabs = new QTabWidget(this);
    auto *planModel = new PlanModel(m_plan, this);
    m_planView = makeView(tabs, planModel, QStringLiteral("planView"));
    m_planView->setAccessibleName(tr("Planned folders and files"));
    // Unfolded one folder after the other from the top: each folder's rows then go in at the
    // end of the rows laid out so far (expandAll inserts them in the middle, which takes a
    // minute for 100 000 files).
    for (int row = 0; row < planModel->rowCount(); ++row)
        m_planView->expand(planModel->index(row, 0));
    m_planView->setColumnWidth(PlanModel::kName, 360);
    m_planView->setColumnWidth(PlanModel::kSource, 220);
    tabs->addTab(m_planView, tr("&Plan (%n file(s))", nullptr, static_cast<int>(m_plan->fileCount())));

    auto *accountModel = new AccountModel(m_plan->skipped, m_plan->failed, this);
    m_accountView = makeView(tabs, accountModel, QStringLiteral("skippedView"));
    m_accountView->setRootIsDecorated(false);
    m_accountView->setAccessibleName(tr("Files skipped or not placed"));
    m_accountView->setColumnWidth(0, 360);
    tabs->addTab(m_accountView,
                 tr("&Skipped (%n)", nullptr, static_cast<int>(m_plan->skipped.size() + m_plan->failed.size())));
    layout->addWidget(tabs, 1);

    m_summary = new QLabel(QString::fromStdU16String(m_plan->summary), this);
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

AccountWindow::AccountWindow(std::vector<engine::SkippedFile> skipped, std::vector<engine::FailedFile> failed,
                             QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Files skipped and not placed"));
    setObjectName(QStringLiteral("accountWindow"));
    auto *layout = new QVBoxLayout(this);
    auto *model = new AccountModel(std::move(skipped), std::move(failed), this);
    m_view = makeView(this, model, QStringLiteral("accountView"));
    m_view->setRootIsDecorated(false);
    m_view->setAccessibleName(tr("Files skipped or not placed"));
    m_view->setColumnWidth(0, 360);
    layout->addWidget(m_view, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 360);
}

} // namespace tunvale::ui
