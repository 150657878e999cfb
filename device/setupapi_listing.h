#pragma once

// The part of the Windows device listing that talks to SetupAPI. It uses only Win32 and the C++
// standard library, so that it can be compiled on its own (tools/check-windows.sh does, with
// mingw-w64) and stays free of Qt.

#ifdef _WIN32

#include <optional>
#include <string>
#include <vector>

// Friendly names of every present device of every class, in enumeration order; an empty name for
// a device without one. Nothing when the device set cannot be obtained.
std::optional<std::vector<std::wstring>> friendlyNamesOfPresentDevices();

#endif
