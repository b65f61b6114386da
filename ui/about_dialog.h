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
    QString licence;   // the terms the program is given under, in a few words
    QString website;   // the program's web page, a full address
};

// The version record of this build (the CMake project version and the configured contact,
// licence and web page).
VersionRecord buildVersionRecord();

// "About Tunvale": the program icon, the product line ("Tunvale Version 0.1.0"), what the
// program does, the copyright and licence lines, the web page and the contact address as
// links ("E.mail: ..."), the version of the LAME library it converts with, and a Close button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr, const VersionRecord &record = buildVersionRecord());

    // The lines as the user reads them (without their link markup).
    QString productLine() const { return m_productLine; }
    QString companyLine() const { return m_companyLine; }
    QString licenceLine() const { return m_licenceLine; }
    QString websiteLine() const { return m_websiteLine; }
    QString contactLine() const { return m_contactLine; }
    // The label holding the web page's link.
    QLabel *websiteLabel() const { return m_website; }

private:
    QString m_productLine;
    QString m_companyLine;
    QString m_licenceLine;
    QString m_websiteLine;
    QString m_contactLine;
    QLabel *m_website = nullptr;
};

} // namespace tunvale::ui
