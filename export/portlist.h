#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The serial ports as the window's port search sees them, for --list.
namespace PortList {

struct Port {
    QString comName;
    QString device;
    QString description;
    bool meter = false; // its description is the meter's
};

// The ports named by `friendlyNames` ("<description> (COMn)"), with the device each COM name
// opens.
QList<Port> fromFriendlyNames(const QStringList& friendlyNames);

// One line per port: COM name, device, description and "meter" or nothing, separated by tabs.
QByteArray text(const QList<Port>& ports);

} // namespace PortList
