#!/usr/bin/env bash
# The testbed's FRU image as an outside reader sees it: freeipmi's ipmi-fru decodes the acer
# machine's FRU device 0 from its file and must find every text the encoder was given.
#   fru_image_reference_test.sh FRU_FILE
set -euo pipefail
shown=$(ipmi-fru --fru-file="$1")
status=0
for expected in "Chassis Part Number: GK7-CH700" "Chassis Serial Number: CH7A0012345" \
    "Board Manufacturer: ACER" "Board Product Name: Altos G700 Mainboard" "Board Serial Number: MB1230456" \
    "Board Part Number: 55.G7001.003" "Product Manufacturer Name: Velmora" "Product Name: GK7 Tower 700" \
    "Product Part/Model Number: GK7-700-JP" "Product Version: 1.02" "Product Serial Number: GK7000777"; do
    if ! grep -qF "$expected" <<<"$shown"; then
        echo "ipmi-fru does not show \"$expected\"" >&2
        status=1
    fi
done
if grep -qiE "checksum|invalid|error" <<<"$shown"; then
    echo "ipmi-fru reports a problem:" >&2
    status=1
fi
[ $status = 0 ] || { echo "$shown" >&2; exit 1; }
echo "ipmi-fru reads every text of $1"
