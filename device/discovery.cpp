#include "device/discovery.h"

#include "data/logging.h"
#include "device/comports.h"

namespace {
DeviceListing& listingOverride()
{
    static DeviceListing listing;
    return listing;
}
} // namespace

void setDeviceListing(DeviceListing listing) { listingOverride() = std::move(listing); }

int comNumberFromNames(const QStringList& friendlyNames)
{
    for (const QString& name : friendlyNames) {
        if (!name.contains(QLatin1String(MeterPortDescription), Qt::CaseSensitive))
            continue;
        // From "(COM" on (the whole name when absent), without parentheses, after the first
        // "COM": "(COM12)" gives "12"; a name without "(COM" gives " Port..." and so 0.
        QString part = name;
        const int open = name.indexOf(QLatin1String("(COM"), 0, Qt::CaseSensitive);
        if (open >= 0)
            part = name.mid(open);
        part.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        const QString number = part.section(QLatin1String("COM"), 1, -1);
        bool ok = false;
        const int n = number.toInt(&ok, 10);
        return ok ? n : 0;
    }
    return -1;
}

std::optional<QStringList> deviceNames()
{
    return listingOverride() ? listingOverride()() : listSerialDeviceNames();
}

int findComPort()
{
    return findComPort(deviceNames());
}

int findComPort(const std::optional<QStringList>& names)
{
    if (!names) {
        qCDebug(lcLink) << "error 1";
        return -1;
    }
    return comNumberFromNames(*names);
}
