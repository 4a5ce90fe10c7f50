#!/usr/bin/env bash
# Sets everything up and runs every benchmark, whatever one of them says; each prints its ratios
# against a baseline measured in the same run ("... 1.08 (target <= 1.10)"). At the end a table
# gives each ratio against its target, and the script fails when any is over or any benchmark
# failed. They share the tests' prefix, so the user's testbed is untouched.
export MGX_PREFIX=test-prefix
source "$(dirname "$0")/common.sh"
setup_all all test_programs
results=$LOGS/bench-results.txt
: >"$results"
failed_runs=()
# bench NAME COMMAND...: runs one benchmark, its ratio lines kept for the table.
bench() {
    local name=$1 status=0
    shift
    step "$name"
    "$@" | tee "$LOGS/bench-current.log" || status=$?
    grep '(target' "$LOGS/bench-current.log" | sed "s|^|$name\t|" >>"$results" || true
    [ "$status" = 0 ] || grep -q '(target' "$LOGS/bench-current.log" || failed_runs+=("$name (exit $status)")
}
bench "forwarding through a driver" wine "$BIN/device_forwarding_bench.exe"
for machine in intel acer; do
    bench "Halcore on $machine" wine "$BIN/halcore_bench.exe" "$machine"
done
bench "the SMBus back end's start" wine "$BIN/repository_walk_bench.exe"
bench "mgxtool metrics requests" wine "$BIN/metrics_requests_bench.exe"
bench "mgxtool sel decoding" wine "$BIN/sel_decoding_bench.exe"
bench "logging on a full log" wine "$BIN/logging_bench.exe"
mgxtb use intel >/dev/null
install_product
bench "settings program start" wine "$BIN/settings_start_bench.exe" 'C:\GK7T30'

step "summary"
# Each line: benchmark, what was measured, the ratio, the target and whether it is met.
table=$(tr -d '\r' <"$results" | awk -F'\t' '
    {
        line = $2
        if (!match(line, /[-0-9.]+ *\(target *(<=|<) *[0-9.]+\)/)) next
        measured = substr(line, 1, RSTART - 1)
        gsub(/^ +| +$/, "", measured)
        split(substr(line, RSTART, RLENGTH), parts, /[ ()]+/)
        ratio = parts[1]; relation = parts[3]; target = parts[4]
        met = relation == "<=" ? ratio + 0 <= target + 0 : ratio + 0 < target + 0
        printf "%-30s %-50s %8s  %-2s %-5s %s\n", $1, measured, ratio, relation, target, met ? "within" : "OVER"
    }')
printf '%-30s %-50s %8s  %-8s %s\n' benchmark measured ratio target verdict
echo "$table"
over=$(grep -c ' OVER$' <<<"$table" || true)
for run in "${failed_runs[@]}"; do echo "failed without a ratio: $run"; done
if [ "$over" != 0 ] || [ ${#failed_runs[@]} != 0 ]; then
    echo "$over ratio(s) over their target, ${#failed_runs[@]} benchmark(s) failed"
    exit 1
fi
echo "every ratio within its target"
