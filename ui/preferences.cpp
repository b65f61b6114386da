#include "ui/preferences.h"

#include <QSettings>
#include <QVariant>

#include <limits>

namespace tunvale::ui {

namespace {

QString preferenceKey(const QString &name) { return kPreferencesGroup + QLatin1Char('/') + name; }

const QString kGeometryKey = kWindowGroup + QLatin1Char('/') + kWindowGeometryValue;

} // namespace

Preferences::Preferences() = default;
Preferences::~Preferences() = default;

bool Preferences::open()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganization,
                                                kApplication);
    m_location = settings->fileName();
    // Opening the key creates it: the store must take a write at once.
    settings->sync();
    if (settings->isWritable() && settings->status() == QSettings::NoError) {
        m_settings = std::move(settings);
        return true;
    }
    // Kept in memory for this run, starting from whatever the store holds and can be read.
    m_inMemory = true;
    for (const QString &key : settings->allKeys())
        m_memory.insert(key, settings->value(key));
    return false;
}

QVariant Preferences::value(const QString &key) const
{
    if (m_settings)
        return m_settings->value(key);
    return m_memory.value(key);
}

void Preferences::setValue(const QString &key, const QVariant &value)
{
    if (m_settings) {
        m_settings->setValue(key, value);
        // Written the moment the control changes, so nothing is lost if the program ends abruptly.
        m_settings->sync();
    } else if (m_inMemory) {
        m_memory.insert(key, value);
    }
}

std::int32_t Preferences::readNumber(const QString &name, std::int32_t defaultValue)
{
    if (!isOpen())
        return 0;
    const QVariant stored = value(preferenceKey(name));
    if (stored.isValid()) {
        bool ok = false;
        const qlonglong number = stored.toLongLong(&ok);
        if (ok && number >= std::numeric_limits<std::int32_t>::min()
            && number <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(number);
    }
    writeNumber(name, defaultValue);
    return defaultValue;
}

QString Preferences::readText(const QString &name, const QString &defaultText)
{
    if (!isOpen())
        return {};
    const QVariant stored = value(preferenceKey(name));
    if (stored.isValid() && stored.typeId() == QMetaType::QString) {
        QString text = stored.toString();
        if (text.size() <= kMaxTextLength)
            return text;
    }
    writeText(name, defaultText);
    return defaultText;
}

void Preferences::writeNumber(const QString &name, std::int32_t number)
{
    setValue(preferenceKey(name), static_cast<int>(number));
}

void Preferences::writeText(const QString &name, const QString &text) { setValue(preferenceKey(name), text); }

QByteArray Preferences::readWindowGeometry()
{
    const QVariant stored = value(kGeometryKey);
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : QByteArray();
}

void Preferences::writeWindowGeometry(const QByteArray &geometry) { setValue(kGeometryKey, geometry); }

bool Preferences::contains(const QString &name) const
{
    if (m_settings)
        return m_settings->contains(preferenceKey(name));
    return m_memory.contains(preferenceKey(name));
}

} // namespace tunvale::ui
