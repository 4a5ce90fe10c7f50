# Shared by the project's scripts: packages, tool check, build, the Wine prefix and the testbed
# in it. Source it; it sets ROOT, BUILD, BIN and the Wine environment (scripts/wine-env.sh).
#
# What the scripts change outside the project's build tree, and nothing else: the Debian
# packages below (installed when missing) and the ja_JP.UTF-8 locale (generated when missing).
set -Eeuo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
LOGS=$BUILD/logs

# Every package whose commands or files the scripts, the build and the tests use.
PACKAGES=(
    wine wine64                                   # wine, wineboot, wineserver and the 64-bit loader
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64                     # windres, dlltool
    cmake ninja-build                             # cmake, ctest, ninja
    googletest nlohmann-json3-dev libcli11-dev    # sources and headers the build takes
    locales                                       # the ja_JP locale's data for localedef
    clang libclang-rt-14-dev                      # the decoders' fuzzers: clang++, libFuzzer, sanitizers
    freeipmi-tools                                # ipmi-fru: an outside reader of the testbed's FRU images
    wixl                                          # the product's Windows Installer package
    prometheus prometheus-node-exporter curl      # promtool and a scrape of mgxtool metrics end to end
    ansible                                       # ansible-playbook: the role that applies settings to many units
)

# What the main job and the pictures add: a virtual display, a VNC server with its web client,
# a screen grabber and a Japanese font.
DISPLAY_PACKAGES=(xvfb x11-utils x11vnc novnc websockify imagemagick fonts-ipafont-gothic fonts-wine)
DISPLAY_TOOLS=(Xvfb:xvfb x11vnc:x11vnc websockify:websockify import:imagemagick xdpyinfo:x11-utils)

# Every outside command the scripts, the build and the tests call, with the package that brings
# it. Each must come from the list above, from a package those depend on, or from one every
# Debian system has (priority required).
TOOLS=(
    wine:wine wineboot:wine wineserver:wine
    x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-dlltool:binutils-mingw-w64-x86-64
    cmake:cmake ctest:cmake ninja:ninja-build clang++:clang ipmi-fru:freeipmi-tools wixl:wixl
    promtool:prometheus prometheus:prometheus prometheus-node-exporter:prometheus-node-exporter curl:curl
    ansible-playbook:ansible
    localedef:libc-bin locale:libc-bin dpkg-query:dpkg apt-get:apt
    bash:bash env:coreutils date:coreutils tail:coreutils grep:grep sed:sed awk:mawk
)

