# Shared by the project's scripts: packages, tool check, build, the Wine prefix and the testbed
# in it. Source it; it sets ROOT, BUILD, BIN and the Wine environment (scripts/wine-env.sh).
# Each concern has a file of its own in scripts/lib: the steps' reporting, the packages and the
# tool check, the build, the Wine prefix with the testbed and the product, the display.
#
# What the scripts change outside the project's build tree, and nothing else: the Debian
# packages in scripts/lib/packages.sh (installed when missing) and the ja_JP.UTF-8 locale
# (generated when missing).
set -Eeuo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
LOGS=$BUILD/logs/$(basename "$WINEPREFIX")  # each prefix its own
for part in steps packages build prefix display; do
    source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done

# Everything the main job needs, made or checked in order; the arguments are the build's targets
# (scripts/lib/build.sh; the tests add test_programs).
setup_all() {
    step "packages"
    ensure_packages
    check_tools
    ensure_japanese_locale
    step "building (64-bit Windows binaries in $BIN)"
    build "$@"
    step "Wine prefix and testbed"
    mkdir -p "$LOGS"
    start_wine
    install_testbed
    echo "virtual server and drivers running in $WINEPREFIX"
}
