#!/usr/bin/env bash
# cmake/sign.cmake with a throwaway certificate: each file given (a program, the MSI, a
# script) signed and verified against that certificate alone; a script keeps UTF-8
# without a byte-order mark.   signing_test.sh <sign.cmake> <file>...
set -euo pipefail
sign=$1 && shift && rm -rf signing-test && mkdir signing-test && cp "$@" signing-test/ && cd signing-test
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Quillmere test signer' \
  -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:test -out cert.pfx
files=$(printf "$PWD/%s;" "${@##*/}")
QUILLMERE_SIGN_PFX=cert.pfx QUILLMERE_SIGN_PASSWORD=test cmake "-DFILES=${files%;}" -P "$sign" >/dev/null
for file in "${@##*/}"; do
  osslsigncode verify -CAfile cert.pem -in "$file" | grep 'Signature verification: ok' >/dev/null &&
    [ "$(head -c 3 "$file")" != $'\xef\xbb\xbf' ] || { echo "$file: not verified, or a BOM" >&2; exit 1; }
done
echo "Signed and verified: ${*##*/}"
