#!/usr/bin/env bash
# Every test: set up the machine, build and run the native suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, build the DLL and run the
# Wine suite against it, and run the harness's DLL check.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

echo "== native suite"
cmake -S "$top" -B "$top/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$top/build/native" -j"$(nproc)"
(cd "$top/build/native" && ./native_tests --gtest_brief=1)

echo "== fuzz targets: a brief run of each"
"$top/scripts/fuzz.sh" 3

echo "== TARVEX.dll and the Wine suite"
"$top/scripts/build_dll.sh"
source "$top/scripts/wine_env.sh"
"$top/scripts/run_wine_tests.sh" "$top/build/win32"

echo "== the screening run, 50 securities, natively and through the DLL (the full run: scripts/screening.sh)"
"$top/scripts/screening.sh" 50 | grep -E '^(screening run|  pass|digests|the native)'

echo "== the harness: DLL check and a call on the sample chart"
host=$(mktemp -d /tmp/tarvex-check-XXXXXX)
cp "$top/build/win32/TARVEX.dll" "$top/build/win32/harness.exe" "$host/"
(cd "$host" && wine_run harness.exe check TARVEX.dll)
out=$(cd "$host" && wine_run harness.exe call TARVEX.dll systime --sample)
echo "$out" | tail -2
echo "$out" | grep -q '^return 119$' || { echo "harness call failed"; exit 1; }
echo "$out" | grep -Eq '^result\[119\] = [0-9]+$' || { echo "no HHMMSS in the last slot"; exit 1; }
rm -rf "$host"

echo "== the release bundle"
"$top/scripts/package_test.sh"
echo "all tests passed"
