#!/usr/bin/env bash
# Fuzzes the decoders of outside bytes (sensor data records, FRU inventory, event log records, the
# SMBIOS table walk) natively with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh [RUNS]     every decoder RUNS inputs (default 10000000), with the count reported
#   scripts/fuzz.sh --short    the test suite's pass: each decoder for at most 15 s
#
# A crash or sanitizer report stops it with the fuzzer's report and the input in build/fuzz.
source "$(dirname "$0")/common.sh"
runs=10000000 limit=()
case ${1:-} in
--short) runs=2000000 limit=(-max_total_time=15) ;;
'') ;;
*) runs=$1 ;;
esac
ensure_packages
check_tools
FUZZ=$BUILD/fuzz
logged fuzz-configure cmake -S "$ROOT/fuzz" -B "$FUZZ" -G Ninja -DCMAKE_CXX_COMPILER=clang++
logged fuzz-build cmake --build "$FUZZ"
for fuzzer in sensor_record_fuzz fru_inventory_fuzz event_record_fuzz smbios_walk_fuzz; do
    mkdir -p "$FUZZ/corpus/$fuzzer"
    log=$FUZZ/$fuzzer.log
    if ! (cd "$FUZZ" && "./$fuzzer" -runs="$runs" "${limit[@]}" -print_final_stats=1 "corpus/$fuzzer" >"$log" 2>&1); then
        tail -40 "$log" >&2
        die "$fuzzer found a fault (log: $log)"
    fi
    done_runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
    printf '%-20s %s inputs, no crash, no sanitizer report\n' "$fuzzer" "${done_runs:-?}"
done
