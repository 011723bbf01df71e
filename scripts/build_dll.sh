#!/usr/bin/env bash
# Cross-builds TARVEX.dll, the harness and the Wine suite into build/win32.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/win32" -j"$(nproc)"
