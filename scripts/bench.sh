#!/usr/bin/env bash
# Sets everything up and runs the benchmarks; each prints its ratios against a baseline
# measured in the same run.
source "$(dirname "$0")/common.sh"
setup_all
for bench in "$BIN"/*_bench.exe; do
    step "$(basename "$bench" .exe)"
    wine "$bench"
done
