// The dialog's Preview command and the list of what a run skipped or could not place.
#include "ui/tunvale_dialog.h"

#include "engine/session/path_text.h"
#include "engine/session/run_report.h"
#include "ui/colored_edit.h"
#include "ui/dialog_prompts.h"
#include "ui/engine_texts.h"
#include "ui/folder_check.h"
#include "ui/preferences.h"
#include "ui/preview_job.h"
#include "ui/preview_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tunvale::ui {

namespace {

// Progress of the reading reaches the bar every this many files.
constexpr std::size_t kProgressStep = 64;

std::filesystem::path folderPath(const QString &text) { return engine::pathFromUtf16(text.toStdU16String()); }

bool refusedWithWarning(engine::PrepareStatus status)
{
    return status == engine::PrepareStatus::NoSource || status == engine::PrepareStatus::SourceMissing
        || status == engine::PrepareStatus::NoFiles;
}

} // namespace

void TunvaleDialog::preview()
{
    if (m_stopping || m_previewJob || m_organizer.isActive() || m_organizer.abandonedWorkerRunning())
        return;
    for (const engine::OptionField &field : engine::runStartRereads()) {
        const QString name = QString::fromLatin1(field.valueName.data(), static_cast<qsizetype>(field.valueName.size()));
        field.of(m_options) = m_preferences.readNumber(name, field.firstStartDefault);
    }
    // The same checks as Organize's, before any file is read; a preview into the source says so.
    const QString source = takeFolderText(m_sourceEdit);
    const QString destination = takeFolderText(m_destinationEdit);
    if (refuseUnusableFolders(source, destination) != engine::FolderField::None)
        return;
    m_previewWarning = FolderTexts::overlapWarning(folderOverlap(source, destination), source, destination);
    showStatusWord(tr("Preparing the preview..."), output::colour::kLightGreen);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    const QPointer<TunvaleDialog> self(this);
    m_previewJob = std::make_unique<PreviewJob>(
        m_options, folderPath(source), folderPath(destination), m_setup.hooks,
        [self](std::size_t done, std::size_t total) {
            if (done % kProgressStep != 0 && done != total)
                return;
            QMetaObject::invokeMethod(
                self.data(),
                [self, done, total] {
                    if (!self)
                        return;
                    self->m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT32_MAX)));
                    self->m_progress->setValue(static_cast<int>(std::min<std::size_t>(done, INT32_MAX)));
                },
                Qt::QueuedConnection);
        },
        [self](std::shared_ptr<const engine::OrganizePlan> plan) {
            QMetaObject::invokeMethod(
                self.data(), [self, plan] { if (self) self->previewReady(plan); }, Qt::QueuedConnection);
        });
    updateControlStates();
}

void TunvaleDialog::previewReady(std::shared_ptr<const engine::OrganizePlan> plan)
{
    m_previewJob.reset();
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    updateControlStates();
    if (plan->status != engine::PrepareStatus::Ready) {
        const bool warning = refusedWithWarning(plan->status);
        showStatusWord(warning ? tr("Warning") : tr("Error"),
                       warning ? output::colour::kYellow : output::colour::kRed);
        m_prompts.showMessage(this, EngineTexts::translate(QString::fromStdU16String(plan->message)), {},
                              warning ? MessageKind::Warning : MessageKind::Error);
        return;
    }
    // Nothing was written: the preview says what the run would do.
    showStatusWord(tr("Preview: %1").arg(PreviewWindow::summaryText(*plan)),
                   m_previewWarning.isEmpty() ? output::colour::kLightBlue : output::colour::kYellow);
    if (m_previewWindow)
        m_previewWindow->close();
    auto *window = new PreviewWindow(std::move(plan), this);
    window->setWarning(m_previewWarning);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &PreviewWindow::organizeRequested, this, &TunvaleDialog::organize);
    m_previewWindow = window;
    window->show();
}

PreviewWindow *TunvaleDialog::previewWindow() const { return m_previewWindow.data(); }

void TunvaleDialog::updateDetailsLink()
{
    if (m_detailsLink == nullptr)
        return;
    const std::size_t count = engine::allSkipped(m_session).size() + m_session.failedFiles.size();
    const bool shown = !m_organizer.isActive() && m_lastSummary.has_value() && count > 0;
    m_detailsLink->setVisible(shown);
}

void TunvaleDialog::showDetails()
{
    AccountWindow window(engine::allSkipped(m_session), m_session.failedFiles, m_session.sourceFolder, this);
    m_accountWindow = &window;
    window.exec();
    m_accountWindow = nullptr;
}

} // namespace tunvale::ui
