#!/usr/bin/env bash
# Checks that no file of a lower floor includes one from a floor above it. Each line of FLOORS
# names a folder and the folders above it; an include that can only come from those folders is
# reported. Includes are resolved by name against the project's own files (tests excluded).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
FLOORS=(
    "common: bmc hal product_key settings setup support testbed tools"
    "testbed: bmc hal settings setup tools"  # its stand-in of the monitoring service logs through the product's library
    # The product never includes the testbed: the testbed declares its layouts on its own, so
    # each checks the other.
    "bmc: hal product_key settings setup support tools testbed"
    "support: hal product_key settings setup tools testbed"
    "hal/records: hal/core hal/mgx hal/inventory product_key settings setup tools testbed"
    "hal/core: hal/mgx hal/inventory product_key settings setup tools testbed"
    "hal/mgx: hal/inventory product_key settings setup tools testbed"
    "hal/inventory: product_key settings setup tools testbed"
    "product_key: settings setup tools testbed"
    "settings/service: settings/base settings/resources settings/controls settings/dialogs settings/app setup tools testbed"
    "settings/base: settings/controls settings/dialogs settings/app setup tools testbed"
    "settings/resources: settings/controls settings/dialogs settings/app setup tools testbed"
    "settings/controls: settings/dialogs settings/app setup tools testbed"
    "settings/dialogs: settings/app setup tools testbed"
    "setup: tools testbed"
    "tools/mgxtool: testbed"
)
headers=$(git ls-files '*.h' | grep -v '/tests/')
violations=0
for floor in "${FLOORS[@]}"; do
    folder=${floor%%:*}
    above=${floor#*: }
    while IFS= read -r file; do
        while IFS= read -r included; do
            # Every project file the include can name: the same folder first, else any with that path.
            if [ -f "$(dirname "$file")/$included" ]; then continue; fi
            candidates=$(grep -E "(^|/)${included//./\\.}$" <<<"$headers" || true)
            [ -n "$candidates" ] || continue
            allowed=0
            while IFS= read -r candidate; do
                forbidden=0
                for upper in $above; do [[ $candidate == "$upper"/* ]] && forbidden=1; done
                [ "$forbidden" = 0 ] && allowed=1
            done <<<"$candidates"
            if [ "$allowed" = 0 ]; then
                echo "$file includes $included, which lies on a floor above $folder: $(tr '\n' ' ' <<<"$candidates")"
                violations=$((violations + 1))
            fi
        done < <(sed -n 's/^[[:space:]]*#include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done < <(git ls-files "$folder" | grep -E '\.(h|cpp|c|rc)$' | grep -v '/tests/')
done
echo "$violations include(s) reaching a floor above"
[ "$violations" = 0 ]
