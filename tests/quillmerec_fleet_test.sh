#!/usr/bin/env bash
# quillmerec as a fleet engine runs it, in the test prefix: the three tool keys
# prepared with reg (a stock line, a missing program, a path that needs
# quotes), then check, check /json read back by a JSON parser, a bad command
# line, repair and repair /stock, then folders on the way that Everyone may
# change. The keys and the files made for the test are
# put back afterwards, and the keys compared with what they were.
#   quillmerec_fleet_test.sh <quillmerec.exe> <the same without its manifest>
set -euo pipefail
program=$1
ansi=$2
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
expect verdict "$(verdict)" 'Changed Disk Cleanup (default), Defragmenter (quoted); No findings.'
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
run 0 off defrag /json
json 'report["tools"][2]["changed"] is None'
run 0 set backup "${backup#REG_EXPAND_SZ    }" /json
json '[t["changed"] for t in report["tools"]] == [None, None, None]'
run 0 set backup /?
expect "backup after set /?" "$(stored BackupPath)" "$backup"

# Keys the shell cannot use: a reference in a REG_SZ, which repair stores as
# REG_EXPAND_SZ, and a line of blanks, which gets the Default line.
store BackupPath REG_SZ '%SystemRoot%\system32\sdclt.exe'
store CleanupPath REG_SZ "$(printf ' \t ')"
run 1 check /json
json '[t["findings"] for t in report["tools"]] == [["unexpanded"], ["no-line"], []]'
run 0 repair
expect backup "$(stored BackupPath)" 'REG_EXPAND_SZ    %SystemRoot%\system32\sdclt.exe'
expect cleanup "$(stored CleanupPath)" 'REG_EXPAND_SZ    %SystemRoot%\system32\cleanmgr.exe /D %c'

# With no Default that starts, a repair leaves the administrator's line.
if [[ " ${made[*]} " == *" $system32/cleanmgr.exe "* ]]; then
  rm "$system32/cleanmgr.exe"
  store CleanupPath REG_SZ 'C:\Vendor\clean.exe'
  run 1 repair
  expect "cleanup without a Default" "$(stored CleanupPath)" 'REG_SZ    C:\Vendor\clean.exe'
  touch "$system32/cleanmgr.exe"
fi

# A value the system cannot expand: that row alone cannot be read, says so
# last, and stops neither a change of another tool nor its own switching off.
python3 -c 'import sys
data = ("%SystemRoot%\\" + "a" * 40000 + "\0").encode("ascii")
print("REGEDIT4\n\n[" + sys.argv[1] + "]\n@=hex(2):" + ",".join("%02x" % b for b in data))' \
  "HKEY_LOCAL_MACHINE${parent#HKLM}\\CleanupPath" >"$work/long.reg"
(cd "$work" && wine reg import long.reg >/dev/null 2>&1)
run 3 check
expect verdict "$(verdict)" 'Error 5: Disk Cleanup: Invalid argument: environment references cannot be expanded'
run 3 set defrag 'C:\quillmere fleet test\nothing.exe'
expect defrag "$(stored DefragPath)" 'REG_SZ    C:\quillmere fleet test\nothing.exe'
run 1 off cleanup
expect "cleanup switched off" "$(stored CleanupPath)" ''

# Where the code page cannot hold a line, it is neither judged nor mended.
store CleanupPath REG_SZ 'C:\Tools\Резерв\b.exe'
program=$ansi run 3 repair
expect verdict "$(verdict | cut -d: -f1,2)" 'Error 1113: Disk Cleanup'
run 1 check /json
json 'report["tools"][1]["line"] == "C:\\Tools\\Резерв\\b.exe"'
store CleanupPath REG_EXPAND_SZ '%SystemRoot%\system32\cleanmgr.exe /D %c'
wine reg delete "$parent\\DefragPath" /f >/dev/null 2>&1

# The organisation's own lines (/expect), and each write in the event log, which
# Wine traces: a fixme line with each event's ID in hex, then its strings.
events() { sed -n 's/.*fixme:advapi:ReportEventW ([^,]*,[^,]*,[^,]*,\(0x[0-9a-f]*\),.*/\1 /p' "$work/err" | tr -d '\n'; }
strings() { sed -n 's/.*trace:eventlog:ReportEventW //p' "$work/err" | tr -d '\r' | tr '\n' '|'; }
WINEDEBUG=+eventlog run 1 check /expect cleanup=off /expect defrag=off /json
json '[(t["expected"], t["findings"]) for t in report["tools"]] == [(None, []), ("off", ["not-expected"]), ("off", [])]'
expect "events of a check" "$(events)" ''
WINEDEBUG=+eventlog run 0 repair /expect cleanup=off
expect "cleanup expected off" "$(stored CleanupPath)" ''
expect "events of the repair" "$(events)" '0x00000067 '
line='%SYSTEMROOT%\system32\cleanmgr.exe /d %c'
run 0 repair /expect "cleanup=$line"
expect "expected cleanup" "$(stored CleanupPath)" "REG_EXPAND_SZ    $line"
run 0 check /stock /expect 'Cleanup=%systemroot%\SYSTEM32\CLEANMGR.EXE /D %C'
run 1 repair /expect 'cleanup=C:\quillmere fleet test\nothing.exe'
expect "cleanup expected with a missing program" "$(stored CleanupPath)" "REG_EXPAND_SZ    $line"
run 2 check /expect cleanup=off /expect CLEANUP=off
WINEDEBUG=+eventlog run 0 set cleanup 'C:\windows\system32\cleanmgr.exe'
expect "events of a set" "$(events)" '0x00000064 '
[[ $(strings) =~ ^'L"Disk Cleanup"|L"%SYSTEMROOT%\\system32\\cleanmgr.exe /d %c"|L"C:\\windows\\system32\\cleanmgr.exe"|L"'[^\"]+'\\'[^\"]+'"|'$ ]] ||
  { echo "the set's event: $(strings)" >&2; exit 1; }

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
# Quoting a program others can take over mends nothing: the Default goes in.
run 0 repair
expect cleanup "$(stored CleanupPath)" 'REG_EXPAND_SZ    %SystemRoot%\system32\cleanmgr.exe /D %c'
echo "quillmerec checked, repaired, switched off and judged the way from the root as expected"
