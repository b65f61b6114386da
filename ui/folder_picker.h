#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QString>

namespace tunvale::ui {

// The folder chooser of the two Select buttons. It starts at the given folder (the current
// folder when none is given) and shows folders only. With a read-only path the result is always
// an existing folder chosen from the tree (the source). Otherwise the user may type into the
// path field a folder that does not exist yet (the destination); the typed text is the result.
class FolderPicker : public QFileDialog {
    Q_OBJECT
public:
    FolderPicker(QWidget *owner, const QString &title, const QString &startFolder, bool pathReadOnly);

    // The chosen or typed path (at most 517 characters), empty before the user confirmed.
    QString chosenPath() const { return m_chosen; }
    bool pathReadOnly() const { return m_pathReadOnly; }
    // The path field, for the user to type into (nullptr if the dialog has none).
    QLineEdit *pathField() const;

    // The longest result kept.
    static constexpr int kMaxResultLength = 517;

public slots:
    void accept() override;

private:
    QString typedPath() const;

    bool m_pathReadOnly;
    QString m_chosen;
};

} // namespace tunvale::ui
