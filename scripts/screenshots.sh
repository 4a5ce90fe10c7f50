#!/usr/bin/env bash
# Pictures of the settings program's windows, in English and in Japanese: the product installed
# by its setup program into the prefix, on a virtual display of its own, walked through its
# windows by build/bin/settings_tour.exe. Writes NAME-en.png and NAME-ja.png into build/pictures,
# or into the folder given (docs/pictures to refresh the README's pictures).
#
#   scripts/screenshots.sh [OUTPUT_FOLDER]
#
# It works in a prefix of its own (build/screenshot-prefix unless MGX_PREFIX names another), so
# the user's testbed is untouched; the product is installed there afresh.
export MGX_PREFIX=${MGX_PREFIX:-screenshot-prefix}
source "$(dirname "$0")/common.sh"
output=${1:-$BUILD/pictures}
unset DISPLAY  # always our own display, so nothing else is on the pictures
setup_all
step "virtual display and Wine's X11 driver"
setup_display
trap 'stop_virtual_display; wineserver -k 2>/dev/null || true' EXIT
use_x11_desktop 800x600
step "installing the product from its installer package"
install_product fresh
mkdir -p "$output"
for language in en ja; do
    step "pictures in $language"
    # The Japanese pictures in a Japanese locale, so the platform's own buttons are Japanese too.
    locale=C.UTF-8 number=1
    [ $language = ja ] && locale=ja_JP.UTF-8 number=0
    coproc TOUR { LC_ALL=$locale wine "$BIN/settings_tour.exe" 'C:\GK7T30' $number 2>>"$LOGS/settings_tour.log"; }
    tour=$TOUR_PID
    while IFS=' ' read -r word name x y width height <&"${TOUR[0]}"; do
        case $word in
        ready)
            import -window root -crop "${width}x${height}+${x}+${y}" +repage "$output/$name-$language.png"
            echo "  $output/$name-$language.png"
            echo taken >&"${TOUR[1]}"
            ;;
        missing) echo "  warning: the $name window did not appear" >&2 ;;
        esac
    done
    wait "$tour" || true
done
