#!/usr/bin/env bash
# Cross-builds TARVEX.dll, the harness and the Wine suite into build/win32,
# with SQLite's amalgamation made once into build/sqlite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/sqlite_amalgamation.sh" "$top/build/sqlite"
cmake -S "$top" -B "$top/build/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTARVEX_SQLITE_DIR="$top/build/sqlite" >/dev/null
cmake --build "$top/build/win32" -j"$(nproc)"
