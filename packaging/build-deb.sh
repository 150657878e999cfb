#!/usr/bin/env bash
# Builds Velumin's Debian package in Release and checks it.
#   packaging/build-deb.sh [build-dir]     build-dir defaults to build-deb, beside the sources
#   packaging/build-deb.sh --check DEB     only the checks below, on a package made before
# Configures a Release build (Debian's hardening flags from dpkg-buildflags), builds the targets
# velumin and velumin-export, runs cpack -G DEB, lists the package, checks that it holds the two
# programs (stripped) and no other, their manual pages, the desktop entry, the icons and the udev
# rule, that its Depends (from dpkg-shlibdeps) names Qt 6 and the SQLite driver, and that
# lintian finds no error (its warnings are shown, not fatal). Prints the package's path last.
# Exits non-zero when any step or check fails. Installs nothing and never asks for root; it needs
# these Debian packages beforehand, besides the build's own (cmake, ninja-build, g++, Qt 6, ...):
#   dpkg-dev file librsvg2-bin desktop-file-utils lintian
# VELUMIN_JOBS sets the number of build jobs (default: the number of processors).
set -euo pipefail

# Paths given are resolved before the cd below, so that relative ones are the caller's.
mode=build build_dir=
if [ "${1:-}" = --check ]; then
    if [ $# -ne 2 ] || [ ! -f "$2" ]; then echo "usage: $0 --check DEB" >&2; exit 2; fi
    mode=check
    deb=$(readlink -f "$2")
elif [ $# -gt 1 ] || [ "${1:-}" = -h ] || [ "${1:-}" = --help ]; then
    echo "usage: $0 [build-dir] | --check DEB" >&2; exit 2
elif [ $# -eq 1 ]; then
    build_dir=$(realpath -m "$1")
fi
cd "$(dirname "$(readlink -f "$0")")/.."

failures=0
fail() { echo "build-deb: FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "build-deb: $*" >&2; exit 1; }

tools=(dpkg-deb file desktop-file-validate lintian)
[ $mode = check ] || tools+=(cmake ninja dpkg-buildflags dpkg-shlibdeps rsvg-convert)
missing=()
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ ${#missing[@]} -eq 0 ] ||
    die "missing tools: ${missing[*]} (Debian packages: cmake ninja-build dpkg-dev file" \
        "librsvg2-bin desktop-file-utils lintian)"

build_package() {  # build_package BUILD-DIR: sets deb
    local BUILD=$1 JOBS=${VELUMIN_JOBS:-$(nproc 2>/dev/null || echo 2)}
    local cxxflags='' ldflags flag version
    # Debian's hardening flags (stack protector, fortify, relro and bindnow); -g and -O2 are left to
    # the Release build type, which strips anyway and optimises with -O3.
    flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
    for flag in $(flags CPPFLAGS) $(flags CXXFLAGS); do
        case $flag in -g|-O2) ;; *) cxxflags="${cxxflags:+$cxxflags }$flag" ;; esac
    done
    ldflags=$(flags LDFLAGS)

    echo "== Configuring $BUILD (Release)"
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
          -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
    echo "== Building velumin and velumin-export"
    cmake --build "$BUILD" -j "$JOBS" --target velumin velumin-export

    echo "== Packaging"
    rm -f "$BUILD"/velumin_*.deb
    (cd "$BUILD" && cpack -G DEB)
    version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD/CPackConfig.cmake")
    deb="$BUILD/velumin_${version}_$(dpkg --print-architecture).deb"
    if [ -z "$version" ] || [ ! -f "$deb" ]; then die "cpack made no package named $deb"; fi
    deb=$(readlink -f "$deb")
}

check_package() {  # check_package DEB
    local deb=$1 contents paths path size unexpected png rules want depends program
    local programs=(/usr/bin/velumin /usr/bin/velumin-export)
    local expected=()
    echo "== Contents of $deb"
    contents=$(dpkg-deb -c "$deb")
    echo "$contents"
    paths=$(echo "$contents" | awk '{ print $NF }' | sed 's|^\./|/|')
    expected=("${programs[@]}"
              /usr/share/applications/velumin.desktop
              /usr/share/icons/hicolor/scalable/apps/velumin.svg
              /usr/lib/udev/rules.d/70-velumin.rules
              /usr/share/man/man1/velumin.1.gz
              /usr/share/man/man1/velumin-export.1.gz
              /usr/share/doc/velumin/copyright
              /usr/share/doc/velumin/changelog.gz)
    for size in 16 32 48 64 128 256; do
        expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/velumin.png")
    done
    for path in "${expected[@]}"; do
        grep -qxF "$path" <<<"$paths" || fail "the package lacks $path"
    done
    # Only the two programs: no test, tool or benchmark.
    unexpected=$(grep -E '^/usr/(bin|sbin|libexec)/.+[^/]$' <<<"$paths" |
                 grep -vxF "${programs[@]/#/-e}" || true)
    [ -z "$unexpected" ] || fail "the package holds other programs: $unexpected"
    if grep -q '^/usr/local' <<<"$paths"; then fail "the package installs under /usr/local"; fi

    echo "== Checking the files"
    unpacked=$(mktemp -d)
    trap 'rm -rf "$unpacked"' EXIT
    dpkg-deb -x "$deb" "$unpacked"
    desktop-file-validate "$unpacked/usr/share/applications/velumin.desktop" ||
        fail "desktop-file-validate rejects the desktop entry"
    for size in 16 32 48 64 128 256; do
        png="$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/velumin.png"
        [ -f "$png" ] || continue
        file -b "$png" | grep -q "^PNG image data, $size x $size," ||
            fail "${size}x${size}/apps/velumin.png is not a ${size}x${size} PNG: $(file -b "$png")"
    done
    rules="$unpacked/usr/lib/udev/rules.d/70-velumin.rules"
    if [ -f "$rules" ]; then
        for want in 'SUBSYSTEM=="tty"' 'ATTRS{idVendor}=="0483"' 'ATTRS{idProduct}=="5740"' \
                    'TAG+="uaccess"' 'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
            grep -v '^#' "$rules" | grep -qF "$want" || fail "the udev rule lacks $want"
        done
    fi
    for program in "${programs[@]}"; do
        file -b "$unpacked$program" | grep -q 'ELF.*, stripped' ||
            fail "${program#/} is not stripped"
    done

    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    [ -n "$depends" ] || fail "the package has no Depends"
    grep -q 'libqt6' <<<"$depends" || fail "Depends does not name Qt 6 (libqt6...)"
    grep -q 'libqt6sql6-sqlite' <<<"$depends" || fail "Depends does not name the SQLite driver"
    grep -q 'libqt6sql6-psql' <<<"$depends" || fail "Depends does not name the PostgreSQL driver"

    echo "== lintian"
    # --fail-on error: an error (E:) fails, warnings and notes are only shown.
    local lintian_out lintian_tags lintian_rc=0
    lintian_out=$(lintian --display-info --fail-on error "$deb" 2>&1) || lintian_rc=$?
    lintian_tags=$(grep -v '^running with root privileges is not recommended!$' <<<"$lintian_out" || true)
    if [ -n "$lintian_tags" ]; then echo "$lintian_tags"; else echo "lintian: no tags"; fi
    [ "$lintian_rc" -eq 0 ] || fail "lintian exited with $lintian_rc"
    if grep -q '^E: ' <<<"$lintian_tags"; then fail "lintian reports errors"; fi
}

[ $mode = check ] || build_package "${build_dir:-build-deb}"
check_package "$deb"

if [ "$failures" -gt 0 ]; then
    die "$failures check(s) failed for $deb"
fi
echo "== Package: $deb"
