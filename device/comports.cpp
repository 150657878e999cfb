#include "device/comports.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

const char* const MeterPortDescription = "STMicroelectronics Virtual COM Port";

namespace {

struct RuleBlock {
    int firstCom;
    const char* prefix;
};

// Each block maps 32 COM numbers onto device files numbered from 0.
constexpr RuleBlock ruleBlocks[] = {
    {1, "/dev/ttyS"},
    {33, "/dev/ttyUSB"},
    {65, "/dev/ttyACM"},
};
constexpr int ruleBlockSize = 32;

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

QString describe(const SerialDevice& d)
{
    if (d.vendorId == 0x0483 && d.productId == 0x5740)
        return QString::fromLatin1(MeterPortDescription);
    if (!d.description.isEmpty())
        return d.description;
    if (!d.manufacturer.isEmpty())
        return d.manufacturer;
    return QStringLiteral("Serial Port");
}

} // namespace

int comNumber(const QString& portName)
{
    if (!portName.startsWith(QLatin1String("COM")))
        return 0;
    bool ok = false;
    const int n = portName.mid(3).toInt(&ok, 10);
    return ok && n > 0 ? n : 0;
}

QString ruleDevicePath(int com)
{
    for (const RuleBlock& b : ruleBlocks) {
        if (com >= b.firstCom && com < b.firstCom + ruleBlockSize)
            return QString::fromLatin1(b.prefix) + QString::number(com - b.firstCom);
    }
    return {};
}

int ruleComNumber(const QString& devicePath)
{
    for (const RuleBlock& b : ruleBlocks) {
        const QString prefix = QString::fromLatin1(b.prefix);
        if (!devicePath.startsWith(prefix))
            continue;
        bool ok = false;
        const QString rest = devicePath.mid(prefix.size());
        const int index = rest.toInt(&ok, 10);
        // "/dev/ttyS01" or "/dev/ttyS+1" are not the device the rule names.
        if (ok && index >= 0 && index < ruleBlockSize && QString::number(index) == rest)
            return b.firstCom + index;
    }
    return 0;
}

QString canonicalComName(const QString& portName)
{
    const int n = comNumber(portName);
    return n > 0 ? QStringLiteral("COM%1").arg(n) : QString();
}

QList<PortMapEntry> readPortMap()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                    QStringLiteral("ports"));
    QList<PortMapEntry> entries;
    const QStringList groups = store.childGroups();
    for (const QString& group : groups) {
        // "[COM07]" is COM7 for the listing and for the open alike. Of two groups that name the
        // same port, the one spelt "[COM7]" counts: that is what --register and a careful user
        // write.
        const QString name = canonicalComName(group);
        if (name.isEmpty())
            continue;
        store.beginGroup(group);
        PortMapEntry e{name, store.value(QStringLiteral("device")).toString(),
                       store.value(QStringLiteral("description")).toString()};
        store.endGroup();
        if (e.device.isEmpty())
            continue;
        const auto same =
            std::find_if(entries.begin(), entries.end(),
                         [&name](const PortMapEntry& x) { return x.comName == name; });
        if (same == entries.end())
            entries.append(e);
        else if (group == name)
            *same = e;
    }
    return entries;
}

QString devicePathForPort(const QString& portName)
{
#ifdef Q_OS_WIN
    return portName.isEmpty() ? QString() : QStringLiteral("\\\\.\\") + portName;
#else
    const QList<PortMapEntry> map = readPortMap();
    for (const PortMapEntry& e : map) {
        if (e.comName == canonicalComName(portName))
            return e.device;
    }
    return ruleDevicePath(comNumber(portName));
#endif
}

QStringList friendlyNames(const QList<SerialDevice>& present, const QList<PortMapEntry>& map,
                          const std::function<bool(const QString&)>& exists)
{
    QStringList names;
    QStringList listed; // canonical device paths already named
    for (const PortMapEntry& e : map) {
        if (!exists(e.device))
            continue;
        const QString path = canonical(e.device);
        QString description = e.description;
        for (const SerialDevice& d : present) {
            if (description.isEmpty() && canonical(d.location) == path)
                description = describe(d);
        }
        if (description.isEmpty())
            description = QStringLiteral("Serial Port");
        names.append(QStringLiteral("%1 (%2)").arg(description, e.comName));
        listed.append(path);
    }
    for (const SerialDevice& d : present) {
        if (listed.contains(canonical(d.location)))
            continue;
        const int com = ruleComNumber(d.location);
        if (com == 0)
            continue; // no COM name reaches this device
        names.append(QStringLiteral("%1 (COM%2)").arg(describe(d)).arg(com));
    }
    return names;
}
