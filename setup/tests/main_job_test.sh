#!/usr/bin/env bash
# The main job keeps what a person entered: a date entered through mgxtool in its prefix stays
# through two more runs of scripts/run.sh --check (the second installs nothing) and through a
# run with another build of the same version, which upgrades the product instead of installing
# it beside the first or running the setup program again.
#   main_job_test.sh PACKAGE
set -Eeuo pipefail
package=$(realpath "$1")
export MGX_PREFIX=main-job-test
source "$(dirname "$0")/../../scripts/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
rm -rf "$WINEPREFIX"
mkdir -p "$LOGS"
main_job() { "$ROOT/scripts/run.sh" "$@" --check >"$LOGS/main-job-$runs.log" 2>&1; runs=$((runs + 1)); }
runs=0
in_prefix() { "$ROOT/scripts/in-prefix.sh" "$@"; }
keeps_date() { in_prefix mgxtool --json lifetime | grep -q '"UPS": "2024/05/06"'; }
setup_runs() { grep -c 'GK7T30U2.EXE start.' "$WINEPREFIX/drive_c/GK7T30/setup.log"; }
products() {
    wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
        awk '$1 == "DisplayName" && $3 == "Uptiva"' | wc -l
}

check "the first run installs" main_job acer
in_prefix mgxtool lifetime --part ups-battery --date 2024/05/06 >/dev/null
check "the date is entered" keeps_date
for run in second third; do
    check "the $run run" main_job
    check "the $run run keeps the date" keeps_date
done
check "a run of the same package installs nothing" grep -q 'kept as it is, with the data entered in it' "$LOGS/main-job-2.log"
check "a profile says what it resets" grep -q "the product's data (wear parts, notification" "$LOGS/main-job-0.log"

# Another build of the same version: the package with a product code of its own.
second=$BUILD/main-job-test-second-build.msi
cp "$package" "$second"
msiinfo export "$second" Property | tr -d '\r' >"$BUILD/main-job-test-Property.idt"
new_code="{$(tr a-f A-F </proc/sys/kernel/random/uuid)}"
sed -i -E "s/^ProductCode\t.*/ProductCode\t$new_code/" "$BUILD/main-job-test-Property.idt"
sed -i 's/$/\r/' "$BUILD/main-job-test-Property.idt"
msibuild "$second" -i "$BUILD/main-job-test-Property.idt"
export MGX_PACKAGE_FILE=$second
check "a run of another build" main_job
unset MGX_PACKAGE_FILE
check "which upgrades" grep -q 'upgraded the product' "$LOGS/main-job-$((runs - 1)).log"
check "and keeps the date" keeps_date
check "one product" [ "$(products)" = 1 ]
check "the setup program ran once" [ "$(setup_runs)" = 1 ]
check "the monitoring service runs again" bash -c "wine sc query GK7T30SV | grep -q RUNNING"
rm -f "$second" "$BUILD/main-job-test-Property.idt"
wineserver -k 2>/dev/null || true
checks_done
