#!/usr/bin/env bash
# Runs a program of the system against the virtual server, on a chosen profile and with faults.
#
#   scripts/testbed.sh [--profile NAME] [--fault 'KIND [OPTIONS]']... -- PROGRAM [ARGUMENTS]
#
# PROGRAM is a file in the build's bin folder (mgxtool, GK7T30U2.EXE, ...) or a Windows path.
# Faults take mgxtb's syntax (mgxtb fault add): --fault 'completion-code --code 0xc1 --netfn 0x3a --count 2';
# a slow unit: --fault 'delay --ms 1500'; one silent sensor owner: --fault 'silence --address 0x16'
# (owner 0x2C's sensors, at its ID shifted right by one).
# Needs a finished setup (scripts/run.sh once).
source "$(dirname "$0")/common.sh"
profile= faults=()
while [ $# -gt 0 ]; do
    case $1 in
    --profile) profile=$2; shift 2 ;;
    --fault) faults+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
[ $# -gt 0 ] || die "usage: scripts/testbed.sh [--profile NAME] [--fault 'KIND ...']... -- PROGRAM [ARGUMENTS]"
[ -f "$BIN/mgxtool.exe" ] || die "nothing built yet: run scripts/run.sh first"
start_wine
[ -z "$profile" ] || mgxtb use "$profile" >/dev/null
for fault in "${faults[@]}"; do
    # shellcheck disable=SC2086
    mgxtb fault add $fault >/dev/null
done
status=0
"$ROOT/scripts/in-prefix.sh" "$@" || status=$?
echo "(exit status $status; exchange log: scripts/in-prefix.sh mgxtb log, server log: $WINEPREFIX/drive_c/ProgramData/MgxTestbed/server.log)" >&2
exit $status
