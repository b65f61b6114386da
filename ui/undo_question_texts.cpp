#include "ui/undo_question_texts.h"

#include <QCoreApplication>
#include <QStringList>

namespace tunvale::ui {

// The texts are translated with the main dialog's (its context), where they are shown.
namespace {

QString filesText(std::int32_t count)
{
    return QCoreApplication::translate("tunvale::ui::TunvaleDialog", "%n file(s)", nullptr, count);
}

QString foldersText(std::int32_t count)
{
    return QCoreApplication::translate("tunvale::ui::TunvaleDialog", "%n folder(s)", nullptr, count);
}

QString question(std::u16string_view first, const QStringList &details)
{
    return QString::fromStdU16String(std::u16string(first)) + QStringLiteral("\n\n")
        + details.join(QLatin1Char('\n'));
}

QString nothingText()
{
    return QCoreApplication::translate("tunvale::ui::TunvaleDialog", "Nothing will be deleted.");
}

} // namespace

QString deleteEverythingQuestion(const engine::UndoTake &take)
{
    QStringList details;
    if (take.files > 0 && take.folders > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 in %2 created by this session will be deleted.")
                       .arg(filesText(take.files), foldersText(take.folders));
    } else if (take.files > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 in the folders created by this session will be deleted.")
                       .arg(filesText(take.files));
    } else if (take.folders > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 created by this session will be removed.")
                       .arg(foldersText(take.folders));
    } else {
        details << nothingText();
    }
    // Deleting everything also takes what the user put in those folders since.
    if (take.notCreated > 0)
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "Among them, %n file(s) that this session did not create.", nullptr,
                                               take.notCreated);
    return question(engine::kAskDeleteEverything, details);
}

QString deleteSessionFilesQuestion(const engine::UndoTake &take)
{
    QStringList details;
    if (take.files > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 created by this session will be deleted.")
                       .arg(filesText(take.files));
    }
    if (take.folders > 0 && take.files > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 created by this session will then be empty and removed.")
                       .arg(foldersText(take.folders));
    } else if (take.folders > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 created by this session will be removed.")
                       .arg(foldersText(take.folders));
    }
    if (take.originalsRestored > 0) {
        details << QCoreApplication::translate("tunvale::ui::TunvaleDialog",
                                               "%1 replaced by this session will be put back.")
                       .arg(filesText(take.originalsRestored));
    }
    if (take.originalsKept > 0) {
        details << QCoreApplication::translate(
                       "tunvale::ui::TunvaleDialog",
                       "%1 replaced by this session cannot be put back and will stay in the folder of kept files.")
                       .arg(filesText(take.originalsKept));
    }
    if (details.isEmpty())
        details << nothingText();
    return question(engine::kAskDeleteSessionFiles, details);
}

} // namespace tunvale::ui
