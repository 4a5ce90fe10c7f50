#!/usr/bin/env bash
# Checks that every C and C++ source keeps the style .clang-format states (tables and layouts in
# the order of their bytes are marked off where they stand); names each line that does not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t sources < <(find bench bmc common fuzz hal product_key settings setup support testbed tools \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) | sort)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run -Werror "${sources[@]}" 2>"$report"; then
    grep -o '^[^:]*:[0-9]*' "$report" | sort -u | sed 's/^/not in the stated style: /'
    echo "format them with: clang-format -i FILE" >&2
    exit 1
fi
echo "${#sources[@]} sources in the stated style"
