#!/usr/bin/env bash
# The main job's browser route in a browser: scripts/run.sh without a display, in a prefix of its
# own, prints an address; headless Chromium opens it, finds the settings program's main menu in
# the page, clicks a button through the page and sees the dialog it opens. Ctrl+C then ends the
# run, and nothing of it is left running: no Wine process of the prefix, no virtual display, no
# VNC server, no web proxy.
set -Eeuo pipefail
export MGX_PREFIX=browser-test
source "$(dirname "$0")/../../scripts/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
rm -rf "$WINEPREFIX"
mkdir -p "$LOGS"
unset DISPLAY
log=$LOGS/browser-route-run.log
setsid "$ROOT/scripts/run.sh" acer >"$log" 2>&1 </dev/null &
run=$!
stop_run() { kill -INT -- "-$run" 2>/dev/null || true; }
trap stop_run EXIT
# The address, once the run prints it (a fresh prefix and the product's installation first).
address= tries=0
while [ -z "$address" ] && [ "$tries" -lt 1200 ] && kill -0 "$run" 2>/dev/null; do
    grep -q '^To stop:' "$log" && address=$(grep -o 'http://localhost:[0-9]*/vnc.html[^ ]*' "$log" || true)
    tries=$((tries + 1))
    sleep 0.5
done
display=$(sed -n 's/^virtual display \(:[0-9]*\)$/\1/p' "$log" | tail -1)
check "the run prints the browser's address" [ -n "$address" ]
check "and says it listens on this machine only, with the tunnel to reach it" grep -q 'listens on this machine only.*tunnel' "$log"
check "a browser opens it, clicks the main menu's button and sees the dialog" \
    bash -c "python3 '$(dirname "$0")/browser_route.py' '$address' '$LOGS' env DISPLAY='$display' WINEPREFIX='$WINEPREFIX' wine '$BIN/settings_tour.exe' --where >'$LOGS/browser-route.log' 2>&1"
cat "$LOGS/browser-route.log"
web_port=${address#http://localhost:}
web_port=${web_port%%/*}

# Ctrl+C ends the run and everything it started.
stop_run
trap - EXIT
ended() { for _ in $(seq 1 120); do kill -0 "$run" 2>/dev/null || return 0; sleep 0.5; done; return 1; }
check "Ctrl+C ends the run" ended
of_prefix() {  # Wine's processes whose environment names the prefix
    local pid
    for pid in $(grep -lsz "^WINEPREFIX=$WINEPREFIX\$" /proc/[0-9]*/environ | cut -d/ -f3); do
        case $(readlink "/proc/$pid/exe" 2>/dev/null) in *wine*) echo "$pid" ;; esac
    done
}
left_after_a_while() {  # the cleanup's wineserver -k may take a moment to end every process
    for _ in $(seq 1 60); do [ -z "$(of_prefix)" ] && return 0; sleep 0.5; done
    ps -o pid,args -p "$(of_prefix | paste -sd,)" || true
    return 1
}
check "no process of the prefix is left" left_after_a_while
# (called here, not through bash -c, whose own command line would hold the pattern)
not_running() {
    local listed found
    listed=$(pgrep -af "$1" || true)  # listed first: a grep beside pgrep would be listed too
    found=$(grep -- "$2" <<<"$listed" || true)
    [ -z "$found" ] && return 0
    echo "still running: $found"
    return 1
}
check "no virtual display is left" not_running Xvfb "Xvfb $display "
check "no VNC server is left" not_running x11vnc "-display $display "
check "no web proxy is left" not_running websockify "127.0.0.1:$web_port "
[ "$failed" = 0 ] && rm -rf "$WINEPREFIX"  # the pictures and logs stay in $LOGS
checks_done
