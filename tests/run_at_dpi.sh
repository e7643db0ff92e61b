#!/usr/bin/env bash
# Runs window test programs in a Wine prefix of their own whose screen has the
# given logical DPI, so that the windows are created at that DPI from the
# start, as on a system set to that scale. The prefix is made once and kept;
# the shared prefix of the other tests and its wineserver are never touched.
#   run_at_dpi.sh <dpi> <prefix folder> <test program>...
set -euo pipefail
dpi=$1 prefix=$2
shift 2

export WINEPREFIX=$prefix WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Read by dpi_test, which fails when the screen does not have this DPI.
export QUILLMERE_SCREEN_DPI=$dpi
# This prefix's wineserver and services start here with their output going
# nowhere: holding ctest's pipes, they would keep it waiting after the test.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
fi
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# Unmanaged X windows: no window manager runs, and Wine would otherwise wait
# for one each time a window is hidden or destroyed.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The DPI is read when the wineserver starts.
wineserver -k 2>/dev/null || true
wineserver -w
wineboot >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT

status=0
for program in "$@"; do
  echo "== $(basename "$program") at $dpi DPI"
  wine "$program" || status=1
done
exit $status
