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
cd "$host"
status=0
wine_run "$host/wine_tests.exe" ${2:-} || status=$?
rm -rf "$(dirname "$host")"
exit $status
