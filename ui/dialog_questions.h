#pragma once

// The main dialog's answers to the engine's questions (private to the dialog's sources).
#include "engine/run/organize_command.h"
#include "engine/undo/session_undo.h"
#include "ui/dialog_prompts.h"
#include "ui/engine_texts.h"
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
        return answered(m_dialog.m_prompts.askYesNo(&m_dialog, deleteEverythingQuestion(take), DefaultAnswer::No));
    }
    bool deleteSessionFiles(const engine::UndoTake &take) override
    {
        return answered(m_dialog.m_prompts.askYesNo(&m_dialog, deleteSessionFilesQuestion(take), DefaultAnswer::Yes));
    }
    void showMessage(const std::u16string &text) override
    {
        // After No to the undo's questions there was something to cancel: the user kept it.
        // The status line says so instead.
        if (m_declined && text == engine::kNothingToCancel)
            return;
        m_dialog.m_prompts.showMessage(&m_dialog, EngineTexts::translate(QString::fromStdU16String(text)), {},
                                       MessageKind::Information);
    }
    // The user answered No to every undo question asked (at least one was).
    bool declined() const { return m_declined; }
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
    bool answered(bool yes)
    {
        m_declined = !yes;
        return yes;
    }
    bool ask(std::u16string_view text)
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog, QString::fromStdU16String(std::u16string(text)),
                                           DefaultAnswer::Yes);
    }

    TunvaleDialog &m_dialog;
    bool m_busy = false;
    bool m_declined = false;
};

} // namespace tunvale::ui
