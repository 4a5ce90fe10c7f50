# The package tests' checks: each check counts as passed or failed and names what failed; the
# script ends with the counts and fails when any check did. Sourced by the tests here.
passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
checks_done() {
    echo "$passed passed, $failed failed"
    [ "$failed" = 0 ]
}
