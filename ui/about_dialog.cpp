#include "ui/about_dialog.h"

#include "output/mp3_encoder.h"
#include "ui/program_icon.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tunvale::ui {

namespace {

QLabel *addLine(QWidget *parent, QVBoxLayout *into, const QString &text, const char *name)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    into->addWidget(label);
    return label;
}

// A line with a link the user can follow with the mouse or the keyboard.
QLabel *addLinkLine(QWidget *parent, QVBoxLayout *into, const QString &before, const QString &address,
                    const QString &shownAddress, const char *name)
{
    QLabel *label =
        addLine(parent, into,
                before.toHtmlEscaped().arg(
                    QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), shownAddress.toHtmlEscaped())),
                name);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    return label;
}

} // namespace

VersionRecord buildVersionRecord()
{
    VersionRecord record;
    record.productName = QStringLiteral("Tunvale");
    record.productVersion = QStringLiteral(TUNVALE_VERSION);
    record.companyName = QStringLiteral(TUNVALE_COMPANY);
    record.legalCopyright =
        QCoreApplication::translate("tunvale::ui::AboutDialog", "Copyright (C) %1").arg(QStringLiteral(TUNVALE_COMPANY));
    record.contact = QStringLiteral(TUNVALE_CONTACT);
    record.licence = QStringLiteral(TUNVALE_LICENCE);
    record.website = QStringLiteral(TUNVALE_WEBSITE);
    return record;
}

AboutDialog::AboutDialog(QWidget *parent, const VersionRecord &record)
    : QDialog(parent)
{
    setWindowTitle(tr("About Tunvale"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *icon = new QuaverPicture(64, this);
    icon->setAccessibleName(record.productName);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(8);
    m_productLine = tr("%1 Version %2").arg(record.productName, record.productVersion);
    QLabel *product = addLine(this, lines, m_productLine, "productLine");
    QFont larger = product->font();
    larger.setBold(true);
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    product->setFont(larger);
    addLine(this, lines, tr("Sorts audio files into folders by their tags."), "purposeLine");
    const QString lame = QString::fromStdString(output::lameVersion());
    if (!lame.isEmpty())
        addLine(this, lines, tr("Converts to MP3 with LAME %1.").arg(lame), "lameLine");

    m_companyLine = record.legalCopyright;
    addLine(this, lines, m_companyLine, "companyLine");
    m_licenceLine = tr("Licence: %1").arg(record.licence);
    addLine(this, lines, m_licenceLine, "licenceLine");
    m_websiteLine = tr("Website: %1").arg(record.website);
    m_website = addLinkLine(this, lines, tr("Website: %1"), record.website, record.website, "websiteLine");
    m_contactLine = tr("E.mail: %1").arg(record.contact);
    addLinkLine(this, lines, tr("E.mail: %1"), QStringLiteral("mailto:") + record.contact, record.contact,
                "contactLine");

    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 12);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addWidget(buttons);
    // Wide enough for its lines without cramping them; it grows with larger fonts.
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
}

} // namespace tunvale::ui
