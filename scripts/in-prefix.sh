#!/usr/bin/env bash
# Runs one program of the system in the prefix's environment (build/prefix, never ~/.wine):
#
#   scripts/in-prefix.sh PROGRAM [ARGUMENTS]
#
# PROGRAM is a file in the build's bin folder (mgxtool, GK7T30U2.EXE, ...), a Windows path, or
# any other path. The tests run through it too, with MGX_PREFIX=test-prefix.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
[ $# -gt 0 ] || { echo "usage: scripts/in-prefix.sh PROGRAM [ARGUMENTS]" >&2; exit 2; }
[ -f "$WINEPREFIX/system.reg" ] || { echo "error: no prefix in $WINEPREFIX yet: run scripts/run.sh first" >&2; exit 1; }
program=$1
shift
case $program in
*\\* | *:* | */*) ;;
*) if [ -f "$BIN/$program" ]; then program=$BIN/$program; else program=$BIN/$program.exe; fi ;;
esac
[ "${MGX_PREFIX:-}" = test-prefix ] || exec wine "$program" "$@"
# In the tests' prefix a program that ends early (a library it needs not found, a start that
# failed) says nothing with Wine's messages off, so a failure names its exit status for the test's
# output; the status is passed on unchanged.
status=0
wine "$program" "$@" || status=$?
[ "$status" -eq 0 ] || echo "in-prefix: ${program##*/} ended with exit status $status" >&2
exit "$status"
