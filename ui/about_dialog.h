#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace tunvale::ui {

// The program's own version record, filled from the build.
struct VersionRecord {
    QString productName;
    QString productVersion;
    QString companyName;
    QString legalCopyright;
    QString contact;   // e-mail address
};

// The version record of this build (the CMake project version and the configured contact).
VersionRecord buildVersionRecord();

// "About Tunvale": the program icon, the product line ("Tunvale Version 0.1.0"), the company
// line and the contact address ("E.mail: ..."), and an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr, const VersionRecord &record = buildVersionRecord());

    QString productLine() const;
    QString companyLine() const;
    QString contactLine() const;

private:
    QLabel *m_product = nullptr;
    QLabel *m_company = nullptr;
    QLabel *m_contact = nullptr;
};

} // namespace tunvale::ui
