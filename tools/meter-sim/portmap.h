#pragma once

#include <QString>

namespace metersim {

// The per-user port map through which the application finds a meter as a COM port.
void registerPort(const QString& port, const QString& device);
void unregisterPort(const QString& port);

} // namespace metersim
