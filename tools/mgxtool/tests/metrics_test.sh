#!/usr/bin/env bash
# mgxtool metrics in a prefix of its own: promtool accepts what it writes on every testbed
# machine; a folder that cannot take the file is refused with the old file untouched; and end
# to end on the loopback, node_exporter's textfile collector and a Prometheus server scraping
# it return the CPU temperature the testbed serves, and its new value after a change.
set -Eeuo pipefail
export MGX_PREFIX=metrics-test
source "$(dirname "$0")/../../../scripts/common.sh"
mkdir -p "$LOGS"
rm -rf "$WINEPREFIX"
start_wine
install_testbed >/dev/null
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
folder=$WINEPREFIX/drive_c/metrics
mkdir -p "$folder"
metrics() { wine "$BIN/mgxtool.exe" metrics --output 'C:\metrics\unit.prom' "$@"; }

# promtool accepts a series written twice, which a scraper then drops: the names and labels of
# every sample are checked for uniqueness here.
each_series_once() { [ -z "$(grep -v '^#' "$1" | sed 's/ [^ ]*$//' | sort | uniq -d)" ]; }
for machine in intel intel-s450 acer velmora unknown no-smbios; do
    wine "$BIN/mgxtb.exe" use "$machine" >/dev/null
    metrics
    check "promtool accepts the metrics of $machine" bash -c "promtool check metrics <'$folder/unit.prom' >'$LOGS/promtool-$machine.log' 2>&1"
    check "every series of $machine is written once" each_series_once "$folder/unit.prom"
done
check "promtool accepts the README's alert rules" bash -c "promtool check rules '$ROOT/deploy/prometheus/mgx_alerts.yml' >/dev/null"
check "each alert fires and stays silent as its rule tests say" bash -c "promtool test rules '$ROOT/deploy/prometheus/mgx_alerts_test.yml' >/dev/null"
check "the same on standard output" bash -c "wine '$BIN/mgxtool.exe' metrics | promtool check metrics >/dev/null"
check "an unreachable unit is not up" grep -q '^mgx_up{collector="unit"} 0' "$folder/unit.prom"
check "and its readings are NaN, never 0" grep -q '^mgx_server_running_seconds NaN' "$folder/unit.prom"

cp "$folder/unit.prom" "$folder/kept.prom"
status=0
wine "$BIN/mgxtool.exe" metrics --output 'C:\no-such-folder\unit.prom' 2>"$LOGS/metrics-refused.log" || status=$?
check "a missing folder is refused" [ "$status" != 0 ]
check "with a clear error" grep -q 'does not exist' "$LOGS/metrics-refused.log"
check "the old file is untouched" cmp -s "$folder/unit.prom" "$folder/kept.prom"
rm "$folder/kept.prom"

# The budget holds whatever the unit does: each run ends within its budget and a margin for a
# busy machine (Wine's own start included), and promtool accepts what it wrote.
margin=20
: >"$LOGS/metrics-budget-times.log"
budget_case() {  # NAME BUDGET: a run on the machine as the caller left it
    local name=$1 budget=$2 started=$SECONDS took
    wine "$BIN/mgxtool.exe" metrics --timeout "$budget" --output 'C:\metrics\budget.prom' 2>>"$LOGS/metrics-budget.log" || true
    took=$((SECONDS - started))
    echo "$name: $took s of a $budget s budget" >>"$LOGS/metrics-budget-times.log"
    check "$name: the run keeps to its budget ($took s of $budget s)" [ "$took" -le $((budget + margin)) ]
    check "$name: promtool accepts what it wrote" bash -c "promtool check metrics <'$folder/budget.prom' >/dev/null 2>&1"
}
up_of() { grep -o "^mgx_up{collector=\"$1\"} [01]" "$folder/budget.prom" | cut -d' ' -f2; }
testbed() { wine "$BIN/mgxtb.exe" "$@" >/dev/null; }

testbed use acer
testbed unit --silent true
budget_case "a silent unit" 5
check "a silent unit is not up" [ "$(up_of unit)" = 0 ]

testbed use acer
testbed fault add delay --ms 1500
budget_case "a unit that answers each request 1.5 s late" 10
check "a slow unit's sensors are not all read" [ "$(up_of sensors)" = 0 ]

