#!/usr/bin/env bash
# Checks the release bundle as a user gets it: scripts/package.sh makes it,
# it unpacks, its harness passes `check` on its DLL under Wine and prints the
# project version, and on the TDX plug-in's two builds, each in its own
# folder; the harness draws a chart from its sample CSV and the picture
# renders to PNG, every export runs on its sample TDX day file, every text
# file in it is GBK with CRLF ends, and 说明.txt names the oldest Windows and
# carries the overview's table of the exports that act on other programs.
# The docs are HTML pages whose links and pictures are all there, and headless
# Chromium renders every page to PNG: a blank page, a page showing a Markdown
# fence, or a picture of the trend-line page that did not load fails.
# 安装.bat installs the bundle under Wine into a scratch host tree: a fresh one
# (a healthy host ends "装好了" with status 0 even with notes), one with an
# older DLL and the user's own TARVEX.ini, again with the same DLL, and one
# whose TARVEX.ini sets a directory that is not there ([错误], status 1).
# 说明.txt opens by saying to unpack first.
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
for f in 说明.txt 安装.bat TARVEX.dll TARVEX.ini harness.exe 文档/index.html 文档/lines.html 文档/install.html \
         文档/tdx_plugin.html 文档/samples/day_bars.csv 文档/samples/sh600000.day 文档/samples/SOURCE.txt \
         文档/images/tlineall.svg 通达信插件/32位/TARVEX_TDX.dll 通达信插件/64位/TARVEX_TDX.dll; do
  [ -f "$out/$f" ] || fail "$f is missing"
done
[ "$(ls "$out/公式示例"/*.txt | wc -l)" -ge 8 ] || fail "fewer than 8 files of formula examples"

texts=0
while IFS= read -r -d '' f; do
  iconv -f GBK -t UTF-8 "$f" >/dev/null 2>&1 || fail "${f#$out/} is not GBK"
  [ -z "$(tail -c1 "$f")" ] || fail "${f#$out/} does not end with a line end"
  [ "$(tr -cd '\n' < "$f" | wc -c)" = "$(grep -c $'\r$' "$f")" ] || fail "${f#$out/} has line ends without CR"
  texts=$((texts + 1))
done < <(find "$out" -type f \( -name '*.txt' -o -name '*.ini' -o -name '*.md' -o -name '*.csv' -o -name '*.bat' \) -print0)
guide=$(iconv -f GBK -t UTF-8 "$out/说明.txt")
grep -q 'TARVEX.dll' <<< "$guide" || fail "说明.txt does not say where the DLL goes"
grep -q 'Windows XP SP3' <<< "$guide" || fail "说明.txt does not name the oldest Windows"
head -1 <<< "$guide" | grep -q '^先解压' || fail "说明.txt does not open by saying to unpack first"
# Every export of the overview's table of actions on other programs is in 说明.txt too.
acting=$(awk '/^## 对其他程序的动作/ {on = 1; next} on && /^## / {exit} on && /^\| `/ {print $2}' "$top/docs/README.md" |
  grep -o '`[A-Za-z0-9_]*`' | tr -d '`')
[ "$(echo "$acting" | wc -w)" -ge 10 ] || fail "no table of actions on other programs in docs/README.md"
for fn in $acting; do
  grep -q "^  [^ ]*$fn" <<< "$guide" || fail "说明.txt does not list $fn among the exports that act on other programs"
done

cd "$out"
check=$(wine_run harness.exe check TARVEX.dll) || { echo "$check"; fail "harness check failed on the bundle's DLL"; }
grep -q "version $version.0$" <<< "$check" || { echo "$check"; fail "the DLL does not carry version $version"; }
grep -q "FileDescription: 大智慧公式扩展库" <<< "$check" || fail "no Chinese description in the DLL's version"
grep -q "oldest Windows: Windows XP SP3 " <<< "$check" || { echo "$check"; fail "the DLL needs more than Windows XP SP3"; }
for bits in 32 64; do
  check=$(wine_run harness.exe check "通达信插件/${bits}位/TARVEX_TDX.dll") ||
    { echo "$check"; fail "harness check failed on the $bits-bit TDX plug-in"; }
  grep -q "kind: TDX formula plug-in (RegisterTdxFunc), $bits-bit$" <<< "$check" ||
    fail "通达信插件/${bits}位 does not hold the $bits-bit plug-in"
