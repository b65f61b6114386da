#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QString>

class QPushButton;

namespace tunvale::ui {

// The folder chooser of the two Select buttons: the desktop's own where the platform offers one
// (xdg-desktop-portal through Qt), Qt's otherwise. It starts at the given folder (the current
// folder when none is given) and shows folders only. What follows holds for Qt's dialog. With a read-only path the
// result is always an existing folder chosen from the tree (the source); the path field is then shown disabled, so it
// plainly takes no typing. Otherwise the user may type into the path field a folder that does not exist yet (the
// destination): the typed text is the result, and the accept button stays usable for it.
class FolderPicker : public QFileDialog {
    Q_OBJECT
public:
    FolderPicker(QWidget *owner, const QString &title, const QString &startFolder, bool pathReadOnly);

    // The chosen or typed path (at most 517 characters), empty before the user confirmed.
    QString chosenPath() const { return m_chosen; }
    bool pathReadOnly() const { return m_pathReadOnly; }
    // The path field, for the user to type into (nullptr if the dialog has none).
    QLineEdit *pathField() const;
    // The button that confirms the choice (nullptr if the dialog has none).
    QPushButton *acceptButton() const;

    // The longest result kept.
    static constexpr int kMaxResultLength = 517;

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString typedPath() const;
    // A typed destination may be a folder that does not exist yet.
    bool typedNewFolderAllowed() const;

    bool m_pathReadOnly;
    QString m_chosen;
};

} // namespace tunvale::ui
