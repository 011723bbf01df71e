#!/usr/bin/env bash
# Checks the release bundle as a user gets it: scripts/package.sh makes it,
# it unpacks, its harness passes `check` on its DLL under Wine and prints the
# project version, and on the TDX plug-in's two builds, each in its own
# folder, the harness draws a chart from its sample CSV and the picture
# renders to PNG, every text file in it is GBK with CRLF ends, and 说明.txt
# names the oldest Windows and carries the overview's table of the exports
# that act on other programs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine_env.sh"
fail() { echo "package test: $*"; exit 1; }

zip_file=$("$top/scripts/package.sh" | tail -1)
version=$(sed -n 's/^project(TARVEX VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
[ "$(basename "$zip_file")" = "TARVEX-$version.zip" ] || fail "bundle named $(basename "$zip_file")"
out=$(mktemp -d /tmp/tarvex-unpack-XXXXXX)
trap 'rm -rf "$out"' EXIT
unzip -q "$zip_file" -d "$out"
for f in 说明.txt TARVEX.dll TARVEX.ini harness.exe 文档/README.md 文档/lines.md 文档/samples/day_bars.csv \
         文档/images/tlineall.svg 文档/tdx_plugin.md 通达信插件/32位/TARVEX_TDX.dll 通达信插件/64位/TARVEX_TDX.dll; do
  [ -f "$out/$f" ] || fail "$f is missing"
done
[ "$(ls "$out/公式示例"/*.txt | wc -l)" -ge 8 ] || fail "fewer than 8 files of formula examples"

texts=0
while IFS= read -r -d '' f; do
  iconv -f GBK -t UTF-8 "$f" >/dev/null 2>&1 || fail "${f#$out/} is not GBK"
  [ -z "$(tail -c1 "$f")" ] || fail "${f#$out/} does not end with a line end"
  [ "$(tr -cd '\n' < "$f" | wc -c)" = "$(grep -c $'\r$' "$f")" ] || fail "${f#$out/} has line ends without CR"
  texts=$((texts + 1))
done < <(find "$out" -type f \( -name '*.txt' -o -name '*.ini' -o -name '*.md' -o -name '*.csv' \) -print0)
guide=$(iconv -f GBK -t UTF-8 "$out/说明.txt")
echo "$guide" | grep -q 'TARVEX.dll' || fail "说明.txt does not say where the DLL goes"
echo "$guide" | grep -q 'Windows XP SP3' || fail "说明.txt does not name the oldest Windows"
# Every export of the overview's table of actions on other programs is in 说明.txt too.
acting=$(awk '/^## 对其他程序的动作/ {on = 1; next} on && /^## / {exit} on && /^\| `/ {print $2}' "$top/docs/README.md" |
  grep -o '`[A-Za-z0-9_]*`' | tr -d '`')
[ "$(echo "$acting" | wc -w)" -ge 10 ] || fail "no table of actions on other programs in docs/README.md"
for fn in $acting; do
  echo "$guide" | grep -q "^  [^ ]*$fn" || fail "说明.txt does not list $fn among the exports that act on other programs"
done

cd "$out"
check=$(wine_run harness.exe check TARVEX.dll) || { echo "$check"; fail "harness check failed on the bundle's DLL"; }
echo "$check" | grep -qx "version $version.0" || { echo "$check"; fail "the DLL does not carry version $version"; }
echo "$check" | grep -q "FileDescription: 大智慧公式扩展库" || fail "no Chinese description in the DLL's version"
echo "$check" | grep -q "^oldest Windows: Windows XP SP3 " || { echo "$check"; fail "the DLL needs more than Windows XP SP3"; }
for bits in 32 64; do
  check=$(wine_run harness.exe check "通达信插件/${bits}位/TARVEX_TDX.dll") ||
    { echo "$check"; fail "harness check failed on the $bits-bit TDX plug-in"; }
  echo "$check" | grep -qx "kind: TDX formula plug-in (RegisterTdxFunc), $bits-bit" ||
    fail "通达信插件/${bits}位 does not hold the $bits-bit plug-in"
done
wine_run harness.exe call TARVEX.dll TlineAll --csv 文档/samples/day_bars.csv --p1-series close --p2 5 --p4 120 \
  --svg levels.svg >/dev/null || fail "harness call --svg failed"
rsvg-convert levels.svg -o levels.png || fail "the picture does not render"
[ "$(head -c4 levels.png | tail -c3)" = "PNG" ] || fail "no PNG made"
echo "bundle $(basename "$zip_file"): $texts text files GBK with CRLF, DLL version $version, TDX plug-in 32- and 64-bit, picture renders"
