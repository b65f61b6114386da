#include "ui/folder_picker.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace tunvale::ui {

FolderPicker::FolderPicker(QWidget *owner, const QString &title, const QString &startFolder, bool pathReadOnly)
    : QFileDialog(owner, title)
    , m_pathReadOnly(pathReadOnly)
{
    // The desktop's own folder chooser where the platform offers one (Qt asks xdg-desktop-portal
    // for it, or the desktop's platform theme); Qt's own dialog otherwise, whose path field is
    // made read-only for the source and takes a folder that does not exist yet for the
    // destination (below). A desktop chooser returns existing folders only; a new destination
    // can still be typed into the main window's field.
    setOption(QFileDialog::ShowDirsOnly, true);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    const QString start = startFolder.isEmpty() ? QDir::currentPath() : startFolder;
    const QFileInfo startInfo(start);
    if (startInfo.isDir()) {
        // Open the parent with the start folder selected, so confirming at once keeps it.
        const QDir parent = startInfo.absoluteDir();
        if (startInfo.absoluteFilePath() != parent.absolutePath()) {
            setDirectory(parent);
            selectFile(startInfo.fileName());
        } else {
            setDirectory(start);
        }
    } else {
        // A start folder that does not exist: open what exists of it, and offer the rest typed.
        QString existing = startInfo.absolutePath();
        while (!existing.isEmpty() && !QFileInfo(existing).isDir()) {
            const QString up = QFileInfo(existing).absolutePath();
            if (up == existing)
                break;
            existing = up;
        }
        setDirectory(existing);
        if (!pathReadOnly)
            selectFile(startInfo.absoluteFilePath());
    }
    if (QLineEdit *field = pathField()) {
        field->setReadOnly(pathReadOnly);
        if (pathReadOnly) {
            // Shown disabled: a read-only field that looks like any other invites typing.
            field->setEnabled(false);
            field->setToolTip(tr("The source folder is chosen in the list of folders"));
        } else {
            field->setToolTip(tr("Type a folder name here; a folder that does not exist yet is created by Organize"));
        }
    }
    // The standard dialog disables its accept button while the typed name is not an existing
    // folder; for the destination such a name is a valid answer.
    QPushButton *button = acceptButton();
    QLineEdit *field = pathField();
    if (button && field && !pathReadOnly) {
        button->installEventFilter(this);
        // Runs after the dialog's own check of the typed text, which may have disabled it.
        connect(field, &QLineEdit::textChanged, this, [this, button] {
            if (typedNewFolderAllowed())
                button->setEnabled(true);
        });
    }
}

QPushButton *FolderPicker::acceptButton() const
{
    const auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    return box ? box->button(QDialogButtonBox::Open) : nullptr;
}

bool FolderPicker::typedNewFolderAllowed() const
{
    const QLineEdit *field = pathField();
    return !m_pathReadOnly && field && !field->text().trimmed().isEmpty();
}

bool FolderPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && watched == acceptButton()) {
        auto *button = static_cast<QPushButton *>(watched);
        if (!button->isEnabled() && typedNewFolderAllowed())
            button->setEnabled(true);
    }
    return QFileDialog::eventFilter(watched, event);
}

QLineEdit *FolderPicker::pathField() const
{
    return findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

QString FolderPicker::typedPath() const
{
    const QLineEdit *field = pathField();
    const QString text = field ? field->text().trimmed() : QString();
    if (text.isEmpty()) {
        const QStringList files = selectedFiles();
        return files.isEmpty() ? directory().absolutePath() : files.first();
    }
    if (QDir::isAbsolutePath(text))
        return QDir::cleanPath(text);
    return QDir::cleanPath(directory().absoluteFilePath(text));
}

void FolderPicker::accept()
{
    if (m_pathReadOnly) {
        // Only an existing folder can be the source; the standard dialog checks that.
        QFileDialog::accept();
        if (result() == QDialog::Accepted) {
            const QStringList files = selectedFiles();
            m_chosen = (files.isEmpty() ? directory().absolutePath() : files.first()).left(kMaxResultLength);
        }
        return;
    }
    const QString path = typedPath();
    if (QFileInfo(path).isDir()) {
        QFileDialog::accept();
        if (result() == QDialog::Accepted) {
            const QStringList files = selectedFiles();
            m_chosen = (files.isEmpty() ? path : files.first()).left(kMaxResultLength);
        }
        return;
    }
    // A destination that does not exist yet: the typed text is the answer; the Organize
    // command offers to create it.
    m_chosen = path.left(kMaxResultLength);
    QDialog::accept();
}

} // namespace tunvale::ui
