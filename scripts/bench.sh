#!/usr/bin/env bash
# Sets everything up and runs the benchmarks; each prints its ratios against a baseline
# measured in the same run. They share the tests' prefix, so the user's testbed is untouched.
export MGX_PREFIX=test-prefix
source "$(dirname "$0")/common.sh"
setup_all all test_programs
step "forwarding through a driver"
wine "$BIN/device_forwarding_bench.exe"
for machine in intel acer; do
    step "Halcore on $machine"
    wine "$BIN/halcore_bench.exe" "$machine"
done
step "the SMBus back end's start and its repository walk"
wine "$BIN/repository_walk_bench.exe"
step "mgxtool metrics against its reads made bare"
wine "$BIN/metrics_requests_bench.exe"
step "mgxtool sel on a full event log, decoded against undecoded"
wine "$BIN/sel_decoding_bench.exe"
step "logging on a full log"
wine "$BIN/logging_bench.exe"
step "settings program start"
mgxtb use intel >/dev/null
install_product
wine "$BIN/settings_start_bench.exe" 'C:\GK7T30'
