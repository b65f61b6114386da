#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace tunvale::ui {

VersionRecord buildVersionRecord()
{
    VersionRecord record;
    record.productName = QStringLiteral("Tunvale");
    record.productVersion = QStringLiteral(TUNVALE_VERSION);
    record.companyName = QStringLiteral(TUNVALE_COMPANY);
    record.legalCopyright = QStringLiteral("Copyright (C) ") + QStringLiteral(TUNVALE_COMPANY);
    record.contact = QStringLiteral(TUNVALE_CONTACT);
    return record;
}

QPixmap programPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2e, 0x6d, 0xb4));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.2, size * 0.2);
    // A quaver: stem, flag and head.
    const qreal s = size;
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(s * 0.55, s * 0.18, s * 0.07, s * 0.5));
    QPainterPath flag;
    flag.moveTo(s * 0.62, s * 0.18);
    flag.cubicTo(s * 0.75, s * 0.3, s * 0.82, s * 0.35, s * 0.74, s * 0.5);
    flag.cubicTo(s * 0.74, s * 0.38, s * 0.68, s * 0.33, s * 0.62, s * 0.32);
    flag.closeSubpath();
    painter.drawPath(flag);
    painter.drawEllipse(QRectF(s * 0.33, s * 0.6, s * 0.29, s * 0.2));
    return pixmap;
}

CAboutDlg::CAboutDlg(QWidget *parent, const VersionRecord &record)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Tunvale"));
    auto *icon = new QLabel(this);
    icon->setPixmap(programPixmap(48));
    icon->setAlignment(Qt::AlignTop);

    m_product = new QLabel(record.productName + QStringLiteral(" Version ") + record.productVersion, this);
    m_product->setObjectName(QStringLiteral("productLine"));
    m_company = new QLabel(record.legalCopyright, this);
    m_company->setObjectName(QStringLiteral("companyLine"));
    m_contact = new QLabel(QStringLiteral("E.mail: ") + record.contact, this);
    m_contact->setObjectName(QStringLiteral("contactLine"));
    m_contact->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *lines = new QVBoxLayout;
    lines->addWidget(m_product);
    lines->addWidget(m_company);
    lines->addWidget(m_contact);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(lines, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

QString CAboutDlg::productLine() const
{
    return m_product->text();
}

QString CAboutDlg::companyLine() const
{
    return m_company->text();
}

QString CAboutDlg::contactLine() const
{
    return m_contact->text();
}

} // namespace tunvale::ui
