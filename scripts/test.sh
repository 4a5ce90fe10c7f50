#!/usr/bin/env bash
# Sets everything up and runs every test under Wine. Extra arguments go to ctest (e.g. -R smbus).
# The tests run in a prefix of their own (build/test-prefix), so the user's testbed in
# build/prefix keeps its machine and unit state.
export MGX_PREFIX=test-prefix
source "$(dirname "$0")/common.sh"
setup_all all test_programs
step "running the tests"
started=$(date +%s)
status=0
ctest --test-dir "$BUILD" --output-on-failure --timeout 600 -j2 "$@" || status=$?
step "summary"
echo "tests took $(( $(date +%s) - started )) s; ctest exit status $status"
exit $status
