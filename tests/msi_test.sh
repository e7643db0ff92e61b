#!/usr/bin/env bash
# The MSI in the test prefix: an older version installed silently, this build's over it (its
# README, both programs, one Add/Remove Programs entry, InstallDir, the shortcut), then removed:
# no file is left, and every registry value is as before.   msi_test.sh <.msi> <version> <README> <older .msi>
set -euo pipefail
msi=$1 version=$2 readme=$3 older=$4
[ "${QUILLMERE_DISPOSABLE_REGISTRY:-}" = 1 ] && [ -n "${DISPLAY:-}" ] ||
  { echo "Skipped: needs QUILLMERE_DISPOSABLE_REGISTRY=1 and an X display for msiexec"; exit 77; }
# No menu entries for the Linux desktop: Wine would write them to the home folder.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
folder="$WINEPREFIX/drive_c/Program Files/Quillmere" uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
eventlog='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application'
rm -rf "$msi-test" && mkdir "$msi-test" && cd "$msi-test"
fail() { echo "$*" >&2; exit 1; }
msiexec() { wine msiexec "$1" "$(winepath -w "$2")" /qn || fail "msiexec $1 $2: exit $?"; }
# Each registry value after its key, but those Wine rewrites at every start (no
# empty key: Windows Installer keeps its own); the product codes of our entries.
snapshot() {
  for hive in HKLM HKU; do wine reg export $hive $hive.reg /y >/dev/null 2>&1 && iconv -f UTF-16 -t UTF-8 $hive.reg; done |
    tr -d '\r' | awk '/^\[/ { key = $0; skip = /Temporary System Parameters/; next } !skip && NF { print key " " $0 }' >"$1"
}
products() { wine reg query "$uninstall" /s | tr -d '\r' | awk '/^HKEY/ { key = $0 } /^    DisplayName    REG_SZ    Quillmere$/ { sub(/.*\\/, "", key); print key }'; }
# Removes what is left. Wine's msiexec also deletes the event source's parent
# when empty, as in a new prefix (never on Windows): it is put back.
remove() { for product in $(products); do wine msiexec /x "$product" /qn; done
  wine reg query "$eventlog" >/dev/null 2>&1 || { wine reg add "$eventlog" /f && wine reg delete "$eventlog" /ve /f; } >/dev/null 2>&1; }
snapshot before && [ -z "$(products)" ] || fail "Quillmere is installed before the test"
trap remove EXIT

msiexec /i "$older" && msiexec /i "$msi"
cmp -s "$folder/README.md" "$readme" && [ -s "$folder/Quillmere.exe" ] && [ -s "$folder/quillmerec.exe" ] || fail "no newer files"
[ "$(products | wc -l)" = 1 ] || fail "not one Add/Remove Programs entry: $(products)"
(wine reg query "$uninstall\\$(products)" && wine reg query 'HKLM\SOFTWARE\Quillmere') | tr -d '\r' | grep -cxF -e \
  "    DisplayVersion    REG_SZ    $version" -e '    InstallDir    REG_SZ    C:\Program Files\Quillmere\' | grep -qx 2 ||
  fail "no DisplayVersion $version in Add/Remove Programs, or no InstallDir"
# Wine's ProgramMenuFolder is the installing account's, even for a per-machine package.
shortcut=$(find "$WINEPREFIX/drive_c" -name Quillmere.lnk)
[ "$(wc -l <<<"$shortcut")" = 1 ] && grep -qa 'Quillmere\.exe' "$shortcut" || fail "not one shortcut to Quillmere.exe"

msiexec /x "$msi"
trap - EXIT && remove
[ ! -e "$folder" ] && [ ! -e "$shortcut" ] || fail "files are left after the removal"
snapshot after && diff before after >&2 || fail "registry values differ after the removal"
echo "The MSI installed, upgraded and removed cleanly"
