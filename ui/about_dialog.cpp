#include "ui/about_dialog.h"

#include "ui/program_icon.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tunvale::ui {

VersionRecord buildVersionRecord()
{
    VersionRecord record;
    record.productName = QStringLiteral("Tunvale");
    record.productVersion = QStringLiteral(TUNVALE_VERSION);
    record.companyName = QStringLiteral(TUNVALE_COMPANY);
    record.legalCopyright =
        QCoreApplication::translate("tunvale::ui::AboutDialog", "Copyright (C) %1").arg(QStringLiteral(TUNVALE_COMPANY));
    record.contact = QStringLiteral(TUNVALE_CONTACT);
    return record;
}

AboutDialog::AboutDialog(QWidget *parent, const VersionRecord &record)
    : QDialog(parent)
{
    setWindowTitle(tr("About Tunvale"));
    auto *icon = new QuaverPicture(48, this);
    icon->setAccessibleName(record.productName);

    m_product = new QLabel(tr("%1 Version %2").arg(record.productName, record.productVersion), this);
    m_product->setObjectName(QStringLiteral("productLine"));
    m_company = new QLabel(record.legalCopyright, this);
    m_company->setObjectName(QStringLiteral("companyLine"));
    m_contact = new QLabel(tr("E.mail: %1").arg(record.contact), this);
    m_contact->setObjectName(QStringLiteral("contactLine"));
    m_contact->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *lines = new QVBoxLayout;
    lines->addWidget(m_product);
    lines->addWidget(m_company);
    lines->addWidget(m_contact);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

QString AboutDialog::productLine() const
{
    return m_product->text();
}

QString AboutDialog::companyLine() const
{
    return m_company->text();
}

QString AboutDialog::contactLine() const
{
    return m_contact->text();
}

} // namespace tunvale::ui
