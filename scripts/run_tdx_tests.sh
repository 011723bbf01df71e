#!/usr/bin/env bash
# Runs the TDX-shaped host test against both builds of the TDX plug-in, each
# in a scratch directory holding the host program and TARVEX_TDX.dll: the
# 32-bit one the way this machine runs 32-bit Windows programs (wine_env.sh),
# the 64-bit one on Wine's 64-bit side, which runs natively on every kernel
# here, in a 64-bit prefix of its own (TARVEX_WINE64_PREFIX, by default the
# 32-bit prefix's name with "-64"). Both runs must pass and print the same
# digest of all labels.
# Usage: scripts/run_tdx_tests.sh [BUILD32_DIR BUILD64_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build32=$(cd "${1:-$here/../build/win32}" && pwd)
build64=$(cd "${2:-$here/../build/win64}" && pwd)
source "$here/wine_env.sh"
WINE64=/usr/lib/wine/wine64
export TARVEX_WINE64_PREFIX=${TARVEX_WINE64_PREFIX:-$WINEPREFIX-64}
scratch=$(mktemp -d /tmp/tarvex-tdx-XXXXXX)
# wine_env.sh's own ending, when this script was the first to source it.
trap 'rm -rf "$scratch"; [ "$TARVEX_WINE_RUN" != $$ ] || wine_stop_run' EXIT

# Copies one build's plug-in and host into its own directory and runs it
# there; $1 names the build, the rest is how to start a Windows program.
run_host() {
  local name=$1 build=$2 status=0
  shift 2
  mkdir -p "$scratch/$name"
  cp "$build/TARVEX_TDX.dll" "$build/tdx_host.exe" "$scratch/$name/"
  (cd "$scratch/$name" && "$@" tdx_host.exe TARVEX_TDX.dll) > "$scratch/$name.out" || status=$?
  cat "$scratch/$name.out"
  return $status
}

# The 64-bit side: Wine's 64-bit loader started directly (the wine command
# would start the 32-bit one first), with its own prefix (made by that first
# start when missing, about half a minute) and wineserver. The
# emulated way's settings stay: they act only on 32-bit programs the prefix's
# start-up may run, and on a wineserver reading their memory.
wine64_run() {
  (
    export WINEPREFIX=$TARVEX_WINE64_PREFIX WINEARCH=win64 WINELOADER=$WINE64
    if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=win64" "$WINEPREFIX/system.reg"; then
      rm -rf "$WINEPREFIX"
    fi
    local out status=0
    out=$(mktemp /tmp/tarvex-wine-out-XXXXXX)
    "$WINE64" "$@" >"$out" 2>/dev/null || status=$?
    tr -d '\r' < "$out"
    rm -f "$out"
    wineserver -k 2>/dev/null || true
    exit $status
  )
}

status=0
echo "-- 32-bit plug-in ($TARVEX_WINE_WAY)"
run_host 32 "$build32" wine_run || status=1
echo "-- 64-bit plug-in (Wine's 64-bit side, prefix $TARVEX_WINE64_PREFIX)"
run_host 64 "$build64" wine64_run || status=1
digest32=$(sed -n 's/^labels digest //p' "$scratch/32.out")
digest64=$(sed -n 's/^labels digest //p' "$scratch/64.out")
if [ -z "$digest32" ] || [ "$digest32" != "$digest64" ]; then
  echo "the 32- and 64-bit plug-ins label differently (digests '$digest32' and '$digest64')"
  status=1
fi
[ $status = 0 ] && echo "TDX plug-in: both builds pass, labels digest $digest32"
exit $status
