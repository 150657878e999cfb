#pragma once

#include <QStringList>
#include <functional>
#include <optional>

// Finding the meter's port by its friendly name, "STMicroelectronics Virtual COM Port (COMn)".

// COM number of the first name that names a meter port: n > 0 when found, 0 when that name holds
// no parsable number, -1 when no name matches.
int comNumberFromNames(const QStringList& friendlyNames);

// The same over the platform listing; -1 (and the log line "error 1") when there is no list.
int findComPort();
int findComPort(const std::optional<QStringList>& friendlyNames);

// The friendly names of the platform listing, or none when there is no list.
std::optional<QStringList> deviceNames();

// Replaces the platform listing, for tests; an empty function restores it.
using DeviceListing = std::function<std::optional<QStringList>()>;
void setDeviceListing(DeviceListing listing);
