#!/usr/bin/env bash
# Makes SQLite's one-file amalgamation (sqlite3.c, sqlite3.h) for the static
# link into TARVEX.dll, from Debian's own source package of the version that
# libsqlite3-dev carries natively. The result is kept in DIR (build/sqlite by
# default), so a later build fetches nothing; SQLite's source is never part of
# this repository. Needs the deb-src entry and the tools setup.sh installs.
# Usage: scripts/sqlite_amalgamation.sh [DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/apt.sh"
out=${1:-$top/build/sqlite}
if [ -s "$out/sqlite3.c" ] && [ -s "$out/sqlite3.h" ]; then
  exit 0
fi
version=$(dpkg-query -W -f='${Version}' libsqlite3-dev)
work=$(mktemp -d /tmp/tarvex-sqlite-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "making SQLite's amalgamation from Debian's source of sqlite3 $version"
cd "$work"
# The source of the installed version, else the newest one the entry offers.
apt-get source -qq --download-only "sqlite3=$version" >/dev/null 2>&1 ||
  apt_with_fallback "the source of sqlite3" source -qq --download-only sqlite3
dpkg-source -x --no-check ./sqlite3_*.dsc src >/dev/null
upstream=${version%%-*}
grep -qx "$upstream" src/VERSION || { echo "SQLite source $(cat src/VERSION) is not $upstream"; exit 1; }
cd src
./configure >configure.log 2>&1 || { tail -20 configure.log; exit 1; }
make sqlite3.c >make.log 2>&1 || { tail -20 make.log; exit 1; }
mkdir -p "$out"
# sqlite3.c last and in one step: its presence says the pair is complete.
cp sqlite3.h "$out/sqlite3.h"
cp sqlite3.c "$out/sqlite3.c.new" && mv "$out/sqlite3.c.new" "$out/sqlite3.c"
echo "SQLite $(cat VERSION) amalgamation in $out"
