#pragma once

// The main dialog's answers to the engine's questions (private to the dialog's sources).
#include "engine/organize_command.h"
#include "engine/session_undo.h"
#include "ui/dialog_prompts.h"
#include "ui/tunvale_dlg.h"

#include <QApplication>

#include <filesystem>

namespace tunvale::ui {

// The engine's questions, answered through the dialog's prompts.
class CTunvaleDlg::Questions final : public engine::OrganizeQuestions,
                                     public engine::AbortQuestions,
                                     public engine::UndoQuestions {
public:
    explicit Questions(CTunvaleDlg &dialog) : m_dialog(dialog) {}
    ~Questions() override
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }

    bool createMissingDestination(const std::filesystem::path &) override
    {
        return m_dialog.m_prompts.askYesNo(&m_dialog,
                                           CTunvaleDlg::tr("This destination Folder doesn't exist.\r\nDo you want to create it ?"));
    }
    bool confirmAbort() override
    {
        if (!ask(engine::kAbortQuestion))
            return false;
        // From here the dialog waits for the worker: the worker must not wait for the dialog.
        m_dialog.m_sink.setReleaseWaits(true);
        return true;
    }
    bool deleteEverything() override { return ask(engine::kAskDeleteEverything); }
    bool deleteSessionFiles() override { return ask(engine::kAskDeleteSessionFiles); }
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
        return m_dialog.m_prompts.askYesNo(&m_dialog, QString::fromStdU16String(std::u16string(text)));
    }

    CTunvaleDlg &m_dialog;
    bool m_busy = false;
};

} // namespace tunvale::ui
