#pragma once

// The main dialog's answers to the engine's questions (private to the dialog's sources).
#include "engine/run/organize_command.h"
#include "engine/undo/session_undo.h"
#include "ui/dialog_prompts.h"
#include "ui/tunvale_dialog.h"
#include "ui/undo_question_texts.h"

#include <QApplication>

#include <filesystem>

namespace tunvale::ui {

// The engine's questions, answered through the dialog's prompts.
class TunvaleDialog::Questions final : public engine::OrganizeQuestions,
                                     public engine::AbortQuestions,
                                     public engine::UndoQuestions {
public:
    explicit Questions(TunvaleDialog &dialog) : m_dialog(dialog) {}
    ~Questions() override
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }

    bool createMissingDestination(const std::filesystem::path &) override
    {
        return m_dialog.m_prompts.askYesNo(
            &m_dialog, TunvaleDialog::tr("This destination Folder doesn't exist.\r\nDo you want to create it ?"),
            DefaultAnswer::Yes);
    }
    bool confirmAbort() override
    {
        if (!ask(engine::kAbortQuestion))
            return false;
        // From here the dialog waits for the worker: the worker must not wait for the dialog.
        m_dialog.m_sink.setReleaseWaits(true);
        return true;
    }
    // Deleting everything also takes what the user put in the created folders since: Enter
    // must not do that.
    bool deleteEverything(const engine::UndoTake &take) override
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog, deleteEverythingQuestion(take), DefaultAnswer::No);
    }
    bool deleteSessionFiles(const engine::UndoTake &take) override
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog, deleteSessionFilesQuestion(take), DefaultAnswer::Yes);
    }
    void showMessage(const std::u16string &text) override
    {
        m_dialog.m_prompts.showMessage(&m_dialog, QString::fromStdU16String(text), {}, MessageKind::Information);
    }
    void showBusy(bool busy) override
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

private:
    bool ask(std::u16string_view text)
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog, QString::fromStdU16String(std::u16string(text)),
                                           DefaultAnswer::Yes);
    }

    TunvaleDialog &m_dialog;
    bool m_busy = false;
};

} // namespace tunvale::ui
