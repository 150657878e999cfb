#include "portmap.h"

#include <QSettings>

namespace metersim {

namespace {
const char kDescription[] = "STMicroelectronics Virtual COM Port";
} // namespace

void registerPort(const QString& port, const QString& device)
{
    QSettings map(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                  QStringLiteral("ports"));
    map.beginGroup(port);
    map.setValue(QStringLiteral("device"), device);
    map.setValue(QStringLiteral("description"), QString::fromLatin1(kDescription));
    map.endGroup();
    map.sync();
}

void unregisterPort(const QString& port)
{
    QSettings map(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                  QStringLiteral("ports"));
    map.remove(port);
    map.sync();
}

} // namespace metersim
