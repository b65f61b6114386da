#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <memory>

class QSettings;

namespace tunvale::ui {

// The per-user preferences store: organization "QX", application "Tunvale", group
// "Preferences" (on Windows the registry key HKEY_CURRENT_USER\Software\QX\Tunvale\Preferences,
// elsewhere the per-user configuration file). Numbers are stored as integers and the two
// folders as text. A read always yields a value: a missing or unreadable one is replaced by the
// caller's default, which is written back at once. A store that cannot be written is kept in
// memory instead, for as long as the program runs: what it held is read, every change is kept
// until the program ends, and nothing is written.
class Preferences {
public:
    Preferences();
    ~Preferences();
    Preferences(const Preferences &) = delete;
    Preferences &operator=(const Preferences &) = delete;

    // Opens the store; false when it cannot be written (the values then live in memory only).
    bool open();
    bool isOpen() const { return m_settings != nullptr || m_inMemory; }
    // The values live in memory only: the store could not be written.
    bool inMemory() const { return m_inMemory; }

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
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
    bool m_inMemory = false;
    QVariantMap m_memory; // every value by its full key ("Preferences/TAG_ID"), in memory only
    QString m_location;
};

inline const QString kOrganization = QStringLiteral("QX");
inline const QString kApplication = QStringLiteral("Tunvale");
inline const QString kPreferencesGroup = QStringLiteral("Preferences");
inline const QString kWindowGroup = QStringLiteral("Window");
inline const QString kWindowGeometryValue = QStringLiteral("GEOMETRY");

} // namespace tunvale::ui
