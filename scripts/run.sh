#!/usr/bin/env bash
# The main job: set everything up, install the product into the prefix with its own setup
# program, and start the settings program GK7T30UI on the testbed's machine.
#
#   scripts/run.sh [PROFILE] [--check | --screenshots]
#
# PROFILE: turn the virtual server into that machine first (e.g. acer).
# With DISPLAY set the program's window opens on that display. Without one it runs on a
# virtual display that a web browser on this machine reaches (the address is printed).
# --check: start the program, print what its main menu shows, close it and end.
# --screenshots: write the pictures of the program's windows (scripts/screenshots.sh, into
# build/pictures) and end.
# The product installed by an earlier run is kept with its data (or upgraded when the build is
# newer); a profile resets the simulated unit, never the product's data.
source "$(dirname "$0")/common.sh"
profile= mode=interactive
for argument in "$@"; do
    case $argument in
    --check) mode=check ;;
    --screenshots) exec "$ROOT/scripts/screenshots.sh" ;;
    -*) die "unknown option $argument (see the top of scripts/run.sh)" ;;
    *) profile=$argument ;;
    esac
done

setup_all
if [ -n "$profile" ]; then
    step "switching the virtual server to profile $profile"
    mgxtb use "$profile" >/dev/null
    echo "the simulated unit starts afresh as $profile: its memory (running hours, boot monitoring, safe power-off"
    echo "mode, store area, FRU, LCD), event log, repository and faults; the product's data (wear parts, notification"
    echo "method) stay as they are"
fi
step "mgxtb status"
mgxtb status

step "installing the product from its installer package"
install_product

if [ "$mode" = check ]; then
    step "starting the settings program (check)"
    wine "$BIN/settings_tour.exe" 'C:\GK7T30' --check
    exit
fi

step "starting the settings program"
web_port=6080
vnc_port=5900
# Each helper is ended and waited for (also one that Ctrl+C already reached and that is still
# ending), so nothing of the run is left when the script ends.
end_process() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    end_process "${websockify_pid:-}"
    end_process "${vnc_pid:-}"
    use_null_driver
    stop_virtual_display
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
if [ -n "${DISPLAY:-}" ]; then
    setup_display
    use_x11_desktop ''
    echo "the window opens on display $DISPLAY"
else
    setup_display
    use_x11_desktop 1024x768
    while [ -e "/proc/net/tcp" ] && grep -q ":$(printf '%04X' $vnc_port) " /proc/net/tcp; do vnc_port=$((vnc_port + 1)); done
    while [ -e "/proc/net/tcp" ] && grep -q ":$(printf '%04X' $web_port) " /proc/net/tcp; do web_port=$((web_port + 1)); done
    x11vnc -display "$DISPLAY" -localhost -rfbport "$vnc_port" -forever -shared -nopw -quiet >"$LOGS/x11vnc.log" 2>&1 &
    vnc_pid=$!
    websockify --web /usr/share/novnc "127.0.0.1:$web_port" "127.0.0.1:$vnc_port" >"$LOGS/websockify.log" 2>&1 &
    websockify_pid=$!
    echo
    echo "The settings program runs on a virtual display. Open this address in a web browser on this machine:"
    echo
    echo "    http://localhost:$web_port/vnc.html?autoconnect=true&resize=scale"
    echo
    echo "It listens on this machine only (127.0.0.1). From another machine, tunnel it over SSH first:"
    echo "    ssh -L $web_port:localhost:$web_port USER@$(hostname)   and open the same address there."
    echo
    echo "To stop: end the program (its \"End /Exit\" button), or press Ctrl+C here."
fi
status=0
wine 'C:\GK7T30\GK7T30UI.EXE' || status=$?
echo "the settings program ended (exit code $status)"
