#!/usr/bin/env bash
# Makes the pictures of the user documentation again: the harness calls the
# trend-line and data-file exports on real history, the 250 daily bars of
# 600000 in docs/samples/ (sh600000.day, read as the TDX terminal's day file
# with --tdx-day; day_bars.csv holds the same bars; see SOURCE.txt there),
# under Wine and draws each result into docs/images/*.svg (shown by
# docs/lines.md and docs/datafiles.md). Run after ./scripts/build.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/win32
[ -f "$build/harness.exe" ] || "$top/scripts/build_dll.sh"
source "$top/scripts/wine_env.sh"

host=$(mktemp -d /tmp/tarvex-pictures-XXXXXX)
mkdir -p "$host/userdata/SelfData" "$host/userdata/self"
cp "$build/TARVEX.dll" "$build/harness.exe" "$top/docs/samples/day_bars.csv" "$top/docs/samples/sh600000.day" "$host/"
cd "$host"
picture() {  # picture NAME FUNCTION OPTIONS...
  local name=$1 fn=$2
  shift 2
  wine_run harness.exe call TARVEX.dll "$fn" --tdx-day sh600000.day "$@" --svg "$name.svg" >/dev/null
  cp "$name.svg" "$top/docs/images/$name.svg"
  echo "docs/images/$name.svg"
}
picture tline Tline --p1-series close --p2 5 --p4 120
picture tlinelow TlineLow --p1-series close --p2 5 --p4 120
picture tlineall TlineAll --p1-series close --p2 5 --p3 1.01 --p4 120
picture tlinenear TlineNear --p1-series close --p2 5 --p4 60
# The 5-day average of the closes (from the fifth bar) stored as DATA13 with
# saveS, then read back with ReadData.
ma5=$(awk -F, 'NR > 1 { c[++n] = $5 } END {
  for (i = 1; i <= n; i++) { s = 0; for (j = i - 4; j <= i; j++) s += (j >= 1 ? c[j] : c[1]); printf "%s%.3f", (i > 1 ? "," : ""), s / 5 } }' day_bars.csv)
wine_run harness.exe call TARVEX.dll saveS --tdx-day sh600000.day --p1-series "$ma5" --start 4 --p2 13 >/dev/null
picture readdata ReadData --p1-series close --start 20 --p2 13
rm -rf "$host"