step() { printf '\n==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# A failing command anywhere says what failed and where (with the calls that led there) before
# the script ends.
report_failure() {
    local status=$1 command=$2 where frame
    where="${BASH_SOURCE[1]:-$0}:${BASH_LINENO[0]}"
    for ((frame = 1; frame < ${#FUNCNAME[@]} - 1; frame++)); do
        where+=" in ${FUNCNAME[frame]}, called from ${BASH_SOURCE[frame + 1]:-$0}:${BASH_LINENO[frame]}"
    done
    # A failing function reports its own "return"; the line it names is then the call.
    [[ $command == return* ]] && command="the command" || command="\"$command\""
    printf '\nerror: %s at %s failed with exit status %s\n' "$command" "$where" "$status" >&2
}
trap 'report_failure $? "$BASH_COMMAND"' ERR

# logged NAME COMMAND...: runs a noisy command with its output in $LOGS/NAME.log; when it fails,
# the log's tail is shown.
logged() {
    local name=$1 status=0
    shift
    mkdir -p "$LOGS"
    "$@" >"$LOGS/$name.log" 2>&1 || status=$?
    if [ "$status" != 0 ]; then
        printf '\nerror: "%s" failed with exit status %s; the last lines of %s:\n' "$*" "$status" "$LOGS/$name.log" >&2
        tail -n 30 "$LOGS/$name.log" >&2
    fi
    return "$status"
}

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else die "need root for: $*"; fi
}

installed() { dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null | grep -q '^ii'; }

ensure_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}" "$@"; do
        installed "$package" || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all packages present"
        return
    fi
    step "installing ${missing[*]} (system-wide, through apt-get)"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The installed packages that the given ones bring, following Depends and Pre-Depends (any
# installed alternative, and virtual packages through Provides), plus every required package.
package_closure() {
    dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Priority}\t${Provides}\t${Pre-Depends}, ${Depends}\n' |
        awk -F'\t' -v roots="$*" '
            function name(text) { sub(/^[ \t]+/, "", text); sub(/[ \t(:].*$/, "", text); return text }
            $1 ~ /^ii/ {
                installed[$2] = 1; depends[$2] = $5
                if ($3 == "required") queue[++tail] = $2
                count = split($4, provided, ",")
                for (i = 1; i <= count; i++) provider[name(provided[i])] = provider[name(provided[i])] " " $2
            }
            END {
                count = split(roots, root, " ")
                for (i = 1; i <= count; i++) queue[++tail] = root[i]
                while (head < tail) {
                    package = queue[++head]
                    if (seen[package]++) continue
                    print package
                    groups = split(depends[package], group, ",")
                    for (g = 1; g <= groups; g++) {
                        choices = split(group[g], choice, "|")
                        for (c = 1; c <= choices; c++) {
                            wanted = name(choice[c])
                            if (wanted in installed) queue[++tail] = wanted
                            providers = split(provider[wanted], by, " ")
                            for (p = 1; p <= providers; p++) queue[++tail] = by[p]
                        }
                    }
                }
            }'
}

# The package that owns a command: its path, then each link it leads through (alternatives),
# each also as the path before /usr was merged.
owner_of() {
    local path=$1 candidate owner
    while [ -n "$path" ]; do
        for candidate in "$path" "${path/#\/usr\/bin\//\/bin\/}" "${path/#\/usr\/sbin\//\/sbin\/}"; do
            owner=$(dpkg-query -S "$candidate" 2>/dev/null | head -n 1) || true
            [ -n "$owner" ] && { echo "${owner%%:*}"; return; }
        done
        [ -L "$path" ] || return 0
        local target
        target=$(readlink "$path")
        case $target in /*) path=$target ;; *) path=$(dirname "$path")/$target ;; esac
    done
}

# Stops the run when a command the project needs is missing, or is present only because it was
# installed by hand: the message names the package to add to PACKAGES.
#   check_tools [PACKAGE_LIST_NAME TOOL_LIST_NAME]   (default PACKAGES TOOLS)
check_tools() {
    local -n packages=${1:-PACKAGES} tools=${2:-TOOLS}
    local closure entry tool package path owner problems=0
    closure=" $(package_closure "${PACKAGES[@]}" "${packages[@]}" | tr '\n' ' ') "
    for entry in "${tools[@]}"; do
        tool=${entry%%:*} package=${entry#*:}
        if ! path=$(command -v "$tool"); then
            printf 'error: the command %s is missing: add the package %s to %s in scripts/common.sh\n' "$tool" "$package" "${1:-PACKAGES}" >&2
            problems=$((problems + 1))
            continue
        fi
        owner=$(owner_of "$path")
        if [ -z "$owner" ] || [[ $closure != *" $owner "* ]]; then
            printf 'error: the command %s (%s, from package %s) is not brought by the package list: add %s to %s in scripts/common.sh\n' \
                "$tool" "$path" "${owner:-none}" "${owner:-$package}" "${1:-PACKAGES}" >&2
            problems=$((problems + 1))
        fi
    done
    [ "$problems" = 0 ] || die "$problems command(s) not provided by the package list"
    echo "all ${#tools[@]} commands present, each from a listed package"
}

# Wine names files through the Unix locale's character set, so a program run in a Japanese
# locale (tests do) needs the locale's data.
ensure_japanese_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return
    step "generating the ja_JP.UTF-8 locale (system-wide)"
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
    mkdir -p "$WINEPREFIX"
    trap 'wineserver -k 2>/dev/null || true' EXIT
    # One persistent wineserver first, so that booting or making the prefix and every program
    # after it share one session (one service manager). When one already runs, this one ends.
    wineserver -p 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        step "creating the Wine prefix in $WINEPREFIX"
        logged wineboot wineboot -i
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null   # headless windows
        # Wine's menu builder stays off for anybody who uses this prefix, also without our scripts.
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null
        # Making a prefix leaves two service managers running; a fresh session has one.
        wineserver -k 2>/dev/null || true
        wineserver -w
        wineserver -p
    fi
    # Starts the automatic services (the testbed's among them). Wine reports a boot that had
    # nothing to update as a failure, so only the log tells.
    wineboot >"$LOGS/wineboot-start.log" 2>&1 || true
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
    check_tools
    ensure_japanese_locale
    step "building (64-bit Windows binaries in $BIN)"
    build
    step "Wine prefix and testbed"
    mkdir -p "$LOGS"
    start_wine
    install_testbed
    echo "virtual server and drivers running in $WINEPREFIX"
}

mgxtool() { wine "$BIN/mgxtool.exe" "$@"; }

# The display side of the prefix: packages, a display (the user's, or a virtual one of our own),
# Wine's X11 driver with one virtual desktop, and a Japanese font for the dialogs' font.
setup_display() {
    ensure_packages "${DISPLAY_PACKAGES[@]}"
    check_tools DISPLAY_PACKAGES DISPLAY_TOOLS
    if [ -z "${DISPLAY:-}" ]; then
        local number=99
        while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$LOGS/xvfb.log" 2>&1 &
        VIRTUAL_DISPLAY_PID=$!
        export DISPLAY=":$number"
        local tries=0
        until xdpyinfo >/dev/null 2>&1; do
            tries=$((tries + 1))
            [ "$tries" -lt 100 ] || die "the virtual display $DISPLAY did not come up (see $LOGS/xvfb.log)"
            sleep 0.1
        done
        echo "virtual display $DISPLAY"
    fi
}

stop_virtual_display() {
    [ -n "${VIRTUAL_DISPLAY_PID:-}" ] && kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
}

# Switches the prefix's session to Wine's X11 driver, in a virtual desktop of the given size
# (none when the size is empty: the windows go straight onto the user's display),
# with the dialogs' font replaced by one that has Japanese; ends a running session first,
# since the driver is chosen when a session starts.
use_x11_desktop() {
    local size=$1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
    if [ -n "$size" ]; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null
    else
        wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    fi
    # Wine's own fonts (Marlett draws the caption buttons), where the prefix's programs find them.
    cp /usr/share/wine/fonts/*.tt? "$WINEPREFIX/drive_c/windows/Fonts/"
    local font
    for font in 'MS Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2' Tahoma 'MS UI Gothic'; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d IPAPGothic /f >/dev/null
    done
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p
    wineboot >"$LOGS/wineboot-start.log" 2>&1 || true   # the testbed's services again
}

# Back to the headless driver for everything else that uses the prefix.
use_null_driver() {
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true
    wineserver -w
}

# Installs the product into C:\GK7T30 of the prefix from its installer package, silently, as an
# administrator would; the setup program's log is C:\GK7T30\setup.log, the installer's
# C:\GK7T30-install.log. The product installed by an earlier run is removed first (with the
# package it came from, kept in the prefix), so every run starts from the installation defaults.
install_product() {
    local package kept=$WINEPREFIX/drive_c/mgx-installed.msi status=0
    package=$(ls "$BUILD"/Uptiva-*-x64*.msi 2>/dev/null | head -1)
    [ -n "$package" ] || die "no installer package in $BUILD (the build makes it)"
    if [ -f "$kept" ]; then wine msiexec /x 'C:\mgx-installed.msi' /qn >/dev/null 2>&1 || true; fi
    cp "$package" "$kept"
    wine msiexec /i 'C:\mgx-installed.msi' /qn 'INSTALLDIR=C:\GK7T30\' /l*v 'C:\GK7T30-install.log' || status=$?
    # Wine hands msiexec's exit code over cut to 8 bits: 1603 (the setup program failed) is 67.
    case $status in
    0) echo "installed $(basename "$package") into C:\GK7T30 (setup log: $WINEPREFIX/drive_c/GK7T30/setup.log)" ;;
    67) die "the installation failed and was rolled back: the setup program found no usable management unit on this machine, or a step of it failed (see $WINEPREFIX/drive_c/GK7T30-install.log)" ;;
    *) die "msiexec failed with exit code $status (see $WINEPREFIX/drive_c/GK7T30-install.log)" ;;
    esac
}