testbed use acer
testbed fault add silence --address 0x16
testbed clear-log
budget_case "an owner that does not answer" 50
# The sensor numbers of the writes to the owner's address 0x16 (byte 8 of the packet).
asked_owner=$(wine "$BIN/mgxtb.exe" --json log | python3 -c '
import json, sys
print(" ".join(sorted({entry["input"].split()[8] for entry in json.load(sys.stdin)
                       if entry.get("input", "").startswith("16 0a")})))')
check "the silent owner is asked for one sensor only (sensors asked: $asked_owner)" [ "$asked_owner" = 10 ]
check "its sensors are NaN" grep -q '^mgx_temperature_celsius{id="16",owner="44",lun="0",name="PSU1 Temp"} NaN' "$folder/budget.prom"
check "the controller's own are read" grep -q '^mgx_temperature_celsius{id="1",owner="32",lun="0",name="CPU1 Temp"} 38' "$folder/budget.prom"

testbed use acer
python3 - "$BIN/profiles/acer.sdr" "$BUILD/metrics-large.sdr" <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
records, at = [], 0
while at < len(data):
    size = 5 + data[at + 4]
    records.append(bytearray(data[at:at + size]))
    at += size
with open(sys.argv[2], "wb") as out:
    for number in range(1, 10001):
        record = bytearray(records[number % len(records)])
        record[0:2] = number.to_bytes(2, "little")
        out.write(record)
PYTHON
testbed sdr load "Z:${BUILD//\//\\}\\metrics-large.sdr"
budget_case "a repository of 10,000 records" 10
check "a repository too large for the budget leaves the sensors not up" [ "$(up_of sensors)" = 0 ]

testbed use acer
records=()
for number in $(seq 1 3000); do records+=("00 00 02 00 00 00 00 20 00 04 01 01 01 59 5c 5a"); done
for start in 0 500 1000 1500 2000 2500; do testbed sel add "${records[@]:start:500}"; done
budget_case "an event log of 3,000 records" 5
# Whether the whole log fits into the budget depends on the machine; either way nothing partial
# is published: up with every entry counted, or not up with the count NaN.
sel_entries=$(grep -o '^mgx_sel_entries [^ ]*' "$folder/budget.prom" | cut -d' ' -f2)
check "an event log is up with all of it ($sel_entries entries) or not up with none" \
    bash -c "{ [ '$(up_of sel)' = 1 ] && [ '$sel_entries' = 3015 ]; } || { [ '$(up_of sel)' = 0 ] && [ '$sel_entries' = NaN ]; }"

testbed use acer
testbed fault add delay --ms 1000
wine "$BIN/mgxtool.exe" sensors >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 120); do
    wine "$BIN/mgxtb.exe" --json status | grep -q '"owner"' && break
    sleep 0.5
done
budget_case "the unit held by another run" 5
check "a unit held by another run is not up" [ "$(up_of unit)" = 0 ]
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
cat "$LOGS/metrics-budget-times.log"
rm "$folder/budget.prom"  # node_exporter reads every file of the folder: one file of series below

wine "$BIN/mgxtb.exe" use acer >/dev/null
# A healthy server as the installed product leaves it: the product key holds the setup program's
# values (batteries installed today, parts new), so every collector has its data.
wine "$BIN/mgxtool.exe" defaults --variant setup --yes >/dev/null
metrics
exporter_port=39101 prometheus_port=39091
work=$BUILD/metrics-test-prometheus
rm -rf "$work" && mkdir -p "$work"
cat >"$work/prometheus.yml" <<CONFIG
global: {scrape_interval: 1s, evaluation_interval: 1s}
rule_files: ['$ROOT/deploy/prometheus/mgx_alerts.yml']
scrape_configs:
  - job_name: units
    static_configs: [{targets: ['127.0.0.1:$exporter_port']}]
CONFIG
prometheus-node-exporter --collector.disable-defaults --collector.textfile --collector.textfile.directory="$folder" \
    --web.listen-address="127.0.0.1:$exporter_port" >"$LOGS/node-exporter.log" 2>&1 &
exporter=$!
consoles=$ROOT/deploy/prometheus/consoles
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" --web.listen-address="127.0.0.1:$prometheus_port" \
    --web.console.templates="$consoles" --web.console.libraries="$consoles" >"$LOGS/prometheus.log" 2>&1 &
