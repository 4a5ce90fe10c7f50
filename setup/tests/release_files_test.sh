#!/usr/bin/env bash
# The programs and libraries inside the installer package as a release needs them: stripped,
# with their debug information kept beside the build and linked to, no path of the build
# machine inside, a version resource and the File table's version, programs terminal-server
# aware, nothing of the testbed inside; and the package small, holding no testbed program.
#   release_files_test.sh PACKAGE DEBUG_DIR SOURCE_DIR BUILD_DIR
set -Eeuo pipefail
package=$1 debug=$2 source=$3 build=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
(cd "$work" && msiextract "$package" >/dev/null)
declare -A version
while IFS=$'\037' read -r _ _ name _ file_version _; do version[${name#*|}]=$file_version; done \
    < <(msiinfo export "$package" File | tail -n +4 | tr -d '\r' | tr '\t' '\037')
count=0
while IFS= read -r -d '' file; do
    name=$(basename "$file")
    [ "$name" = GK7T30SV.EXE ] && continue  # the monitoring service program comes from outside the product
    count=$((count + 1))
    sections=$(x86_64-w64-mingw32-objdump -h "$file")
    check "$name: no debug information inside" bash -c "! grep -q ' \.debug_' <<<'$sections'"
    check "$name: a debug link" grep -q ' \.gnu_debuglink' <<<"$sections"
    check "$name: its debug information beside the build" [ -s "$debug/$name.debug" ]
    check "$name: built with the stack protector" bash -c "x86_64-w64-mingw32-objdump -t '$debug/$name.debug' | grep -q __stack_chk_fail"
    check "$name: no library of the compiler's to ship beside it" bash -c "! x86_64-w64-mingw32-objdump -p '$file' | grep -i -q -E 'DLL Name: (libssp|libgcc|libstdc|libwinpthread)'"
    check "$name: nothing of the testbed inside (its control pipe)" bash -c "! grep -a -q 'MgxTestbedControl' '$file'"
    check "$name: no path of the build machine inside" bash -c "! grep -a -q -F -e '$source/' -e '$build/' '$file'"
    check "$name: the File table's version" [ "${version[$name]:-}" = "$(sed -n 's/^set(MGX_VERSION_\(MAJOR\|MINOR\|LEVEL\) \([0-9]*\))$/\2/p' "$source/CMakeLists.txt" | paste -sd.).0" ]
    # the resource type table's entry 16 (RT_VERSION); the strings inside are checked by setup_tests
    check "$name: a version resource" bash -c "x86_64-w64-mingw32-objdump -p '$file' | grep -q 'Entry: ID: 0x000010,'"
    case $name in
    *.EXE | *.exe)
        check "$name: terminal-server aware" bash -c "x86_64-w64-mingw32-objdump -p '$file' | grep -q 'TERMINAL_SERVICE_AWARE'" ;;
    esac
done < <(find "$work" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
check "every program and library was looked at" [ "$count" -ge 8 ]
check "no testbed program in the package" bash -c "! find '$work' -iname 'mgxtb*' -o -iname 'vserver*' | grep -q ."
size=$(stat -c %s "$package")
echo "the package: $size bytes"
check "the package is under 5 MB" [ "$size" -lt $((5 * 1024 * 1024)) ]
checks_done
