#include "ui/dialog_prompts.h"

#include "ui/folder_picker.h"

#include <QMessageBox>

namespace tunvale::ui {

namespace {

// The texts break lines the Windows way; a bare carriage return would show as a glyph in a
// message box elsewhere.
QString displayed(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

bool MessageBoxPrompts::askYesNo(QWidget *owner, const QString &text, DefaultAnswer defaultAnswer)
{
    return QMessageBox::question(owner, kAppTitle, displayed(text), QMessageBox::Yes | QMessageBox::No,
                                 defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No)
        == QMessageBox::Yes;
}

void MessageBoxPrompts::showMessage(QWidget *owner, const QString &text, const QString &caption, MessageKind kind)
{
    QMessageBox box(iconOf(kind), caption.isEmpty() ? kAppTitle : caption, displayed(text), QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> MessageBoxPrompts::pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                                     bool pathReadOnly)
{
    FolderPicker picker(owner, title, startFolder, pathReadOnly);
    if (picker.exec() != QDialog::Accepted)
        return std::nullopt;
    return picker.chosenPath();
}

} // namespace tunvale::ui
