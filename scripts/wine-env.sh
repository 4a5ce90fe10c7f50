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
