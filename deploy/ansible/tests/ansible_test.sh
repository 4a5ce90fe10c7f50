#!/usr/bin/env bash
# The role against three simulated servers: three prefixes with different testbed machines,
# reached through the local connection, each host's mgx_command running mgxtool in its prefix.
# Check mode foresees changes and writes nothing; the first run changes every host and the units
# hold the settings; the second changes nothing; settings with a bad value fail the host with
# nothing written; a host whose unit fails fails with mgxtool's message while the others complete.
# A fourth server gets the product from the role: installed, kept, upgraded.
set -Eeuo pipefail
export MGX_PREFIX=ansible-test-acer
source "$(dirname "$0")/../../../scripts/common.sh"
mkdir -p "$LOGS"
work=$BUILD/ansible-test
rm -rf "$work" && mkdir -p "$work"
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
machines=(acer velmora intel-s450)
# Each prefix keeps a persistent wineserver, so its services (the virtual server) stay up between
# the playbook's mgxtool runs; all of them end with the test.
stop_servers() {
    for machine in "${machines[@]}" fresh; do
        WINEPREFIX=$BUILD/ansible-test-$machine wineserver -k 2>/dev/null || true
        WINEPREFIX=$BUILD/ansible-test-$machine wineserver -w 2>/dev/null || true
    done
}
for machine in "${machines[@]}"; do
    export WINEPREFIX=$BUILD/ansible-test-$machine
    rm -rf "$WINEPREFIX"
    start_wine
    trap stop_servers EXIT
    install_testbed >/dev/null
    wine "$BIN/mgxtb.exe" use "$machine" >/dev/null
    wine "$BIN/mgxtool.exe" defaults --yes >/dev/null   # the product key, as the setup program leaves it
    wine "$BIN/GK7T30SV.EXE" -install >/dev/null        # the monitoring service, told of wear-part changes
