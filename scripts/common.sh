# Shared by the project's scripts: packages, build, the Wine prefix and the testbed in it.
# Source it; it sets ROOT, BUILD, BIN and the Wine environment.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${MGX_BUILD_DIR:-$ROOT/build}
BIN=$BUILD/bin
export WINEPREFIX=$BUILD/prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="   # never offer to install Mono or Gecko

PACKAGES=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          cmake ninja-build googletest nlohmann-json3-dev libcli11-dev locales)

step() { printf '\n==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else die "need root for: $*"; fi
}

ensure_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all packages present"
        return
    fi
    step "installing ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Wine names files through the Unix locale's character set, so a program run in a Japanese
# locale (tests do) needs the locale's data.
ensure_japanese_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return
    step "generating the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

build() {
    if [ ! -f "$BUILD/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$BUILD"
}

# The prefix's wineserver stays up for the whole run (services and drivers with it) and is
# ended when the calling script exits, also on failure.
start_wine() {
    # One persistent wineserver first, so that booting or making the prefix and every program
    # after it share one session (one service manager).
    mkdir -p "$WINEPREFIX"
    wineserver -p 2>/dev/null || true   # fails harmlessly when one already runs
    trap 'wineserver -k 2>/dev/null || true' EXIT
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        step "creating the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null   # headless windows
        # Making a prefix leaves two service managers running; a fresh session has one.
        wineserver -k 2>/dev/null || true
        wineserver -w
        wineserver -p
    fi
    wineboot >/dev/null 2>&1 || true   # starts the automatic services (the testbed's among them)
}

# Copies the testbed into the prefix and (re)registers its services: the virtual server and the
# three stand-in drivers. Idempotent.
install_testbed() {
    local drive=$WINEPREFIX/drive_c
    if [ -f "$drive/mgxtestbed/vserver.exe" ]; then
        wine 'C:\mgxtestbed\vserver.exe' uninstall || true
    fi
    mkdir -p "$drive/mgxtestbed"
    rm -rf "$drive/mgxtestbed/profiles"
    cp "$BIN/vserver.exe" "$drive/mgxtestbed/"
    cp -r "$BIN/profiles" "$drive/mgxtestbed/"
    cp "$BIN"/imbdrv.sys "$BIN"/bmc.sys "$BIN"/SMBUS2.sys "$drive/windows/system32/drivers/"
    cp "$BIN"/DMIINFO.dll "$BIN"/Imbapi.dll "$BIN"/sensor.dll "$drive/windows/system32/"
    wine reg add 'HKLM\SOFTWARE\MgxTestbed' /v SmbiosSource /d VirtualServer /f >/dev/null
    wine 'C:\mgxtestbed\vserver.exe' install
}

setup_all() {
    step "packages"
    ensure_packages
    ensure_japanese_locale
    step "building (64-bit Windows binaries in $BIN)"
    build
    step "Wine prefix and testbed"
    start_wine
    install_testbed
    echo "virtual server and drivers running in $WINEPREFIX"
}

mgxtool() { wine "$BIN/mgxtool.exe" "$@"; }
