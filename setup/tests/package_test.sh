#!/usr/bin/env bash
# The installer package under Wine's own msiexec, each story in a fresh prefix with the testbed
# installed (build/package-test-*):
#   1. silent install on a machine with a usable unit, the settings program from the installed
#      folder, an upgrade that keeps edited data, a repair, and a removal that leaves nothing,
#      with a program planted at C:\Program.exe that none of it may run;
#   2. an install on a machine without a usable unit fails, says why, and leaves nothing;
#   3. on a Japanese system the shortcut has the product's Japanese name and goes with removal;
#   4. a removal after the monitoring service program was deleted from the install folder still
#      leaves nothing: its work needs none of the installed files;
#   5. a folder of the administrator's choice (INSTALLDIR, with blanks and a non-ASCII letter) is
#      kept by the upgrade and the repair, removed whole, and belongs to the product;
#   6. a folder named with "-f2" installs, one outside the ANSI code page is refused and leaves nothing;
#   7. a folder made first holding somebody else's file is refused before any file lands, and a
#      step failing after the setup program rolls back its work too.
#   package_test.sh PACKAGE PACKAGE_FILES_FOLDER PACKAGE_SOURCE
set -Eeuo pipefail
package=$(realpath "$1") files=$(realpath "$2") source=$(realpath "$3")
export MGX_PREFIX=package-test-1
source "$(dirname "$0")/../../scripts/common.sh"
mkdir -p "$LOGS"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
absent() { [ ! -e "$1" ]; }
product_traces() {  # what of the product the prefix holds: registry lines and files
    wine reg export 'HKLM\SOFTWARE' "C:\\hklm.reg" /y >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/hklm.reg" | tr -d '\r' | grep -i -E 'uptiva|gk7t30|velmora' | sort || true
    # The testbed's service stand-in logs in its own folder; the change log outlives the product.
    (cd "$WINEPREFIX/drive_c" && find . \( -path ./ProgramData/MgxTestbed -o -path ./ProgramData/Uptiva \) -prune -o \( -iname '*uptiva*' -o -iname '*gk7t30*' -o -iname 'ユプティバ*' \) -print) | sort
}
fresh_prefix() {  # fresh_prefix NAME [MACHINE]
    wineserver -k 2>/dev/null || true
    export WINEPREFIX=$BUILD/$1
    rm -rf "$WINEPREFIX"
    start_wine
    install_testbed >/dev/null
    wine "$BIN/mgxtb.exe" use "${2:-acer}" >/dev/null
}
msi() {  # msi LOG ARGUMENTS...: msiexec's exit code (Wine's are cut to 8 bits: 1627 is 91)
    local log=$1 status=0
    shift
    wine msiexec "$@" /qn /l*v "C:\\$log" || status=$?
    echo "$status"
}
installed="$WINEPREFIX/drive_c/Program Files/Uptiva"
menu_folder() { echo "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu"; }
registry_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name {print $3}'; }
uninstall_entries() {  # the Add/Remove Programs keys of the product
    wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
        awk '/^HKEY/ {key = $0} $1 == "DisplayName" && $3 == "Uptiva" {print key}'
}

echo "== 1. install, settings program, upgrade, repair, removal"
fresh_prefix package-test-1
installed="$WINEPREFIX/drive_c/Program Files/Uptiva"
# Where Windows looks first for an unquoted "C:\Program Files\Uptiva\...": a program that leaves
# C:\Program.exe.out behind when it runs.
planted="$WINEPREFIX/drive_c/Program.exe"
cp "$BIN/argument_echo.exe" "$planted"
before=$(product_traces)
check "no mgxtool at a prompt before the install" bash -c "! wine cmd /c 'mgxtool --version' 2>/dev/null | grep -q '^mgxtool'"
check "install exit code" [ "$(msi install.log /i "$(winepath -w "$package")")" = 0 ]
for file in GK7T30UI.EXE GK7T30U2.EXE GK7T30MS.EXE GK7T30SV.EXE mgxtool.exe Halcore.dll Bmc.dll OMRAREG_CTL.dll OMRALogging.dll; do
    check "$file installed" [ -f "$installed/$file" ]
