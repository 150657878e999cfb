#include "device/comports.h"

#ifndef Q_OS_WIN

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

QList<SerialDevice> listPresentDevices()
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
    return present;
}

// QSerialPortInfo walks every tty in sysfs, some 12 ms on a desktop, and discovery asks once a
// second on the GUI thread. The devices are listed again only when the serial device names in
// /dev have changed, which a meter plugged in or out always does. GUI thread only.
const QList<SerialDevice>& presentDevices()
{
    static QStringList lastNames;
    static QList<SerialDevice> last;
    static bool listed = false;
    const QStringList names = QDir(QStringLiteral("/dev"))
                                  .entryList({QStringLiteral("tty*"), QStringLiteral("rfcomm*"),
                                              QStringLiteral("ircomm*")},
                                             QDir::System | QDir::Files);
    if (!listed || names != lastNames) {
        last = listPresentDevices();
        lastNames = names;
        listed = true;
    }
    return last;
}

} // namespace

std::optional<QStringList> listSerialDeviceNames()
{
    return friendlyNames(presentDevices(), readPortMap(),
                         [](const QString& path) { return QFileInfo::exists(path); });
}

#endif
