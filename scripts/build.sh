#!/usr/bin/env bash
# The main job: set up the machine, build TARVEX.dll and run the harness's
# demonstration under Wine in a scratch host directory: check the DLL's
# exports and imports, then call exports on the built-in sample chart.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build_dll.sh"
source "$top/scripts/wine_env.sh"

host=$(mktemp -d /tmp/tarvex-demo-XXXXXX)/host
mkdir -p "$host/userdata/block" "$host/userdata/self" "$host/userdata/SelfData"
cp "$top/build/win32/TARVEX.dll" "$top/build/win32/harness.exe" "$host/"
cp "$top/docs/TARVEX.ini" "$host/TARVEX.ini"
cd "$host"
# The DLL check must pass; a demonstration call that fails is shown and the
# demonstration goes on.
harness() { echo; echo "\$ harness $*"; wine_run harness.exe "$@"; }
demo() { harness "$@" || echo "(harness exited with status $?)"; }
harness check TARVEX.dll
demo call TARVEX.dll systime --sample
demo call TARVEX.dll minutes --sample
demo call TARVEX.dll time0 --sample
for demo in "$top"/scripts/demo.d/*.sh; do
  [ -e "$demo" ] && source "$demo"
done
echo
echo "scratch host directory: $host"
if [ -f TARVEX.log ]; then
  echo "TARVEX.log:"
  iconv -f GBK -t UTF-8 TARVEX.log | tr -d '\r'
  echo
fi
