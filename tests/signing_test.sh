#!/usr/bin/env bash
# The release build's signing (cmake/sign.cmake) with a throwaway certificate
# made here: each kind of shipped file (a program, the MSI, a script) signed,
# then verified by osslsigncode against that certificate alone; a script
# stays UTF-8 without a byte-order mark. Without a certificate, nothing is
# signed and the build says so.
#   signing_test.sh <sign.cmake> <file>...
set -euo pipefail
sign=$1
shift
work=$(pwd)/signing-test
rm -rf "$work" && mkdir -p "$work"
fail() { echo "$*" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Quillmere test signer' \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:test -out "$work/cert.pfx"

files=()
for file in "$@"; do
  cp "$file" "$work/" && files+=("$work/$(basename "$file")")
done
list=$(IFS=';' && echo "${files[*]}")

unsigned=$(env -u QUILLMERE_SIGN_PFX cmake "-DFILES=$list" -P "$sign")
grep -q 'Not signed, QUILLMERE_SIGN_PFX names no certificate' <<<"$unsigned" || fail "no word of the missing certificate: $unsigned"
for file in "${files[@]}"; do
  ! osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >/dev/null 2>&1 || fail "$file signed without a certificate"
done

QUILLMERE_SIGN_PFX=$work/cert.pfx QUILLMERE_SIGN_PASSWORD=test cmake "-DFILES=$list" -P "$sign" >/dev/null
for file in "${files[@]}"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >"$work/verify" 2>&1 &&
    grep -q 'Signature verification: ok' "$work/verify" || { cat "$work/verify" >&2; fail "$file: not verified"; }
  case $file in
    *.ps1) [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" != efbbbf ] || fail "$file gained a byte-order mark" ;;
  esac
done
echo "Signed and verified: $*"
