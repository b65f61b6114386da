#include "ui/preferences.h"

#include <QSettings>
#include <QVariant>

#include <limits>

namespace tunvale::ui {

Preferences::Preferences() = default;
Preferences::~Preferences() = default;

bool Preferences::open()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganization,
                                                kApplication);
    m_location = settings->fileName();
    // Opening the key creates it: the store must take a write at once, or the program cannot
    // keep any option and refuses to start.
    if (!settings->isWritable())
        return false;
    settings->beginGroup(kPreferencesGroup);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        return false;
    m_settings = std::move(settings);
    return true;
}

std::int32_t Preferences::readNumber(const QString &name, std::int32_t defaultValue)
{
    if (!m_settings)
        return 0;
    const QVariant stored = m_settings->value(name);
    if (stored.isValid()) {
        bool ok = false;
        const qlonglong value = stored.toLongLong(&ok);
        if (ok && value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(value);
    }
    writeNumber(name, defaultValue);
    return defaultValue;
}

QString Preferences::readText(const QString &name, const QString &defaultText)
{
    if (!m_settings)
        return {};
    const QVariant stored = m_settings->value(name);
    if (stored.isValid() && stored.typeId() == QMetaType::QString) {
        QString text = stored.toString();
        if (text.size() <= kMaxTextLength)
            return text;
    }
    writeText(name, defaultText);
    return defaultText;
}

void Preferences::writeNumber(const QString &name, std::int32_t value)
{
    if (!m_settings)
        return;
    m_settings->setValue(name, static_cast<int>(value));
    // Written the moment the control changes, so nothing is lost if the program ends abruptly.
    m_settings->sync();
}

void Preferences::writeText(const QString &name, const QString &text)
{
    if (!m_settings)
        return;
    m_settings->setValue(name, text);
    m_settings->sync();
}

QByteArray Preferences::readWindowGeometry()
{
    if (!m_settings)
        return {};
    m_settings->endGroup();
    const QVariant stored = m_settings->value(kWindowGroup + QLatin1Char('/') + kWindowGeometryValue);
    m_settings->beginGroup(kPreferencesGroup);
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : QByteArray();
}

void Preferences::writeWindowGeometry(const QByteArray &geometry)
{
    if (!m_settings)
        return;
    m_settings->endGroup();
    m_settings->setValue(kWindowGroup + QLatin1Char('/') + kWindowGeometryValue, geometry);
    m_settings->beginGroup(kPreferencesGroup);
    m_settings->sync();
}

bool Preferences::contains(const QString &name) const
{
    return m_settings && m_settings->contains(name);
}

} // namespace tunvale::ui
