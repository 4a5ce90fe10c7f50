#!/usr/bin/env bash
# The setup program in a Japanese locale names the Start-menu shortcut with the product's
# Japanese name from its string table. Wine takes a process's locale from its Unix environment,
# so this test starts the program from the shell, in the prefix that MGX_PREFIX names.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
bin=$BIN
drive=$WINEPREFIX/drive_c
install=$drive/mgx-setup-japanese
menu="$drive/ProgramData/Microsoft/Windows/Start Menu"
cleanup() {
    wine 'C:\mgx-setup-japanese\GK7T30SV.EXE' -remove >/dev/null 2>&1 || true
    rm -rf "$install" "$menu/ユプティバ.lnk" "$menu/Uptiva.lnk"
    wine reg delete 'HKLM\SOFTWARE\Velmora' /f >/dev/null 2>&1 || true
}
trap cleanup EXIT
cleanup
mkdir -p "$install"
cp "$bin"/{GK7T30U2.EXE,GK7T30SV.EXE,Halcore.dll,Bmc.dll,OMRAREG_CTL.dll,OMRALogging.dll} "$install/"
wine "$bin/mgxtb.exe" use acer >/dev/null

status=0
LC_ALL=ja_JP.UTF-8 wine 'C:\mgx-setup-japanese\GK7T30U2.EXE' || status=$?
[ "$status" = 0 ] || { echo "FAILED: exit code $status"; exit 1; }
[ -f "$menu/ユプティバ.lnk" ] || { echo "FAILED: no Japanese shortcut"; ls "$menu"; exit 1; }
[ ! -e "$menu/Uptiva.lnk" ] || { echo "FAILED: the English shortcut was made too"; exit 1; }
echo "1 passed, 0 failed"
