#!/usr/bin/env bash
# The package made as the build makes it, but with a throwaway self-signed code-signing
# certificate: the package and every program and library in it carry a valid SHA-256
# Authenticode signature by that certificate.
#   package_signing_test.sh CMAKE MAKE_PACKAGE_INPUTS...
set -Eeuo pipefail
cmake=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Uptiva signing test" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
"$cmake" -DFILES_DIR="$work/files" -DDEBUG_DIR="$work/debug" -DPACKAGE="$work/Uptiva-signed.msi" \
    -DCERT="$work/cert.pem" -DKEY="$work/key.pem" "$@" 2>&1 | tee "$work/make.log"
check "the build says the package is signed" grep -q "are signed" "$work/make.log"
check "the build warns that the signatures have no timestamp" grep -q "without a timestamp server" "$work/make.log"
verified() { osslsigncode verify -in "$1" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1 && grep -q "Signature verification: ok" "$work/verify.log"; }
check "the package's signature verifies" verified "$work/Uptiva-signed.msi"
count=0
for file in "$work"/files/*.EXE "$work"/files/*.exe "$work"/files/*.dll; do
    [ -e "$file" ] || continue
    count=$((count + 1))
    check "$(basename "$file") is signed and verifies" verified "$file"
    check "$(basename "$file") is signed with SHA-256" bash -c "osslsigncode verify -in '$file' -CAfile '$work/cert.pem' 2>&1 | grep -qi 'sha256'"
done
check "every program and library was looked at" [ "$count" -ge 9 ]
checks_done
