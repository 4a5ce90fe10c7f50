# A display for the settings program: the user's or a virtual one, and Wine's drivers for it.
# Sourced by scripts/common.sh.

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

# Ended and waited for, also when Ctrl+C reached it first and it is still ending.
stop_virtual_display() {
    [ -n "${VIRTUAL_DISPLAY_PID:-}" ] || return 0
    kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
    wait "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
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
