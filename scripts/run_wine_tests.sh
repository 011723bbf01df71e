#!/usr/bin/env bash
# Runs the Wine suite: a scratch host directory holds the test program and
# TARVEX.dll (so it is the library's module_dir) and is the working directory.
# Usage: scripts/run_wine_tests.sh BUILD_DIR [test-name-filter]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"
host=$(mktemp -d /tmp/tarvex-wine-XXXXXX)/host
mkdir -p "$host/userdata/block" "$host/userdata/self" "$host/userdata/SelfData"
cp "$build/TARVEX.dll" "$build/wine_tests.exe" "$build"/fixtures/*.exe "$host/"
# The 64-bit stand-ins (a current TDX terminal) from the 64-bit build beside.
wide_fixtures="$build/../win64/fixtures"
if [ -d "$wide_fixtures" ]; then cp "$wide_fixtures"/*.exe "$host/"; fi
# Drive D: of this run's prefix is a scratch folder holding the database
# SQLit3 reads as D:\StockData\yjyg.db, made with the sqlite3 tool; the
# prefix's own D: (if any) is put back afterwards.
ddrive=$(dirname "$host")/d
mkdir -p "$ddrive/StockData"
sqlite3 "$ddrive/StockData/yjyg.db" < "$here/../tests/wine/fixtures/yjyg.sql"
dlink="$WINEPREFIX/dosdevices/d:"
mkdir -p "$WINEPREFIX/dosdevices"
case "$(readlink "$dlink" 2>/dev/null)" in /tmp/tarvex-wine-*) rm -f "$dlink" ;; esac  # left by a killed run
if [ -e "$dlink" ] || [ -L "$dlink" ]; then mv "$dlink" "$dlink.tarvex-saved"; fi
ln -s "$ddrive" "$dlink"
cd "$host"
status=0
wine_run "$host/wine_tests.exe" ${2:-} || status=$?
# A win32 prefix runs no 64-bit programs: the tests of 64-bit stand-ins run
# again in a win64 prefix of their own (32-bit programs run there too),
# with a server of its own, stopped at the end. A win64 prefix (32-bit
# programs emulated) ran them above.
wide_tests=bridges_positions_of_a_64bit_terminal
if [ "$WINEARCH" = win32 ] && [[ "$wide_tests" == *"${2:-}"* ]]; then
  echo "64-bit stand-ins: in the win64 prefix $WINEPREFIX-win64"
  (
    export WINEARCH=win64 WINEPREFIX="$WINEPREFIX-win64"
    if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=win64" "$WINEPREFIX/system.reg"; then rm -rf "$WINEPREFIX"; fi
    mkdir -p "$WINEPREFIX"
    wineserver -w >/dev/null 2>&1 </dev/null || true
    wineserver -p >/dev/null 2>&1 </dev/null
    wineboot -u >/dev/null 2>&1 </dev/null
    rc=0
    wine_run "$host/wine_tests.exe" "$wide_tests" || rc=$?
    wineserver -k >/dev/null 2>&1 || true
    exit $rc
  ) || status=$?
fi
rm -f "$dlink"
if [ -e "$dlink.tarvex-saved" ] || [ -L "$dlink.tarvex-saved" ]; then mv "$dlink.tarvex-saved" "$dlink"; fi
rm -rf "$(dirname "$host")"
exit $status
