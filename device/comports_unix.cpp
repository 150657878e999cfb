#include "device/comports.h"

#ifndef Q_OS_WIN

#include <QFileInfo>
#include <QSerialPortInfo>

std::optional<QStringList> listSerialDeviceNames()
{
    QList<SerialDevice> present;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        SerialDevice d;
        d.location = info.systemLocation();
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            d.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            d.productId = info.productIdentifier();
        present.append(d);
    }
    return friendlyNames(present, readPortMap(),
                         [](const QString& path) { return QFileInfo::exists(path); });
}

#endif
