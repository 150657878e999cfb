#include "device/comports.h"

#ifdef Q_OS_WIN

#include "device/setupapi_listing.h"

// Friendly names of every present device of every class, in enumeration order; the caller picks
// the serial ones by name. The SetupAPI work is in device/setupapi_listing.cpp; this only turns
// its names into Qt strings.
std::optional<QStringList> listSerialDeviceNames()
{
    const std::optional<std::vector<std::wstring>> found = friendlyNamesOfPresentDevices();
    if (!found)
        return std::nullopt;

    QStringList names;
    names.reserve(static_cast<qsizetype>(found->size()));
    for (const std::wstring& name : *found)
        names.append(QString::fromStdWString(name));
    return names;
}

#endif