done
{
    echo "units:"
    echo "  hosts:"
    for machine in "${machines[@]}"; do
        echo "    server-$machine:"
        echo "      ansible_connection: local"
        echo "      mgx_command: [env, MGX_PREFIX=ansible-test-$machine, '$ROOT/scripts/in-prefix.sh', mgxtool]"
    done
} >"$work/inventory.yml"
cat >"$work/settings.yml" <<'SETTINGS'
mgx_boot_monitoring: {os_boot_retries: 3, method: reboot}
mgx_safe_mode: "on"
mgx_notification: {screen: "on"}
mgx_running_hours: {power-supply: 1234}
mgx_install_dates: {17: "2024/05/06"}
SETTINGS
playbook() {  # RUN [SETTINGS [ansible-playbook options]]
    local run=$1 settings=${2:-settings}
    shift $(($# < 2 ? $# : 2))
    ANSIBLE_ROLES_PATH=$ROOT/deploy/ansible/roles ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_NOCOLOR=1 \
        ansible-playbook -i "$work/inventory.yml" -e "@$work/$settings.yml" "$@" "$ROOT/deploy/ansible/playbook.yml" \
        >"$work/$run.log" 2>&1 || true
}
in_prefix() { env MGX_PREFIX=ansible-test-$1 "$ROOT/scripts/in-prefix.sh" "${@:2}"; }
service_log() { cat "$BUILD/ansible-test-$1/drive_c/ProgramData/MgxTestbed/GK7T30SV.log" 2>/dev/null || true; }
forget_service_log() { rm -f "$BUILD/ansible-test-$1/drive_c/ProgramData/MgxTestbed/GK7T30SV.log"; }
recap() { grep -E "^$1 +:" "$work/$2.log" | sed -E 's/ +/ /g'; }  # recap HOST RUN
counted() { recap "$1" "$2" | grep -o "$3=[0-9]*" | cut -d= -f2; }

# Check mode asks everything and writes nothing: each host says what would change.
holds_no_install_date() { ! in_prefix "$1" mgxtool --json lifetime | grep -q 2024/05/06; }
playbook check settings --check --diff
check "--diff shows a value before and after" grep -q 'UPS(BBU) (ups-battery) install date: none -> 2024/05/06' "$work/check.log"
for machine in "${machines[@]}"; do
    check "check mode on $machine: no failure" [ "$(counted "server-$machine" check failed)" = 0 ]
    check "check mode on $machine: changes foreseen" [ "$(counted "server-$machine" check changed)" -gt 0 ]
    check "check mode on $machine: nothing written" holds_no_install_date "$machine"
done

for machine in "${machines[@]}"; do forget_service_log "$machine"; done
playbook first
for machine in "${machines[@]}"; do
    check "first run on $machine: the service heard of the power supply" bash -c "grep -q 'OMRAPartsChange 21 bytes: 00000000000000000010' <<<'$(service_log "$machine")'"
    check "first run on $machine: and of the UPS battery" bash -c "grep -q 'OMRAPartsChange 21 bytes: 00000000000000000100' <<<'$(service_log "$machine")'"
    forget_service_log "$machine"
    check "first run on $machine: no failure" [ "$(counted "server-$machine" first failed)" = 0 ]
    check "first run on $machine: changes" [ "$(counted "server-$machine" first changed)" -gt 0 ]
    check "$machine holds the safe power-off mode" bash -c "env MGX_PREFIX=ansible-test-$machine '$ROOT/scripts/in-prefix.sh' mgxtool --json safe-mode | grep -q '\"safe_mode\": \"on\"'"
    check "$machine holds the retry method" bash -c "env MGX_PREFIX=ansible-test-$machine '$ROOT/scripts/in-prefix.sh' mgxtool --json boot-monitoring | grep -q '\"name\": \"reboot\"'"
    check "$machine holds the install date" bash -c "env MGX_PREFIX=ansible-test-$machine '$ROOT/scripts/in-prefix.sh' mgxtool --json lifetime | grep -q '2024/05/06'"
    check "$machine's change log says who changed it" bash -c "env MGX_PREFIX=ansible-test-$machine '$ROOT/scripts/in-prefix.sh' mgxtool log show | grep -q '| mgxtool | UPS(BBU) (ups-battery) install date: none -> 2024/05/06'"
done
playbook second
for machine in "${machines[@]}"; do
    check "second run on $machine: the service heard nothing" [ -z "$(service_log "$machine")" ]
    check "second run on $machine: nothing changed" [ "$(counted "server-$machine" second changed)" = 0 ]
    check "second run on $machine: no failure" [ "$(counted "server-$machine" second failed)" = 0 ]
done
# Every value is checked before the first is written: a bad date in the last setting, or a
# value that tries to be more options, leaves the safe power-off mode as it was.
cat >"$work/refused.yml" <<'SETTINGS'
mgx_safe_mode: "off"
mgx_install_dates: {17: "2024/02/30"}
SETTINGS
cat >"$work/smuggled.yml" <<'SETTINGS'
mgx_safe_mode: "off"
mgx_notification: {screen: "on --lcd on"}
SETTINGS
cat >"$work/misshapen.yml" <<'SETTINGS'
mgx_safe_mode: "off"
mgx_running_hours: [1, 2]
SETTINGS
acer_keeps_safe_mode_on() { in_prefix acer mgxtool --json safe-mode | grep -q '"safe_mode": "on"'; }
for settings in refused smuggled misshapen; do
    playbook "$settings" "$settings" --limit server-acer
    check "$settings settings fail the host" [ "$(counted server-acer "$settings" failed)" = 1 ]
    check "and nothing was written" acer_keeps_safe_mode_on
done

check "a misshapen variable is named" grep -q 'mgx_running_hours: a mapping of wear part' "$work/misshapen.log"

# Clearing the memory errors is an action asked for once: the main menu's two requests reach the unit.
in_prefix acer mgxtb clear-log >/dev/null
playbook memory settings --limit server-acer -e '{"mgx_clear_memory_errors": true}'
check "the memory clear changes the host" [ "$(counted server-acer memory changed)" -gt 0 ]
check "the main menu's requests reached the unit" bash -c "[ \"\$(env MGX_PREFIX=ansible-test-acer '$ROOT/scripts/in-prefix.sh' mgxtb --json log | grep -c '\"command\": 53')\" -ge 2 ]"

in_prefix velmora mgxtb unit --silent true >/dev/null
playbook third
check "the failing unit's host fails" [ "$(counted server-velmora third failed)" = 1 ]
check "with mgxtool's message" grep -q "the management unit cannot be reached\|unit not reachable" "$work/third.log"
check "the other hosts complete" [ "$(counted server-acer third failed)$(counted server-intel-s450 third failed)" = 00 ]
# The role deploys the product: a fresh server gets the package, a second run changes nothing,
# check mode foresees the upgrade and installs nothing, and the upgrade keeps the data entered.
export WINEPREFIX=$BUILD/ansible-test-fresh
rm -rf "$WINEPREFIX"
start_wine
install_testbed >/dev/null
wine "$BIN/mgxtb.exe" use acer >/dev/null
cp "$(ls "$BUILD"/Uptiva-*-x64*.msi | head -1)" "$WINEPREFIX/drive_c/uptiva.msi"
upgrade=$WINEPREFIX/drive_c/uptiva-upgrade.msi
(cd "$BUILD/setup/package/files" && wixl --arch x64 --output "$upgrade" -D Version=2.0.99 "$ROOT/setup/package/product.wxs")
cmake -DPACKAGE="$upgrade" -DVERSION=2.0.99 -DOUTSIDE_SERVICE=OFF -P "$ROOT/setup/package/package_tables.cmake" >/dev/null
cat >"$work/fresh.yml" <<INVENTORY
units:
  hosts:
    server-fresh:
      ansible_connection: local
      mgx_command: [env, MGX_PREFIX=ansible-test-fresh, '$ROOT/scripts/in-prefix.sh', mgxtool]
      mgx_host_runner: [env, MGX_PREFIX=ansible-test-fresh, '$ROOT/scripts/in-prefix.sh']
      mgx_host_drive_c: '$WINEPREFIX/drive_c'
      mgx_metrics_output: 'C:\metrics\mgx.prom'
INVENTORY
printf '%s\n' "mgx_package: 'C:\\uptiva.msi'" 'mgx_package_version: "2.0.10"' >"$work/deploy.yml"
printf '%s\n' "mgx_package: 'C:\\uptiva-upgrade.msi'" 'mgx_package_version: "2.0.99"' >"$work/upgrade.yml"
deploy() {  # RUN SETTINGS [ansible-playbook options]
    local run=$1 settings=$2
    shift 2
    ANSIBLE_ROLES_PATH=$ROOT/deploy/ansible/roles ANSIBLE_NOCOLOR=1 \
        ansible-playbook -i "$work/fresh.yml" -e "@$work/$settings.yml" "$@" "$ROOT/deploy/ansible/playbook.yml" \
        >"$work/$run.log" 2>&1 || true
}
installed_version() { wine reg query 'HKLM\SOFTWARE\Velmora\Uptiva' /v Version 2>/dev/null | tr -d '\r' | awk '$1 == "Version" {print $3}'; }
setup_runs() { grep -c 'GK7T30U2.EXE start.' "$WINEPREFIX/drive_c/Program Files/Uptiva/setup.log" 2>/dev/null || echo 0; }
deploy deploy-first deploy
check "a fresh server: no failure" [ "$(counted server-fresh deploy-first failed)" = 0 ]
check "a fresh server: changed" [ "$(counted server-fresh deploy-first changed)" -gt 0 ]
check "a fresh server: the package is installed" [ "$(installed_version)" = 2.0.10 ]
check "a fresh server: the setup program ran" [ "$(setup_runs)" = 1 ]
# Wine's task scheduler keeps the task's name but drops its triggers and its program when it
# registers a definition, so the definition the role handed to schtasks is what is read here.
check "a fresh server: the scheduled metrics run is registered" [ -f "$WINEPREFIX/drive_c/windows/system32/tasks/Uptiva metrics" ]
definition="$WINEPREFIX/drive_c/ProgramData/uptiva-metrics-task.xml"
task_runs_metrics() {
    grep -qF '<Command>C:\Program Files\Uptiva\mgxtool.exe</Command>' "$definition" &&
        grep -qF 'metrics --output "C:\metrics\mgx.prom"' "$definition" && grep -qF '<Interval>PT1M</Interval>' "$definition" &&
        grep -qF '<UserId>S-1-5-18</UserId>' "$definition"
}
check "the installed mgxtool into the exporter's folder, every minute, as SYSTEM" task_runs_metrics
deploy deploy-second deploy
check "the same package again: nothing changed" [ "$(counted server-fresh deploy-second changed)" = 0 ]
check "the same package again: no failure" [ "$(counted server-fresh deploy-second failed)" = 0 ]
in_prefix fresh mgxtool lifetime --part ups-battery --date 2024/05/06 >/dev/null
deploy deploy-check upgrade --check --diff
check "check mode foresees the upgrade" [ "$(counted server-fresh deploy-check changed)" -gt 0 ]
check "and shows the versions" grep -q 'Uptiva: 2.0.10 -> 2.0.99' "$work/deploy-check.log"
check "and installs nothing" [ "$(installed_version)" = 2.0.10 ]
deploy deploy-upgrade upgrade
check "the upgrade: no failure" [ "$(counted server-fresh deploy-upgrade failed)" = 0 ]
check "the upgrade: installed" [ "$(installed_version)" = 2.0.99 ]
check "the upgrade keeps the date entered" bash -c "env MGX_PREFIX=ansible-test-fresh '$ROOT/scripts/in-prefix.sh' mgxtool --json lifetime | grep -q 2024/05/06"
check "the upgrade runs no setup program again" [ "$(setup_runs)" = 1 ]

stop_servers
[ "$failed" = 0 ] && [ -z "${KEEP_ANSIBLE_PREFIXES:-}" ] && rm -rf "$BUILD"/ansible-test*
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
