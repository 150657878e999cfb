#include "device/setupapi_listing.h"

// Compiles to nothing but on Windows; the Linux build globs this file into the library too.
#ifdef _WIN32

#include <windows.h>
#include <setupapi.h>

namespace {

// The friendly name of one device, empty when it has none or it cannot be read.
std::wstring friendlyName(HDEVINFO set, SP_DEVINFO_DATA& info)
{
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
    std::wstring name;
    if (buffer) {
        // LPTR zero-fills, so the text ends at the first NUL even when the driver wrote none.
        name = buffer;
        LocalFree(buffer);
    }
    return name;
}

} // namespace

std::optional<std::vector<std::wstring>> friendlyNamesOfPresentDevices()
{
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE)
        return std::nullopt;

    std::vector<std::wstring> names;
    SP_DEVINFO_DATA info;
    info.cbSize = sizeof(SP_DEVINFO_DATA);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i)
        names.push_back(friendlyName(set, info));
    // Released whatever ended the enumeration, so that a failing driver does not leak the set.
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

#endif
