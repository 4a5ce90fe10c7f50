#!/usr/bin/env bash
# The main job: set everything up, then show the default virtual server through the
# command-line front end. Optional argument: a profile to switch to first (e.g. acer).
source "$(dirname "$0")/common.sh"
setup_all
if [ $# -gt 0 ]; then
    step "switching the virtual server to profile $1"
    mgxtool testbed use "$1" >/dev/null
fi
step "mgxtool testbed status"
mgxtool testbed status
step "mgxtool init (Halcore on this machine)"
mgxtool init || true
step "summary"
echo "built:   $BIN"
echo "prefix:  $WINEPREFIX (virtual server log and state in drive_c/ProgramData/MgxTestbed)"
echo "try:     scripts/in-prefix.sh mgxtool testbed log     (any program of the system: scripts/in-prefix.sh PROGRAM)"
