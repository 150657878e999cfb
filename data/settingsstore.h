#pragma once

#include <QCoreApplication>
#include <QSettings>

// The per-user settings store of organisation "Nuvra" that the display unit and the limits are
// kept in. Opened afresh on each use, so that every read sees what was last written.
inline QSettings openSettingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                     QCoreApplication::applicationName());
}
