#!/usr/bin/env bash
# The screening-run benchmark: one pass of inblock, save2blk, savedata,
# ReadData, LableGet, TlineAll and Tline over every security of a market,
# natively on the portable build and through TARVEX.dll under Wine, each
# export beside the bare file I/O it cannot avoid (bench/screening/). With
# both, the two builds must give the same digests of results and files.
# Usage: scripts/screening.sh [securities (5000)] [native|wine|both (both)]
# (build/native/screening N --no-flush runs the native pass with no write
# waiting for the disk: the library's own work, repeatable.)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
n=${1:-5000}
which=${2:-both}
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(df -T /tmp | awk 'NR==2 {print $2}') /tmp"
digests=()

if [ "$which" != wine ]; then
  cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  nice cmake --build "$top/build/native" --target screening -j2 >/dev/null
  out=$("$top/build/native/screening" "$n")
  echo "$out"
  digests+=("$(echo "$out" | grep '^digests:')")
fi

if [ "$which" != native ]; then
  "$top/scripts/sqlite_amalgamation.sh" "$top/build/sqlite"
  cmake -S "$top" -B "$top/build/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DTARVEX_SQLITE_DIR="$top/build/sqlite" >/dev/null
  nice cmake --build "$top/build/win32" --target TARVEX screening -j2 >/dev/null
  source "$top/scripts/wine_env.sh"
  # The program's directory is the host directory the DLL works in; the
  # tree it builds is put on the disk before the pass.
  host=$(mktemp -d /tmp/tarvex-screening-XXXXXX)/host
  mkdir -p "$host"
  cp "$top/build/win32/TARVEX.dll" "$top/build/win32/screening.exe" "$host/"
  status=0
  out=$(cd "$host" && wine_run screening.exe build "$n" && sync && wine_run screening.exe run "$n") || status=$?
  rm -rf "$(dirname "$host")"
  echo "$out"
  [ $status = 0 ] || exit $status
  digests+=("$(echo "$out" | grep '^digests:')")
fi

if [ ${#digests[@]} = 2 ] && [ "${digests[0]}" != "${digests[1]}" ]; then
  echo "the native build and TARVEX.dll differ in their results or files"
  exit 1
fi