server=$!
trap 'kill $exporter $server 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
# The CPU temperature Prometheus returns, waited for up to 60 s.
temperature_becomes() {
    local expected=$1 tries=0 value
    while [ "$tries" -lt 120 ]; do
        value=$(curl -s --max-time 2 "http://127.0.0.1:$prometheus_port/api/v1/query" \
            --data-urlencode 'query=mgx_temperature_celsius{name="CPU1 Temp"}' | grep -o '"value":\[[^]]*\]' | grep -o '"[0-9.-]*"]' | tr -d '"]' || true)
        [ "$value" = "$expected" ] && return 0
        tries=$((tries + 1))
        sleep 0.5
    done
    echo "the query returned '$value', not $expected"
    return 1
}
check "Prometheus returns the temperature the testbed serves" temperature_becomes 38
# The alert rules evaluated after the healthy server's series arrived hold no alert, pending or
# firing (waited for up to 60 s).
rules_evaluated_since() {
    local since=$1 tries=0 last
    while [ "$tries" -lt 120 ]; do
        last=$(curl -s --max-time 2 "http://127.0.0.1:$prometheus_port/metrics" |
            awk '/^prometheus_rule_group_last_evaluation_timestamp_seconds.*mgx"/ {printf "%d", $2}')
        [ -n "$last" ] && [ "$last" -gt "$since" ] && return 0
        tries=$((tries + 1))
        sleep 0.5
    done
    echo "no evaluation of the alert rules after $since (last: '$last')"
    return 1
}
check "the alert rules were evaluated on the healthy server's series" rules_evaluated_since "$(date +%s)"
check "and no alert is pending or firing" bash -c "curl -s --max-time 5 'http://127.0.0.1:$prometheus_port/api/v1/alerts' | tee '$LOGS/prometheus-alerts.json' | grep -q '\"alerts\":\[\]'"
wine "$BIN/mgxtb.exe" sensor 0x20 0x01 --raw 52 >/dev/null
metrics
check "and the new one after a change" temperature_becomes 52
# The dashboard: every panel's query returns the server's data (a fan made due within 30 days
# for the wear-part panels), waited for up to 60 s.
fan_life=$(wine "$BIN/mgxtool.exe" --json lifetime |
    python3 -c 'import json, sys; print(next(p["life_hours"] for p in json.load(sys.stdin)["parts"] if p["name"] == "chassis-fan"))')
# (written; this prefix has no monitoring service to tell, which mgxtool reports as a failure)
wine "$BIN/mgxtool.exe" lifetime --part chassis-fan --hours $((fan_life - 100)) >/dev/null 2>&1 || true
metrics
dashboard_has_data() {
    local tries=0
    while [ "$tries" -lt 60 ]; do
        python3 "$ROOT/deploy/grafana/tests/check_dashboard.py" "$ROOT/deploy/grafana/mgx-units.json" \
            "http://127.0.0.1:$prometheus_port" "127.0.0.1:$exporter_port" >"$LOGS/dashboard-queries.log" 2>&1 && return 0
        tries=$((tries + 1))
        sleep 1
    done
    grep FAILED "$LOGS/dashboard-queries.log"
    return 1
}
check "every query of the dashboard has the server's data" dashboard_has_data
# The console page Prometheus serves: the server with its event log and the fan due, and its
# picture as headless Chromium renders it (kept in the logs; docs/pictures has a copy).
curl -s --max-time 10 "http://127.0.0.1:$prometheus_port/consoles/mgx.html" >"$LOGS/console-mgx.html" || true
check "the console page lists the server" grep -q "<td>127.0.0.1:$exporter_port</td>" "$LOGS/console-mgx.html"
check "with its critical events and the fan due" bash -c "grep -q '>15 entries<' '$LOGS/console-mgx.html' && grep -q '<td>chassis-fan</td>' '$LOGS/console-mgx.html'"
rm -f "$LOGS/console-mgx.png"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1100,800 \
    --screenshot="$LOGS/console-mgx.png" "http://127.0.0.1:$prometheus_port/consoles/mgx.html" >"$LOGS/chromium.log" 2>&1 || true
check "Chromium renders the console page" bash -c "[ \$(stat -c %s '$LOGS/console-mgx.png' 2>/dev/null || echo 0) -gt 10000 ]"
check "node_exporter found no series collected twice" bash -c "! grep -q 'collected before' '$LOGS/node-exporter.log'"
kill $exporter $server 2>/dev/null || true
wait $exporter $server 2>/dev/null || true
# The prefix's persistent wineserver ends before its folder goes (it is found through the folder).
wineserver -k 2>/dev/null || true
wineserver -w
[ "$failed" = 0 ] && rm -rf "$work" "$WINEPREFIX"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
