#!/usr/bin/env bash
# quillmerec as a fleet engine runs it, in the test prefix: the three tool keys
# prepared with reg (a stock line, a missing program, a path that needs
# quotes), then check, check /json read back by a JSON parser, a bad command
# line, repair and repair /stock, then folders on the way that Everyone may
# change. The keys and the files made for the test are
# put back afterwards, and the keys compared with what they were.
#   quillmerec_fleet_test.sh <quillmerec.exe>
set -euo pipefail
program=$1
if [ "${QUILLMERE_DISPOSABLE_REGISTRY:-}" != 1 ]; then
  echo "Skipped: QUILLMERE_DISPOSABLE_REGISTRY=1 does not say this registry may be changed"
  exit 77
fi
export WINEDEBUG=${WINEDEBUG:--all}
parent='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\MyComputer'
work=$(dirname "$program")/fleet-test
system32=$WINEPREFIX/drive_c/windows/system32
made=()

rm -rf "$work" && mkdir -p "$work"
for key in BackupPath CleanupPath DefragPath; do
  (cd "$work" && wine reg export "$parent\\$key" "$key.reg" /y >/dev/null 2>&1) || true
done
restore() {
  local key status=0
  for key in BackupPath CleanupPath DefragPath; do
    wine reg delete "$parent\\$key" /f >/dev/null 2>&1 || true
    [ -f "$work/$key.reg" ] || continue
    (cd "$work" && wine reg import "$key.reg" >/dev/null 2>&1 &&
      wine reg export "$parent\\$key" "$key.after" /y >/dev/null 2>&1 &&
      cmp -s "$key.reg" "$key.after") || { echo "$key was not put back" >&2; status=1; }
  done
  rm -rf "${made[@]}"
  return $status
}
trap 'restore || exit 1' EXIT

# The programs the lines and this Windows' Default lines name.
qtest=$WINEPREFIX/drive_c/qtest
for file in "$system32/sdclt.exe" "$system32/cleanmgr.exe" "$system32/dfrgui.exe" \
  "$system32/mmc.exe" "$WINEPREFIX/drive_c/quillmere fleet test/defrag tool.exe" \
  "$qtest/a/locked/tool.exe" "$qtest/b/open dir/tool.exe" "$qtest/c/x.msc"; do
  [ -e "$file" ] && continue
  mkdir -p "$(dirname "$file")" && touch "$file"
  made+=("$file")
done
made+=("$WINEPREFIX/drive_c/quillmere fleet test" "$qtest")

store() { wine reg add "$parent\\$1" /ve /t "$2" /d "$3" /f >/dev/null; }
stored() { wine reg query "$parent\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^    (Default)    //p'; }
run() { # expected exit code, arguments...: the output in $work/out
  local expected=$1 code=0
  shift
  wine "$program" "$@" >"$work/out" 2>"$work/err" || code=$?
  [ "$code" = "$expected" ] || { echo "quillmerec $*: exit $code, not $expected" >&2; cat "$work/out" "$work/err" >&2; exit 1; }
}
verdict() { tail -n 1 "$work/out" | tr -d '\r'; }
json() { # a Python condition on `report`, the one JSON object of the output
  python3 -c 'import json, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
assert len(lines) == 1, lines
report = json.loads(lines[0])
assert eval("(" + sys.argv[2] + ")"), report' "$work/out" "$1"
}
expect() { [ "$2" = "$3" ] || { echo "$1: '$2', not '$3'" >&2; exit 1; }; }

store BackupPath REG_EXPAND_SZ '%systemroot%\SYSTEM32\SDCLT.EXE'
store CleanupPath REG_SZ 'C:\quillmere fleet test\nothing.exe /D %c'
store DefragPath REG_SZ 'C:\quillmere fleet test\defrag tool.exe /x'
backup=$(stored BackupPath)

run 1 check
expect verdict "$(verdict)" '2 findings: Disk Cleanup: Program not found; Defragmenter: Path needs quotes'
run 1 check /json
json '[t["findings"] for t in report["tools"]] == [[], ["not-found"], ["needs-quotes"]] and
  report["tools"][0]["type"] == "REG_EXPAND_SZ" and report["tools"][0]["expanded"].lower() ==
  "c:\\windows\\system32\\sdclt.exe" and report["findings"] == 2'

run 2 repair /force
expect "bad command line's output" "$(cat "$work/out")" ''
expect "cleanup after a bad command line" "$(stored CleanupPath)" 'REG_SZ    C:\quillmere fleet test\nothing.exe /D %c'

run 0 repair
expect verdict "$(verdict)" 'No findings.'
expect cleanup "$(stored CleanupPath)" 'REG_EXPAND_SZ    %SystemRoot%\system32\cleanmgr.exe /D %c'
expect defrag "$(stored DefragPath)" 'REG_SZ    "C:\quillmere fleet test\defrag tool.exe" /x'

run 1 check /stock
expect verdict "$(verdict)" '1 finding: Defragmenter: Not a stock line'
run 0 repair -STOCK -json
json '[t["changed"] and t["changed"]["how"] for t in report["tools"]] == [None, None, "default"]
  and report["findings"] == 0'
expect defrag "$(stored DefragPath)" 'REG_EXPAND_SZ    %systemroot%\system32\dfrgui.exe'
expect "backup, which had no finding" "$(stored BackupPath)" "$backup"

# Every account may change the program (Wine reads o+w as Everyone's write).
store DefragPath REG_SZ '"C:\quillmere fleet test\defrag tool.exe" /x'
chmod o+w "$WINEPREFIX/drive_c/quillmere fleet test/defrag tool.exe"
run 1 check /json
json 'report["tools"][2]["findings"] == ["replaceable"] and
  report["tools"][2]["replaceableBy"] == r"Everyone can change C:\quillmere fleet test\defrag tool.exe"'
run 0 repair
expect defrag "$(stored DefragPath)" 'REG_EXPAND_SZ    %systemroot%\system32\dfrgui.exe'

run 0 off defrag
expect "switched-off defrag" "$(stored DefragPath)" ''

# Folders on the way that Everyone may change: a locked program's parent, the
# folder of a place an unquoted path tries first, a snap-in's, a missing
# program's. Each row keeps its line: none is repaired here.
chmod o+w "$qtest/a" "$qtest/b" "$qtest/c"
store BackupPath REG_SZ 'C:\qtest\a\locked\tool.exe'
store CleanupPath REG_SZ 'C:\qtest\b\open dir\tool.exe'
store DefragPath REG_SZ 'mmc.exe C:\qtest\c\x.msc'
run 1 check /json
json '[t["findings"] for t in report["tools"]] == [["replaceable"], ["needs-quotes", "replaceable"],
  ["replaceable"]] and [t["replaceableBy"] for t in report["tools"]] == ["Everyone can rename " +
  "C:\\qtest\\" + f for f in "abc"]'
store BackupPath REG_SZ 'C:\qtest\a\missing.exe'
run 1 check
expect verdict "$(verdict | cut -d';' -f1)" '5 findings: Backup Utility: Program not found, Program replaceable: Everyone can rename C:\qtest\a'
echo "quillmerec checked, repaired, switched off and judged the way from the root as expected"