done
wine_run harness.exe call TARVEX.dll TlineAll --csv 文档/samples/day_bars.csv --p1-series close --p2 5 --p4 120 \
  --svg levels.svg >/dev/null || fail "harness call --svg failed"
rsvg-convert levels.svg -o levels.png || fail "the picture does not render"
[ "$(head -c4 levels.png | tail -c3)" = "PNG" ] || fail "no PNG made"

# Every export on the sample day file, in a host tree of its own.
try=$(mktemp -d /tmp/tarvex-tryday-XXXXXX)
# The day file lies where the TDX terminal keeps it: saveDay writes SH600000.DAY
# into the host's own directory, which Windows takes for the same name.
mkdir -p "$try/userdata/block" "$try/userdata/self" "$try/userdata/SelfData" "$try/vipdoc/sh/lday"
cp harness.exe TARVEX.dll "$try/"
cp 文档/samples/sh600000.day "$try/vipdoc/sh/lday/"
exports=0
for fn in $(wine_run harness.exe list | awk '{print $1}'); do
  if [ "$fn" = savedata0 ]; then  # four plain arguments, no chart: the last bar's close
    r=$(cd "$try" && wine_run harness.exe savedata0 TARVEX.dll ALARM 1726704000 600000 8.52) || fail "savedata0: $r"
  else
    r=$(cd "$try" && wine_run harness.exe call TARVEX.dll "$fn" --tdx-day vipdoc/sh/lday/sh600000.day --p1-series close --p2 5 \
        --p3 1.01 --p4 120) || fail "$fn on the day file: $r"
    grep -q "：600000，250 根 K 线" <<< "$r" || fail "$fn: $r"
  fi
  grep -q '^返回 return -\?[0-9]*$' <<< "$r" || fail "$fn: $r"
  exports=$((exports + 1))
done
rm -rf "$try"
[ "$exports" = 44 ] || fail "$exports exports ran on the day file, not 44"

# The docs as HTML: UTF-8, links and pictures there; Chromium renders them.
/usr/bin/python3 "$top/scripts/docs_html.py" --check 文档 >/dev/null || { /usr/bin/python3 "$top/scripts/docs_html.py" --check 文档; fail "the HTML docs have faults"; }
profile=$(mktemp -d /tmp/tarvex-chromium-XXXXXX)
browse() {  # browse PAGE OPTIONS...: headless Chromium on a page of 文档/
  local url
  url=$(/usr/bin/python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).resolve().as_uri())' "文档/$1")
  shift
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$profile" "$@" "$url" 2>/dev/null
}
pages=0
for html in 文档/*.html; do
  page=$(basename "$html" .html)
  browse "$page.html" --window-size=1200,1600 --screenshot="$PWD/$page.png" >/dev/null || fail "Chromium did not render $page.html"
  read -r w h inked candle < <(/usr/bin/python3 "$top/scripts/png_stats.py" "$page.png")
  [ "$inked" -gt $((w * h / 100)) ] || fail "$page.html renders blank ($inked inked pixels of $((w * h)))"
  [ "$page" != lines ] || [ "$candle" -gt 1000 ] || fail "lines.html shows no chart ($candle candle pixels)"
  # The text as shown: no Markdown fence and no fence's language tag.
  shown=$(browse "$page.html" --dump-dom | sed 's/<[^>]*>//g')
  ! grep -q '```' <<< "$shown" || fail "$page.html shows a Markdown fence"
  ! grep -Eq '(^| )ini \[' <<< "$shown" || fail "$page.html shows a fence's language tag (ini)"
  rm -f "$page.png"
  pages=$((pages + 1))
done
[ "$pages" -ge 18 ] || fail "only $pages pages rendered"
# Every picture of the page loaded (a copy of the page that writes the count into its body).
sed 's|</body>|<script>addEventListener("load", () => { const i = [...document.images];\
  document.body.dataset.pictures = i.length + "/" + i.filter(x => x.complete \&\& x.naturalWidth > 0).length; });</script></body>|' \
  文档/lines.html > 文档/_probe.html
dom=$(browse _probe.html --virtual-time-budget=5000 --dump-dom)
pictures=$(echo "$dom" | grep -o 'data-pictures="[0-9]*/[0-9]*"' | grep -o '[0-9]*/[0-9]*')
[ -n "$pictures" ] && [ "${pictures%/*}" -ge 4 ] && [ "${pictures%/*}" = "${pictures#*/}" ] || fail "lines.html pictures loaded: ${pictures:-none}"
rm -rf "$profile" 文档/_probe.html

