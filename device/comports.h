#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Serial ports are chosen by COM name ("COM1".."COM256") on every platform. On Windows the name is
// the device; elsewhere a COM name is mapped to a device file, first by the per-user port map and
// then by a fixed rule:
//   COM1..COM32  -> /dev/ttyS0..31
//   COM33..COM64 -> /dev/ttyUSB0..31
//   COM65..COM96 -> /dev/ttyACM0..31
// The port map is a settings file of organisation "Nuvra", application "ports"
// (~/.config/Nuvra/ports.conf on Linux) with one group per COM name holding `device` (a path) and
// an optional `description`; a group is read as its canonical COM name. The application only
// reads it.

// The description a meter's USB virtual COM port carries, on Windows and in our listing alike.
extern const char* const MeterPortDescription;

struct PortMapEntry {
    QString comName;
    QString device;
    QString description;
};

struct SerialDevice {
    QString location; // device file
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

// Number of a "COMn" name, 0 when the text is not one.
int comNumber(const QString& portName);
// The one spelling of a COM name, "COM7" for "COM07"; empty when the text is not one. Port map
// groups and the names the user connects to are compared in this form.
QString canonicalComName(const QString& portName);

// The fixed rule, both ways: an empty path / 0 where the rule has no entry.
QString ruleDevicePath(int comNumber);
int ruleComNumber(const QString& devicePath);

QList<PortMapEntry> readPortMap();

// Device path to open for a COM name: the map entry, else the rule (on Windows the Win32 device
// path). Empty when the name maps to nothing.
QString devicePathForPort(const QString& portName);

// Friendly names "<description> (COMn)" of the devices present and of the map entries whose
// device exists, map entries first. `exists` tells whether a device file is there.
QStringList friendlyNames(const QList<SerialDevice>& present, const QList<PortMapEntry>& map,
                          const std::function<bool(const QString&)>& exists);

// The one platform listing: friendly names of the serial devices present, or nothing when the
// device list cannot be obtained.
std::optional<QStringList> listSerialDeviceNames();
