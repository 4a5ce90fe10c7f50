# The environment every program of the system runs in: the project's own Wine prefix, never
# ~/.wine. Source it; it sets ROOT, BUILD, BIN and the Wine variables, and changes nothing.
#
#   MGX_BUILD_DIR   the build tree (default: build/ in the project)
#   MGX_PREFIX      the prefix's folder name inside the build tree (default: prefix; the tests
#                   use test-prefix, so they never touch the user's testbed)

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${MGX_BUILD_DIR:-$ROOT/build}
BIN=$BUILD/bin
export WINEPREFIX=$BUILD/${MGX_PREFIX:-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Never offer to install Mono or Gecko; never let Wine's menu builder write menu entries and
# desktop files into the home folder (the setup program makes a Start-menu shortcut).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine maps file names through the Unix locale's character set: under one that is not UTF-8 (C,
# POSIX, or none at all, as in a minimal container or a CI runner) a name such as "Tü" cannot be
# made. The programs then run under C.UTF-8, which every Debian system has.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then export LC_ALL=C.UTF-8; fi