# 安装.bat under Wine into a scratch host tree.
host=$(mktemp -d /tmp/tarvex-install-XXXXXX)
mkdir -p "$host/data/SH" "$host/data/SZ" "$host/userdata/block" "$host/userdata/self" "$host/userdata/SelfData"
cp harness.exe "$host/dzh.exe"  # a 32-bit program stands for the host
install() { wine_run cmd /c "$(winepath -w "$out/安装.bat" 2>/dev/null)" "$(winepath -w "$host" 2>/dev/null)" | iconv -f GBK -t UTF-8; }
said=$(install) || true
cmp -s "$host/TARVEX.dll" TARVEX.dll || fail "安装.bat did not copy TARVEX.dll: $said"
cmp -s "$host/TARVEX.ini" TARVEX.ini || fail "安装.bat did not copy the sample TARVEX.ini"
[ ! -e "$host/TARVEX.dll.bak" ] || fail "安装.bat kept a copy of a DLL it did not replace"
grep -q "TARVEX 安装检查" <<< "$said" || fail "安装.bat did not run the doctor: $said"
grep -q "装好了" <<< "$said" || fail "a healthy host does not end 装好了: $said"
echo "old DLL" > "$host/TARVEX.dll"
printf '[路径]\r\nGET=C:\\\r\n' | iconv -f UTF-8 -t GBK > "$host/TARVEX.ini"
cp "$host/TARVEX.ini" "$host/mine.ini"
said=$(install) || true
cmp -s "$host/TARVEX.dll" TARVEX.dll || fail "安装.bat did not replace an older TARVEX.dll: $said"
[ "$(cat "$host/TARVEX.dll.bak")" = "old DLL" ] || fail "安装.bat did not keep the DLL it replaced"
cmp -s "$host/TARVEX.ini" "$host/mine.ini" || fail "安装.bat changed the user's TARVEX.ini"
said=$(install) || true
grep -q "不用换" <<< "$said" || fail "安装.bat replaced the same DLL again: $said"
[ ! -e "$host/TARVEX.dll.bak2" ] || fail "安装.bat kept a second copy of the same DLL"
# A directory the user set that is not there: an error, and status 1.
printf '[路径]\r\nGET=C:\\nothere\\\r\n' | iconv -f UTF-8 -t GBK > "$host/TARVEX.ini"
if said=$(install); then status=0; else status=1; fi
grep -q "\[错误\] GET" <<< "$said" || fail "a set directory that is missing is no error of the doctor: $said"
[ "$status" = 1 ] || fail "安装.bat ended with status 0 after an error: $said"
! grep -q "装好了" <<< "$said" || fail "安装.bat said 装好了 after an error: $said"
rm -rf "$host"
# Double-clicked: it offers the first usual host directory it finds, and Enter takes it.
usual=$WINEPREFIX/drive_c/dzh365
if [ ! -e "$usual" ]; then
  mkdir -p "$usual/userdata/block"
  said=$(printf '\r\n' | wine_run cmd /c "$(winepath -w "$out/安装.bat" 2>/dev/null)" | iconv -f GBK -t UTF-8) || true
  found=$(cmp -s "$usual/TARVEX.dll" TARVEX.dll && echo yes || echo no)
  rm -rf "$usual"
  [ "$found" = yes ] || fail "安装.bat did not install into C:\\dzh365 it found: $said"
fi
echo "bundle $(basename "$zip_file"): $texts text files GBK with CRLF, DLL version $version, TDX plug-in 32- and 64-bit, picture renders," \
     "$exports exports on the day file, HTML docs render with their pictures, 安装.bat installs"
