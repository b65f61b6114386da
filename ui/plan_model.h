#pragma once

// The plan of a run as a tree for a view: one row per destination folder (its name and the
// spellings merged into it), under it one row per file (new name, source from the source
// folder, marks). Every cell's tooltip holds its whole text, paths in full. Rows are answered
// from the plan itself, so a plan of any size opens at once.

#include "engine/plan/organize_plan.h"

#include <QAbstractItemModel>

#include <memory>

namespace tunvale::ui {

class PlanModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kName, kSource, kMarks, kColumnCount };

    explicit PlanModel(std::shared_ptr<const engine::OrganizePlan> plan, QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The folder line: its name under the destination, with "  ← spellings" when merged.
    static QString folderText(const engine::PlannedFolder &folder, const std::filesystem::path &destination);
    // The marks of a file: "convert", "replaces a file", "numbered", joined by ", ".
    static QString marksText(const engine::PlannedFile &file);

private:
    std::shared_ptr<const engine::OrganizePlan> m_plan;
    std::filesystem::path m_destination;
};

// The files a run did not take and those it could not place, one row each: path (from the
// source folder when it lies below it; the whole path in its tooltip), what happened, reason.
class AccountModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    AccountModel(std::vector<engine::SkippedFile> skipped, std::vector<engine::FailedFile> failed,
                 std::filesystem::path sourceFolder = {}, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<engine::SkippedFile> m_skipped;
    std::vector<engine::FailedFile> m_failed;
    std::filesystem::path m_sourceFolder;
};

} // namespace tunvale::ui
