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

for machine in intel intel-s450 acer velmora unknown no-smbios; do
    wine "$BIN/mgxtb.exe" use "$machine" >/dev/null
    metrics
    check "promtool accepts the metrics of $machine" bash -c "promtool check metrics <'$folder/unit.prom' >'$LOGS/promtool-$machine.log' 2>&1"
done
check "promtool accepts the README's alert rules" bash -c "promtool check rules '$ROOT/deploy/prometheus/mgx_alerts.yml' >/dev/null"
check "a newly logged critical event raises its alert" bash -c "promtool test rules '$ROOT/deploy/prometheus/mgx_alerts_test.yml' >/dev/null"
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

wine "$BIN/mgxtb.exe" use acer >/dev/null
metrics
exporter_port=39101 prometheus_port=39091
work=$BUILD/metrics-test-prometheus
rm -rf "$work" && mkdir -p "$work"
cat >"$work/prometheus.yml" <<CONFIG
global: {scrape_interval: 1s, evaluation_interval: 1s}
scrape_configs:
  - job_name: units
    static_configs: [{targets: ['127.0.0.1:$exporter_port']}]
CONFIG
prometheus-node-exporter --collector.disable-defaults --collector.textfile --collector.textfile.directory="$folder" \
    --web.listen-address="127.0.0.1:$exporter_port" >"$LOGS/node-exporter.log" 2>&1 &
exporter=$!
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" --web.listen-address="127.0.0.1:$prometheus_port" \
    >"$LOGS/prometheus.log" 2>&1 &
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
wine "$BIN/mgxtb.exe" sensor 0x20 0x01 --raw 52 >/dev/null
metrics
check "and the new one after a change" temperature_becomes 52
kill $exporter $server 2>/dev/null || true
wait $exporter $server 2>/dev/null || true
# The prefix's persistent wineserver ends before its folder goes (it is found through the folder).
wineserver -k 2>/dev/null || true
wineserver -w
[ "$failed" = 0 ] && rm -rf "$work" "$WINEPREFIX"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
