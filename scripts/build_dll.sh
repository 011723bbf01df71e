#!/usr/bin/env bash
# Cross-builds TARVEX.dll, the harness and the Wine suite into build/win32,
# with SQLite's amalgamation made once into build/sqlite, and the TDX
# plug-in TARVEX_TDX.dll with its TDX-shaped host test in both builds:
# build/win32 (32-bit) and build/win64 (64-bit, with the 64-bit TDX
# terminal stand-in of the Wine suite).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/sqlite_amalgamation.sh" "$top/build/sqlite"
cmake -S "$top" -B "$top/build/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTARVEX_SQLITE_DIR="$top/build/sqlite" >/dev/null
cmake --build "$top/build/win32" -j"$(nproc)"
cmake -S "$top" -B "$top/build/win64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/win64" -j"$(nproc)"
