#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class QSettings;

namespace tunvale::ui {

// The per-user preferences store: organization "QX", application "Tunvale", group
// "Preferences" (on Windows the registry key HKEY_CURRENT_USER\Software\QX\Tunvale\Preferences,
// elsewhere the per-user configuration file). Numbers are stored as integers and the two
// folders as text. A read always yields a value: a missing or unreadable one is replaced by the
// caller's default, which is written back at once.
class Preferences {
public:
    Preferences();
    ~Preferences();
    Preferences(const Preferences &) = delete;
    Preferences &operator=(const Preferences &) = delete;

    // Opens the store and checks that it can be written; false when it cannot.
    bool open();
    bool isOpen() const { return m_settings != nullptr; }

    // The stored signed 32-bit number, or defaultValue (written back) when it is missing or not
    // a number in range. 0 when the store is not open.
    std::int32_t readNumber(const QString &name, std::int32_t defaultValue);
    // The stored text, or defaultText (written back) when it is missing, not text, or longer
    // than kMaxTextLength. Empty when the store is not open.
    QString readText(const QString &name, const QString &defaultText);
    void writeNumber(const QString &name, std::int32_t value);
    void writeText(const QString &name, const QString &text);

    // The main window's size and place (QWidget::saveGeometry), kept in a group of its own
    // beside the preferences ("Window", value "GEOMETRY"); empty when none was kept.
    QByteArray readWindowGeometry();
    void writeWindowGeometry(const QByteArray &geometry);

    // Whether a value of that name exists (tests and diagnostics).
    bool contains(const QString &name) const;
    // Where the values live (the file, or the registry key on Windows); once open() was tried,
    // also when the store could not be opened.
    QString location() const { return m_location; }

    // The longest folder text kept: the folder edits take at most 518 characters.
    static constexpr int kMaxTextLength = 518;

private:
    std::unique_ptr<QSettings> m_settings;
    QString m_location;
};

inline const QString kOrganization = QStringLiteral("QX");
inline const QString kApplication = QStringLiteral("Tunvale");
inline const QString kPreferencesGroup = QStringLiteral("Preferences");
inline const QString kWindowGroup = QStringLiteral("Window");
inline const QString kWindowGeometryValue = QStringLiteral("GEOMETRY");

} // namespace tunvale::ui