done
check "setup log start and complete" grep -q 'GK7T30U2.EXE start.' "$installed/setup.log"
check "setup log complete" grep -q 'GK7T30U2.EXE complete.' "$installed/setup.log"
check "product key" [ "$(registry_value 'HKLM\SOFTWARE\Velmora\GK7T30' Language)" != "" ]
check "lifetime limits" [ "$(registry_value 'HKLM\SOFTWARE\Velmora\GK7T30\LifeTime\Limit' CPU_FAN)" != "" ]
check "App Paths" bash -c "wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\GK7T30UI.EXE' /ve | grep -q 'Uptiva.GK7T30UI.EXE'"
check "shortcut" [ -f "$(menu_folder)/Uptiva.lnk" ]
check "service registered and running" bash -c "wine sc query GK7T30SV | grep -q RUNNING"
system_path() { wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH 2>/dev/null | tr -d '\r'; }
check "mgxtool at a new prompt, from the system PATH" bash -c "wine cmd /c 'mgxtool --version' | grep -q '^mgxtool 2.0.10.0'"
uninstall_key=$(uninstall_entries | head -1)
check "Add/Remove Programs name, version and publisher" bash -c "
    [ '$(registry_value "$uninstall_key" DisplayVersion)' = 2.0.10 ] && wine reg query '$uninstall_key' /v Publisher | grep -q Velmora"
check "Add/Remove Programs icon: the program icon" bash -c "
    wine reg query 'HKLM\SOFTWARE\Classes\Installer\Products' /s | grep -q 'ProductIcon.*ProgramIcon'"
check "the settings program's main menu from the installed folder" \
    bash -c "wine '$BIN/settings_tour.exe' 'C:\\Program Files\\Uptiva' --check | grep -q 'closed with Escape'"

