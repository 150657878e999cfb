#!/usr/bin/env bash
# Compile-checks the Windows device listing on Linux with mingw-w64: device/setupapi_listing.cpp
# (Win32 and the C++ standard library only) is compiled to an object against the real setupapi.h,
# and a small driver calling it is linked with -lsetupapi into a .exe, so that the SetupAPI
# symbols are shown to resolve. Nothing is run.
#   tools/check-windows.sh               skipped (exit 0) when x86_64-w64-mingw32-g++ is missing
#   VELUMIN_REQUIRE_MINGW=1 tools/...    a missing compiler is a failure
# The compiler comes with the Debian package g++-mingw-w64-x86-64.
set -euo pipefail
root="$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)"

CXX=x86_64-w64-mingw32-g++
OBJDUMP=x86_64-w64-mingw32-objdump
FLAGS=(-std=c++17 -Wall -Wextra -Wpedantic -Werror -I"$root")

if ! command -v "$CXX" >/dev/null 2>&1; then
    if [ "${VELUMIN_REQUIRE_MINGW:-0}" = 1 ]; then
        echo "check-windows: FAILED: $CXX not found (VELUMIN_REQUIRE_MINGW=1);" \
             "install g++-mingw-w64-x86-64" >&2
        exit 1
    fi
    echo "check-windows: skipped: $CXX not found (install g++-mingw-w64-x86-64," \
         "set VELUMIN_REQUIRE_MINGW=1 to make this a failure)"
    exit 0
fi

work=$(mktemp -d /tmp/velumin-check-windows.XXXXXX)
trap 'rm -rf "$work"' EXIT

run() {  # echoes a command, then runs it
    echo "+ $*"
    "$@"
}

echo "check-windows: $("$CXX" --version | head -n 1)"

echo "check-windows: compiling device/setupapi_listing.cpp to an object"
run "$CXX" "${FLAGS[@]}" -c "$root/device/setupapi_listing.cpp" -o "$work/setupapi_listing.o"
symbols=$("$OBJDUMP" -t "$work/setupapi_listing.o")
if ! grep -q friendlyNamesOfPresentDevices <<<"$symbols"; then
    echo "check-windows: FAILED: the object defines no friendlyNamesOfPresentDevices" \
         "(was the source compiled without _WIN32?)" >&2
    exit 1
fi

cat >"$work/check_listing.cpp" <<'CPP'
#include "device/setupapi_listing.h"

#include <cstdio>

// Lists the friendly names, so that every part of the listing is linked in.
int main()
{
    const std::optional<std::vector<std::wstring>> names = friendlyNamesOfPresentDevices();
    if (!names) {
        std::fputs("no device list\n", stderr);
        return 1;
    }
    for (const std::wstring& name : *names)
        std::fputws((name + L"\n").c_str(), stdout);
    return 0;
}
CPP

echo "check-windows: linking a driver with -lsetupapi"
run "$CXX" "${FLAGS[@]}" -c "$work/check_listing.cpp" -o "$work/check_listing.o"
run "$CXX" "$work/check_listing.o" "$work/setupapi_listing.o" -o "$work/check_listing.exe" \
    -static -lsetupapi

# The SetupAPI functions must be imported from setupapi.dll, not defined anywhere else.
imports=$("$OBJDUMP" -p "$work/check_listing.exe")
missing=0
for fn in SetupDiGetClassDevsW SetupDiEnumDeviceInfo SetupDiGetDeviceRegistryPropertyW \
          SetupDiDestroyDeviceInfoList; do
    if awk -v fn="$fn" '
            /DLL Name:/ { dll = tolower($NF) }
            dll == "setupapi.dll" && $NF == fn { found = 1 }
            END { exit !found }' <<<"$imports"; then
        echo "check-windows: $fn imported from SETUPAPI.dll"
    else
        echo "check-windows: FAILED: $fn is not imported from SETUPAPI.dll" >&2
        missing=1
    fi
done
[ "$missing" = 0 ] || exit 1

echo "check-windows: OK (object and check_listing.exe built in $work, removed on exit)"
