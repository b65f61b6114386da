#pragma once

// The preview of a run: the plan as a tree, the files skipped and not placed, the summary the
// run would end with, and Organize to run it. Also the list of what a finished run skipped
// and could not place (the "Details..." of the status box).

#include "engine/plan/organize_plan.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QTreeView;

namespace tunvale::ui {

class PlanModel;
class AccountModel;

class PreviewWindow final : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(std::shared_ptr<const engine::OrganizePlan> plan, QWidget *parent = nullptr);

    QTreeView *planView() const { return m_planView; }
    QTreeView *accountView() const { return m_accountView; }
    QPushButton *organizeButton() const { return m_organize; }
    QLabel *summaryLabel() const { return m_summary; }
    QLabel *warningLabel() const { return m_warning; }
    // A warning shown above the plan (folders that overlap); hidden while empty.
    void setWarning(const QString &text);

    // What the run would do, said as what would happen, the counts adding up with the files
    // skipped: "11 files would be copied into 3 new folders · 1 skipped".
    static QString summaryText(const engine::OrganizePlan &plan);

signals:
    // Organize was pressed: the window closes and the dialog runs the plan's organize.
    void organizeRequested();

private:
    std::shared_ptr<const engine::OrganizePlan> m_plan;
    QTreeView *m_planView = nullptr;
    QTreeView *m_accountView = nullptr;
    QPushButton *m_organize = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_warning = nullptr;
    QWidget *m_warningRow = nullptr;
};

// The files a run skipped and those it could not place, with their reasons.
class AccountWindow final : public QDialog {
    Q_OBJECT
public:
    // Paths below sourceFolder are shown from it.
    AccountWindow(std::vector<engine::SkippedFile> skipped, std::vector<engine::FailedFile> failed,
                  std::filesystem::path sourceFolder = {}, QWidget *parent = nullptr);
    QTreeView *view() const { return m_view; }

private:
    QTreeView *m_view = nullptr;
};

} // namespace tunvale::ui
