#!/usr/bin/env bash
# The MSI as an engine runs it, in the test prefix: an older version installed
# silently, this build's installed over it (one Add/Remove Programs entry, the
# newer files), both programs, the README, the Start-menu shortcut and
# InstallDir checked, then the package removed: nothing is left, and the
# registry exported afterwards is the one exported before.
#   msi_test.sh <this build's .msi> <an older version's .msi> <this build's README>
set -euo pipefail
msi=$1 older=$2 readme=$3
if [ "${QUILLMERE_DISPOSABLE_REGISTRY:-}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  echo "Skipped: needs QUILLMERE_DISPOSABLE_REGISTRY=1 (this registry may be changed) and an X display for msiexec"
  exit 77
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No menu entries for the Linux desktop: Wine would write them to the home folder.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
work=$(dirname "$msi")/msi-test
folder="$WINEPREFIX/drive_c/Program Files/Quillmere"
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
eventlog='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application'
rm -rf "$work" && mkdir -p "$work"

fail() { echo "$*" >&2; exit 1; }
msiexec() { wine msiexec "$1" "$(winepath -w "$2")" /qn || fail "msiexec $1 $(basename "$2"): exit $?"; }
# Every value of the machine's and the users' registry, one a line after its
# key, less the parameters Wine itself rewrites whenever a process starts.
# Empty keys are left out: Windows Installer keeps its own bookkeeping keys.
snapshot() {
  local hive
  for hive in HKLM HKU; do
    (cd "$work" && wine reg export "$hive" "$1-$hive.reg" /y >/dev/null 2>&1)
    iconv -f UTF-16 -t UTF-8 "$work/$1-$hive.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; skip = /Temporary System Parameters/; next } !skip && NF { print key " " $0 }'
  done >"$work/$1.reg"
}
entries() { wine reg query "$uninstall" /s 2>/dev/null | tr -d '\r' | grep -c '^    DisplayName    REG_SZ    Quillmere$' || true; }
shortcuts() { find "$WINEPREFIX/drive_c" -name Quillmere.lnk; }

snapshot before
(cd "$work" && wine reg export "$eventlog" eventlog.reg /y >/dev/null 2>&1)
[ ! -e "$folder" ] && [ "$(entries)" = 0 ] || fail "Quillmere is installed before the test"
# However the test ends, the package goes: a failed run leaves the prefix as it was.
trap 'wine msiexec /x "$(winepath -w "$msi")" /qn >/dev/null 2>&1 || true' EXIT

msiexec /i "$older"
cmp -s "$folder/README.md" "$(dirname "$older")/README.md" || fail "the older package's README is not installed"
msiexec /i "$msi"
for file in Quillmere.exe quillmerec.exe LICENSE; do
  [ -s "$folder/$file" ] || fail "$file is not installed"
done
cmp -s "$folder/README.md" "$readme" || fail "the upgrade left the older README"
[ "$(entries)" = 1 ] || fail "$(entries) entries in Add/Remove Programs, not 1"
wine reg query "$uninstall" /s 2>/dev/null | tr -d '\r' >"$work/entry"
for value in 'Publisher    REG_SZ    The Quillmere developers' "DisplayVersion    REG_SZ    $(basename "$msi" .msi | cut -d- -f2)" \
  'HelpLink    REG_SZ    C:\Program Files\Quillmere\README.md'; do
  grep -qF "    $value" "$work/entry" || fail "Add/Remove Programs has no $value"
done
installdir=$(wine reg query 'HKLM\SOFTWARE\Quillmere' /v InstallDir 2>/dev/null | tr -d '\r' | sed -n 's/^    InstallDir    REG_SZ    //p')
[ "$installdir" = 'C:\Program Files\Quillmere\' ] || fail "InstallDir is '$installdir'"
# Wine's ProgramMenuFolder is the installing account's even for a
# per-machine package, so the shortcut is looked for in the whole prefix.
[ "$(shortcuts | wc -l)" = 1 ] && grep -qa 'Quillmere\.exe' "$(shortcuts)" || fail "no one shortcut to Quillmere.exe"

msiexec /x "$msi"
trap - EXIT
# Wine's msiexec also deletes the event source's parent, which is empty in a
# fresh prefix but never on Windows: it is put back for the tests after this.
wine reg query "$eventlog" >/dev/null 2>&1 || (cd "$work" && wine reg import eventlog.reg >/dev/null 2>&1)
! wine reg query "$eventlog\Quillmere" >/dev/null 2>&1 &&
  ! wine reg query 'HKLM\SOFTWARE\Quillmere' >/dev/null 2>&1 || fail "keys left after the removal"
[ ! -e "$folder" ] && [ -z "$(shortcuts)" ] || fail "files left after the removal: $(find "$folder" 2>/dev/null; shortcuts)"
snapshot after
diff "$work/before.reg" "$work/after.reg" >&2 || fail "the registry differs after the removal"
echo "The MSI installed, upgraded and removed cleanly"
