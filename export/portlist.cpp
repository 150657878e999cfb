#include "export/portlist.h"

#include "device/comports.h"

namespace PortList {

QList<Port> fromFriendlyNames(const QStringList& friendlyNames)
{
    QList<Port> ports;
    for (const QString& name : friendlyNames) {
        const int open = name.lastIndexOf(QLatin1String(" (COM"));
        if (open < 0 || !name.endsWith(QLatin1Char(')')))
            continue;
        Port p;
        p.comName = canonicalComName(name.mid(open + 2, name.size() - open - 3));
        if (p.comName.isEmpty())
            continue;
        p.description = name.left(open);
        p.device = devicePathForPort(p.comName);
        p.meter = p.description.contains(QLatin1String(MeterPortDescription));
        ports.append(p);
    }
    return ports;
}

QByteArray text(const QList<Port>& ports)
{
    QByteArray out;
    for (const Port& p : ports) {
        // One port one line, whatever a device's description holds.
        QString description = p.description;
        description.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += (QStringList{p.comName, p.device, description,
                            p.meter ? QStringLiteral("meter") : QString()}
                    .join(QLatin1Char('\t')) +
                QLatin1Char('\n'))
                   .toUtf8();
    }
    return out;
}

} // namespace PortList
