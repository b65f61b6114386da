#include "ui/manual_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tunvale::ui {

QString manualText()
{
    QFile file(QStringLiteral(":/manual/tunvale.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

ManualWindow::ManualWindow(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Tunvale Manual"));
    setObjectName(QStringLiteral("manualWindow"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("manualText"));
    m_view->setReadOnly(true);
    // The page is laid out in columns of fixed-width characters.
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setAccessibleName(tr("The manual"));
    const QString text = manualText();
    m_view->setPlainText(text.isEmpty() ? tr("The manual is not part of this build.") : text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    const QFontMetrics metrics(m_view->font());
    resize(metrics.horizontalAdvance(QString(84, QLatin1Char('m'))), metrics.lineSpacing() * 36);
}

} // namespace tunvale::ui
