#include "data/identity.h"

#include "data/metertext.h"

QString versionText(uint version)
{
    return QStringLiteral("V%1.%2.%3")
        .arg((version >> 16) & 0xFF)
        .arg((version >> 8) & 0xFF)
        .arg(version & 0xFF);
}

MeterIdentity meterIdentity(const QString& product, const QString& serial, uint hwVer, uint fwVer,
                            const QString& buildTime)
{
    MeterIdentity id;
    id.product = MeterText::printable(product);
    if (id.product == QLatin1String("Quibrant"))
        id.product = QStringLiteral("Quibrant-48-100");
    id.serial = MeterText::printable(serial);
    id.hardware = versionText(hwVer);
    id.firmware = versionText(fwVer);
    id.buildTime = MeterText::printable(buildTime);
    return id;
}
