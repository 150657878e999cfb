#include "device/comports.h"

#ifdef Q_OS_WIN

#include <windows.h>
#include <setupapi.h>

// Friendly names of every present device of every class, in enumeration order; the caller picks
// the serial ones by name.
std::optional<QStringList> listSerialDeviceNames()
{
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return std::nullopt;

    QStringList names;
    SP_DEVINFO_DATA info;
    info.cbSize = sizeof(SP_DEVINFO_DATA);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        LPWSTR buffer = nullptr;
        DWORD size = 0;
        while (!SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, nullptr,
                                                  reinterpret_cast<PBYTE>(buffer), size, &size)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                break;
            if (buffer)
                LocalFree(buffer);
            // Twice the reported size: some drivers report characters where bytes are meant.
            buffer = static_cast<LPWSTR>(LocalAlloc(LPTR, size * 2));
            if (!buffer)
                break;
        }
        QString name;
        if (buffer) {
            name = QString::fromWCharArray(buffer);
            LocalFree(buffer);
        }
        names.append(name);
    }
    // Released whatever ended the enumeration, so that a failing driver does not leak the set.
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

#endif
