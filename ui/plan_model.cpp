#include "ui/plan_model.h"

#include "engine/session/path_text.h"
#include "engine/session/run_report.h"

namespace tunvale::ui {

namespace {

QString pathText(const std::filesystem::path &path) { return QString::fromStdU16String(engine::pathToUtf16(path)); }

// A path below base shown from base; any other in full.
QString shownPath(const std::filesystem::path &path, const std::filesystem::path &base)
{
    const std::filesystem::path relative = path.lexically_relative(base);
    if (base.empty() || relative.empty() || *relative.begin() == "..")
        return pathText(path);
    return pathText(relative);
}

// Internal ids: 0 for a folder row, the folder's row + 1 for a file row.
constexpr quintptr kFolderRow = 0;

} // namespace

PlanModel::PlanModel(std::shared_ptr<const engine::OrganizePlan> plan, QObject *parent)
    : QAbstractItemModel(parent), m_plan(std::move(plan)), m_destination(m_plan->destination)
{
}

QModelIndex PlanModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= kColumnCount)
        return {};
    if (!parent.isValid()) {
        if (static_cast<std::size_t>(row) >= m_plan->folders.size())
            return {};
        return createIndex(row, column, kFolderRow);
    }
    if (parent.internalId() != kFolderRow)
        return {};
    const engine::PlannedFolder &folder = m_plan->folders[static_cast<std::size_t>(parent.row())];
    if (static_cast<std::size_t>(row) >= folder.files.size())
        return {};
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex PlanModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == kFolderRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kFolderRow);
}

int PlanModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_plan->folders.size());
    if (parent.internalId() != kFolderRow || parent.column() != 0)
        return 0;
    return static_cast<int>(m_plan->folders[static_cast<std::size_t>(parent.row())].files.size());
}

int PlanModel::columnCount(const QModelIndex &) const { return kColumnCount; }

QString PlanModel::folderText(const engine::PlannedFolder &folder, const std::filesystem::path &destination)
{
    QString text = shownPath(folder.folder, destination);
    if (!folder.mergedFrom.empty()) {
        QStringList spellings;
        for (const std::u16string &name : folder.mergedFrom)
            spellings << QString::fromStdU16String(name);
        text += QStringLiteral("  \u2190 ") + spellings.join(QStringLiteral(", "));
    }
    return text;
}

QString PlanModel::marksText(const engine::PlannedFile &file)
{
    QStringList marks;
    if (file.convert)
        marks << tr("convert");
    if (file.replace)
        marks << tr("replaces a file");
    if (file.numbered)
        marks << tr("numbered");
    return marks.join(QStringLiteral(", "));
}

QVariant PlanModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (index.internalId() == kFolderRow) {
        const engine::PlannedFolder &folder = m_plan->folders[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case kName:
            return role == Qt::ToolTipRole ? pathText(folder.folder) : folderText(folder, m_destination);
        case kSource: return role == Qt::ToolTipRole ? pathText(folder.folder) : QVariant();
        case kMarks: return folder.exists ? QVariant() : QVariant(tr("new folder"));
        default: return {};
        }
    }
    const engine::PlannedFolder &folder = m_plan->folders[static_cast<std::size_t>(index.internalId() - 1)];
    const engine::PlannedFile &file = folder.files[static_cast<std::size_t>(index.row())];
    const bool tip = role == Qt::ToolTipRole;
    switch (index.column()) {
    case kName:
        return tip ? pathText(file.destination) : pathText(file.destination.filename());
    // From the source folder: two files of one name in two folders stay apart.
    case kSource:
        return tip ? pathText(file.source) : shownPath(file.source, m_plan->source);
    case kMarks: return marksText(file);
    default: return {};
    }
}

QVariant PlanModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kName: return tr("Folder and new name");
    case kSource: return tr("Source file");
    case kMarks: return tr("Marks");
    default: return {};
    }
}

AccountModel::AccountModel(std::vector<engine::SkippedFile> skipped, std::vector<engine::FailedFile> failed,
                           std::filesystem::path sourceFolder, QObject *parent)
    : QAbstractTableModel(parent)
    , m_skipped(std::move(skipped))
    , m_failed(std::move(failed))
    , m_sourceFolder(std::move(sourceFolder))
{
}

int AccountModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_skipped.size() + m_failed.size());
}

int AccountModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant AccountModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row < m_skipped.size()) {
        const engine::SkippedFile &file = m_skipped[row];
        switch (index.column()) {
        case 0:
            return role == Qt::ToolTipRole ? pathText(file.path) : shownPath(file.path, m_sourceFolder);
        case 1: return tr("Skipped: %1").arg(QString::fromUtf8(engine::skipKindName(file.kind)));
        case 2: return QString::fromStdString(file.reason);
        default: return {};
        }
    }
    const engine::FailedFile &file = m_failed[row - m_skipped.size()];
    switch (index.column()) {
    case 0:
        return role == Qt::ToolTipRole ? pathText(file.source) : shownPath(file.source, m_sourceFolder);
    case 1: return tr("Failed");
    case 2: return QString::fromStdString(file.message);
    default: return {};
    }
}

QVariant AccountModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return tr("File");
    case 1: return tr("What happened");
    case 2: return tr("Reason");
    default: return {};
    }
}

} // namespace tunvale::ui