wine "$BIN/mgxtool.exe" lifetime --set-date 17 --date 2024/05/06 >/dev/null
wine "$BIN/mgxtool.exe" lifetime --set-hours 0 --hours 4321 >/dev/null
upgrade=$BUILD/Uptiva-upgrade-test.msi
(cd "$files" && wixl --arch x64 --output "$upgrade" -D Version=2.0.99 "$source")
cmake -DPACKAGE="$upgrade" -DVERSION=2.0.99 -DOUTSIDE_SERVICE=OFF -P "$(dirname "$source")/package_tables.cmake" >/dev/null
check "upgrade exit code" [ "$(msi upgrade.log /i "$(winepath -w "$upgrade")")" = 0 ]
check "upgrade keeps the edited install date" bash -c "wine '$BIN/mgxtool.exe' --json lifetime | grep -q '2024/05/06'"
check "upgrade keeps the edited running hours" bash -c "wine '$BIN/mgxtool.exe' --json lifetime | grep -q 4321"
check "the setup program ran once" [ "$(grep -c 'GK7T30U2.EXE start.' "$installed/setup.log")" = 1 ]
check "one product, of the new version" bash -c "
    [ \"$(uninstall_entries | wc -l)\" = 1 ] && [ \"$(registry_value "$(uninstall_entries | head -1)" DisplayVersion)\" = 2.0.99 ]"
check "service running after the upgrade" bash -c "wine sc query GK7T30SV | grep -q RUNNING"
check "the system PATH names the folder once after the upgrade" [ "$(system_path | grep -o -i 'Program Files\\Uptiva' | wc -l)" = 1 ]

# The older package over the newer product: refused before anything changes, saying why.
check "no downgrade: the older package fails" [ "$(msi downgrade.log /i "$(winepath -w "$package")")" != 0 ]
check "no downgrade: the installer's log says why" \
    grep -a -q 'A newer version of Uptiva (2.0.99) is already installed' "$WINEPREFIX/drive_c/downgrade.log"
check "no downgrade: one product, still the newer one" bash -c "
    [ \"$(uninstall_entries | wc -l)\" = 1 ] && [ \"$(registry_value "$(uninstall_entries | head -1)" DisplayVersion)\" = 2.0.99 ]"
check "no downgrade: the setup program did not run again" [ "$(grep -c 'GK7T30U2.EXE start.' "$installed/setup.log")" = 1 ]
check "no downgrade: the edited data stay" bash -c "wine '$BIN/mgxtool.exe' --json lifetime | grep -q 4321"

# Repair: msiexec /fa on Windows; Wine's msiexec 8 answers /f with 1 and repairs nothing, so
# the repair is asked for by its properties, as /fa sets them.
rm "$installed/GK7T30UI.EXE"
check "repair exit code" [ "$(msi repair.log /i "$(winepath -w "$upgrade")" REINSTALL=ALL REINSTALLMODE=amus)" = 0 ]
check "repair brings a deleted program back" [ -f "$installed/GK7T30UI.EXE" ]
check "service running after the repair" bash -c "wine sc query GK7T30SV | grep -q RUNNING"

# The settings program running from the folder: its removal is refused, saying why, and nothing goes.
coproc HELD { wine "$BIN/settings_tour.exe" 'C:\Program Files\Uptiva' --hold 2>/dev/null; }
held_up=0
while IFS= read -r line <&"${HELD[0]}"; do
    case $line in holding*) held_up=1 && break ;; esac
done
check "the settings program runs" [ "$held_up" = 1 ]
check "removal while it runs fails" [ "$(msi remove-refused.log /x "$(winepath -w "$upgrade")")" != 0 ]
check "saying why" grep -a -q 'The settings program GK7T30UI is running' "$WINEPREFIX/drive_c/remove-refused.log"
check "and its files stay" bash -c "[ -f '$installed/GK7T30UI.EXE' ] && [ -f '$installed/Halcore.dll' ]"
echo >&"${HELD[1]}"
wait "$HELD_PID" || true

check "remove exit code" [ "$(msi remove.log /x "$(winepath -w "$upgrade")")" = 0 ]
check "the install folder is gone" absent "$installed"
check "the shortcut is gone" absent "$(menu_folder)/Uptiva.lnk"
check "the service is gone" bash -c "! wine sc query GK7T30SV >/dev/null 2>&1"
check "the system PATH no longer names the folder" bash -c "! wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH | grep -q -i uptiva"
after=$(product_traces)
check "nothing of the product is left" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true
check "the change log of what was changed stays" grep -a -q 'install date' "$WINEPREFIX/drive_c/ProgramData/Uptiva/changes.log"
check "the program planted at C:\Program.exe never ran" absent "$planted.out"
rm -f "$planted"

echo "== 2. install without a usable unit"
fresh_prefix package-test-2 unknown
installed="$WINEPREFIX/drive_c/Program Files/Uptiva"
before=$(product_traces)
status=$(msi failed.log /i "$(winepath -w "$package")")
echo "msiexec exit code (8 bits) $status"
check "the install fails (Windows: 1603, Wine's msiexec: 1627)" [ "$status" != 0 ]
check "the installer's log says why" grep -a -q 'GK7T30U2.EXE ended with exit code 3' "$WINEPREFIX/drive_c/failed.log"
check "and what the setup log said" grep -a -q 'MGX Error. MGX does not exist' "$WINEPREFIX/drive_c/failed.log"
check "no install folder" absent "$installed"
after=$(product_traces)
check "nothing of the product is left after the failed install" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true

echo "== 3. a Japanese system"
fresh_prefix package-test-3
status=0
LC_ALL=ja_JP.UTF-8 wine msiexec /i "$(winepath -w "$package")" /qn || status=$?
check "Japanese install exit code" [ "$status" = 0 ]
check "the shortcut's Japanese name" [ -f "$(menu_folder)/ユプティバ.lnk" ]
LC_ALL=ja_JP.UTF-8 wine msiexec /x "$(winepath -w "$package")" /qn || true
check "the Japanese shortcut goes with the product" absent "$(menu_folder)/ユプティバ.lnk"

echo "== 4. removal with the service program deleted"
fresh_prefix package-test-4
installed="$WINEPREFIX/drive_c/Program Files/Uptiva"
before=$(product_traces)
check "install exit code" [ "$(msi install.log /i "$(winepath -w "$package")")" = 0 ]
rm "$installed/GK7T30SV.EXE"
check "remove exit code" [ "$(msi remove.log /x "$(winepath -w "$package")")" = 0 ]
check "the service registration is gone" bash -c "! wine sc query GK7T30SV >/dev/null 2>&1"
after=$(product_traces)
check "nothing of the product is left (key, App Paths in both views, files)" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true

echo "== 5. a folder of the administrator's choice"
fresh_prefix package-test-5
chosen='C:\Tools\Up tiva ö\'
installed="$WINEPREFIX/drive_c/Tools/Up tiva ö"
default="$WINEPREFIX/drive_c/Program Files/Uptiva"
names_chosen_folder() {  # App Paths and the service registration name the chosen folder
    # (reg prints in the OEM code page: the ö is one byte there)
    wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\GK7T30UI.EXE' /ve 2>/dev/null |
        LC_ALL=C grep -a -q 'C:.Tools.Up tiva ..GK7T30UI.EXE' &&
        wine reg query 'HKLM\System\CurrentControlSet\Services\GK7T30SV' /v ImagePath 2>/dev/null |
        LC_ALL=C grep -a -q 'C:.Tools.Up tiva ..GK7T30SV.EXE'
}
before=$(product_traces)
check "install there: exit code" [ "$(msi install.log /i "$(winepath -w "$package")" "INSTALLDIR=$chosen")" = 0 ]
check "install there: the files" bash -c "[ -f '$installed/GK7T30UI.EXE' ] && [ ! -e '$default' ]"
check "install there: App Paths and the service name the folder" names_chosen_folder
check "the settings program's main menu from the chosen folder" \
    bash -c "wine '$BIN/settings_tour.exe' 'C:\\Tools\\Up tiva ö' --check | grep -q 'closed with Escape'"
# Wine keeps no access list on folders (it reads back a default made from the Unix mode), so
# what can be seen is the package's action giving the folder its own, and succeeding.
check "the folder's own permissions were set" \
    grep -a -q 'Action ended.*LockInstallFolder. Return value 1' "$WINEPREFIX/drive_c/install.log"
files_before=$(cd "$installed" && ls | sort)
check "upgrade there: exit code" [ "$(msi upgrade.log /i "$(winepath -w "$upgrade")")" = 0 ]
check "upgrade there: the files stay in the folder" bash -c "[ \"\$(cd '$installed' && ls | sort)\" = '$files_before' ] && [ ! -e '$default' ]"
check "upgrade there: App Paths and the service still name the folder" names_chosen_folder
rm "$installed/GK7T30UI.EXE"
check "repair there: exit code" [ "$(msi repair.log /i "$(winepath -w "$upgrade")" REINSTALL=ALL REINSTALLMODE=amus)" = 0 ]
check "repair there: the program is back in the folder" bash -c "[ -f '$installed/GK7T30UI.EXE' ] && [ ! -e '$default' ]"
check "remove there: exit code" [ "$(msi remove.log /x "$(winepath -w "$upgrade")")" = 0 ]
check "remove there: the folder is gone" absent "$installed"
after=$(product_traces)
check "remove there: nothing of the product is left" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true

echo "== 6. folders the setup program's command line must carry"
fresh_prefix package-test-6
before=$(product_traces)
check "a folder named with -f2: installs" [ "$(msi install-f2.log /i "$(winepath -w "$package")" 'INSTALLDIR=C:\Apps-f2\Uptiva\')" = 0 ]
check "and the setup log lies in it" grep -q 'GK7T30U2.EXE complete.' "$WINEPREFIX/drive_c/Apps-f2/Uptiva/setup.log"
check "and no stray folder beside it" absent "$WINEPREFIX/drive_c/Uptiva"
check "remove it" [ "$(msi remove-f2.log /x "$(winepath -w "$package")")" = 0 ]
check "a folder outside the ANSI code page is refused" \
    [ "$(msi install-ja.log /i "$(winepath -w "$package")" 'INSTALLDIR=C:\ツール\Uptiva\')" != 0 ]
check "saying why" grep -a -q "takes the folder in this system's ANSI code page" "$WINEPREFIX/drive_c/install-ja.log"
after=$(product_traces)
check "and nothing of the product is left" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true

echo "== 7. a folder somebody made first, and a step failing after the setup program"
fresh_prefix package-test-7
made_first="$WINEPREFIX/drive_c/Shared/Uptiva"
mkdir -p "$made_first"
echo "somebody else's" >"$made_first/notes.txt"
before=$(product_traces)
check "a folder made first, holding a file not the package's, is refused" \
    [ "$(msi install-made-first.log /i "$(winepath -w "$package")" 'INSTALLDIR=C:\Shared\Uptiva\')" != 0 ]
check "saying why" grep -a -q 'the folder holds notes.txt, which is not Uptiva' "$WINEPREFIX/drive_c/install-made-first.log"
check "before any file of the package landed there" [ "$(ls "$made_first")" = notes.txt ]
# The package with a step that fails once the setup program has run (a deferred command
# ending with exit code 1): the rollback undoes the setup program's work with the files.
failing=$BUILD/Uptiva-failing-test.msi
cp "$package" "$failing"
msibuild "$failing" \
    -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('FailAfterSetup', 3106, 'INSTALLDIR', 'cmd.exe /c exit 1')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('FailAfterSetup', 4010)"
check "a step failing after the setup program fails the install" [ "$(msi failing.log /i "$(winepath -w "$failing")")" != 0 ]
check "after the setup program had run" grep -a -q 'Action ended.*RunInstallActions. Return value 1' "$WINEPREFIX/drive_c/failing.log"
check "the service is gone" bash -c "! wine sc query GK7T30SV >/dev/null 2>&1"
check "no install folder" absent "$WINEPREFIX/drive_c/Program Files/Uptiva"
after=$(product_traces)
check "nothing of the product is left (service, App Paths, product key, shortcut, files)" [ "$before" = "$after" ]
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") || true

wineserver -k 2>/dev/null || true
wineserver -w
[ "${KEEP_PACKAGE_PREFIXES:-}" ] || rm -rf "$BUILD"/package-test-* "$upgrade" "$failing"
checks_done
