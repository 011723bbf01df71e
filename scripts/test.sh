#!/usr/bin/env bash
# Every test: set up the machine, build and run the native suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, build the DLL and run the
# Wine suite against it, run the TDX plug-in's two builds in the TDX-shaped
# host, and run the harness's DLL checks.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

echo "== the set-up against a registry that is mid-update (a stand-in apt-get)"
"$top/tests/setup/registry_test.sh"

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

echo "== TARVEX_TDX.dll, 32- and 64-bit, in the TDX-shaped host"
"$top/scripts/run_tdx_tests.sh" "$top/build/win32" "$top/build/win64"

echo "== the screening run, 50 securities, natively and through the DLL (the full run: scripts/screening.sh)"
"$top/scripts/screening.sh" 50 | grep -E '^(screening run|  pass|digests|the native)'

echo "== the harness: DLL checks and a call on the sample chart"
host=$(mktemp -d /tmp/tarvex-check-XXXXXX)
cp "$top/build/win32/TARVEX.dll" "$top/build/win32/harness.exe" "$host/"
out=$(cd "$host" && wine_run harness.exe check TARVEX.dll) || { echo "$out"; exit 1; }
echo "$out"
echo "$out" | grep -q 'exports: 44 names, 44 expected$' || { echo "TARVEX.dll does not export the 44"; exit 1; }
# The TDX plug-in's two builds, each told apart from TARVEX.dll and from the other.
for bits in 32 64; do
  mkdir "$host/tdx$bits" && cp "$top/build/win$bits/TARVEX_TDX.dll" "$host/tdx$bits/"
  out=$(cd "$host" && wine_run harness.exe check "tdx$bits/TARVEX_TDX.dll") || { echo "$out"; exit 1; }
  echo "$out" | grep "kind: TDX formula plug-in (RegisterTdxFunc), $bits-bit$" ||
    { echo "$out"; echo "harness check does not see the $bits-bit TDX plug-in"; exit 1; }
done
out=$(cd "$host" && wine_run harness.exe call TARVEX.dll systime --sample)
echo "$out" | tail -2
echo "$out" | grep -q '^返回 return 119$' || { echo "harness call failed"; exit 1; }
echo "$out" | grep -Eq '^result\[119\] = [0-9]+$' || { echo "no HHMMSS in the last slot"; exit 1; }
rm -rf "$host"

echo "== the release bundle"
"$top/scripts/package_test.sh"
echo "all tests passed"
