#!/usr/bin/env bash
# The release bundle: dist/TARVEX-<version>.zip, for a user who installs from
# one archive. At its top 说明.txt (how to install), 安装.bat (the one-step
# installer, tools/installer/), TARVEX.dll, the commented TARVEX.ini and
# harness.exe; 公式示例\ one file of formulas per group of exports; 文档\ the
# Chinese pages as HTML (index.html first, made from docs/*.md by
# scripts/docs_html.py with Debian's Python-Markdown) with their pictures and
# the sample history; 通达信插件\32位\ and 64位\ the two builds of the TDX
# plug-in TARVEX_TDX.dll. Every text file in it is GBK with CRLF line ends, as
# Windows editors, cmd.exe and the host expect; the pages and the pictures
# stay UTF-8, the encoding they declare.
# The version is the project version in CMakeLists.txt, the one the DLL's
# version resource carries.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(TARVEX VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in CMakeLists.txt"; exit 1; }
"$top/scripts/build_dll.sh" >/dev/null

stage=$(mktemp -d /tmp/tarvex-package-XXXXXX)
trap 'rm -rf "$stage"' EXIT
crlf() { sed 's/\r$//; s/$/\r/'; }
# UTF-8 text to GBK with CRLF; fails on any character GBK lacks (the minus
# sign U+2212 of the pages becomes an ASCII hyphen first).
to_gbk() { sed 's/−/-/g' "$1" | iconv -f UTF-8 -t GBK | crlf > "$2"; }

cp "$top/build/win32/TARVEX.dll" "$top/build/win32/harness.exe" "$stage/"
mkdir -p "$stage/通达信插件/32位" "$stage/通达信插件/64位"
cp "$top/build/win32/TARVEX_TDX.dll" "$stage/通达信插件/32位/"
cp "$top/build/win64/TARVEX_TDX.dll" "$stage/通达信插件/64位/"
crlf < "$top/docs/TARVEX.ini" > "$stage/TARVEX.ini"  # already GBK
mkdir -p "$stage/公式示例" "$stage/文档/images" "$stage/文档/samples"
for f in "$top"/docs/examples/*.txt; do to_gbk "$f" "$stage/公式示例/$(basename "$f")"; done
to_gbk "$top/tools/installer/安装.bat" "$stage/安装.bat"
/usr/bin/python3 "$top/scripts/docs_html.py" "$top/docs" "$stage/文档" >/dev/null
cp "$top"/docs/images/*.svg "$stage/文档/images/"
cp "$stage/TARVEX.ini" "$stage/文档/"  # the pages link it beside them
for f in "$top"/docs/samples/*.csv "$top"/docs/samples/Apache-2.0.txt; do crlf < "$f" > "$stage/文档/samples/$(basename "$f")"; done
to_gbk "$top/docs/samples/SOURCE.txt" "$stage/文档/samples/SOURCE.txt"
cp "$top"/docs/samples/*.day "$stage/文档/samples/"

# The table of exports that act on other programs, from the overview page
# (docs/README.md, section "对其他程序的动作"), as plain text: one paragraph
# per row, Markdown marks dropped.
actions=$(awk '/^## 对其他程序的动作/ {on = 1; next} on && /^## / {exit} on && /^\|/ {print}' "$top/docs/README.md" |
  tail -n +3 | sed 's/`//g; s/\*\*//g; s/\[\([^]]*\)\]([^)]*)/\1/g' |
  awk -F'|' '{for (i = 2; i <= 6; i++) gsub(/^ +| +$/, "", $i);
              printf "  %s\n    做什么：%s\n    哪一次调用会做：%s\n    怎样不让它每次刷新都做：%s\n    演练时：%s\n", $2, $3, $4, $5, $6}')
[ -n "$actions" ] || { echo "no table of actions on other programs in docs/README.md"; exit 1; }

cat > "$stage/说明.utf8" <<TEXT
先解压：把整个压缩包解压到一个文件夹，再打开那个文件夹里的文件。在压缩包查看器里直接双击
安装.bat，它旁边的 TARVEX.dll 和 harness.exe 还没有解压出来，安装做不成。

TARVEX $version —— 大智慧公式扩展库

一、安装
0. 要求：Windows XP SP3 或更新的 Windows（32 位、64 位都可以），32 位的大智慧。
   安装或更换 TARVEX.dll 之前先关闭大智慧。
   一步安装：双击 安装.bat，输入（或回车确认它找到的）大智慧主程序目录。它复制 TARVEX.dll，
   换掉旧 DLL 前先存为 TARVEX.dll.bak，从不覆盖已有的 TARVEX.ini，最后运行安装检查
   （harness.exe doctor）逐项说明 TARVEX 看到的目录和文件。没有 [错误] 时最后说"装好了"；
   标 [注意] 的行只影响它点名的函数。下面 1、2 是手工安装的做法。
1. 把 TARVEX.dll 复制到大智慧主程序目录（放着大智慧的 exe 和 data、userdata 目录的那个目录）。
2. 需要改路径或名字时，把 TARVEX.ini 也复制过去再编辑（GBK 编码；里面每个键都注释掉了，
   原样放过去不改变任何行为）。不放时所有路径都取大智慧目录下的默认位置。
3. 在公式里调用，例如：现在:"TARVEX@systime"(0);
   "公式示例" 目录里每组函数一个文本文件，每一段是一个完整的公式，可以直接复制到公式编辑器。
4. 确认已经载入：公式 现在:"TARVEX@systime"(0); 在最后一根 K 线上显示当前时间（如 93105）。
5. 出错时原因多数写在大智慧工作目录下的 TARVEX.log（有些失败不写日志，见各文档页面）。
6. 随时检查安装：在命令行里运行 harness.exe doctor 大智慧目录
   每一行是一项检查：[正常]、[提示]、[注意] 或 [错误]，后面是发现了什么、对公式有什么影响、该怎么做。
   [注意] 只影响它点名的函数；[错误] 是 TARVEX 整个用不了，或 TARVEX.ini 里设好的功能用不了。
   它不改任何文件；有 [错误] 时退出码是 1。

二、文件
  安装.bat       一步安装（见上面第 0 条）
  TARVEX.dll     公式扩展库（32 位），文件属性里可以看到版本 $version
  TARVEX.ini     带注释的示例配置文件
  harness.exe    测试工具：不开大智慧也能在示例 K 线上试函数，并把结果画成 SVG 图，例如
                   harness.exe call TARVEX.dll TlineAll --csv 文档\\samples\\day_bars.csv --p1-series close --p2 5 --p4 120 --svg 图.svg
                 也能读通达信的日线文件，例如
                   harness.exe call TARVEX.dll TlineAll --tdx-day 文档\\samples\\sh600000.day --p1-series close --p2 5 --p4 120
                 （通达信的日线在 vipdoc\\sh\\lday\\ 和 vipdoc\\sz\\lday\\ 下，代码和市场取自文件名）
                 harness.exe check TARVEX.dll 检查 DLL，显示它的版本和它需要的最老的 Windows。
                 标号函数（如 Tline、TlineAll）显示每个标号所在 K 线的日期和价格；
                 函数这次写的日志（TARVEX.log）跟在结果后面。
                 harness.exe doctor 大智慧目录 检查一个安装（见上面第 6 条）。
                 harness 读的是 harness.exe 所在目录的 TARVEX.ini，请在单独的试用目录里用它。
  公式示例\\      各组函数的公式示例
  文档\\          中文说明（网页），双击 文档\\index.html 从目录看起；示例 K 线是浦发银行 600000
                 的真实日线（文档\\samples\\，来源见 SOURCE.txt）
  通达信插件\\    TARVEX_TDX.dll：在通达信里用趋势线函数（Tline、TlineLow、TlineAll、TLineS、TlineNear）的
                 公式插件，32位\\ 给 32 位通达信，64位\\ 给 64 位通达信；放进通达信的 T0002\\dlls，
                 在公式管理器里绑定后用 TDXDLL1(编号,C,5,240) 调用，见 文档\\tdx_plugin.html

三、注意
  先演练：在 TARVEX.ini 里写上两行 [安全] 和 演练=1，下面"四"里会操作其他程序的函数就只在
  TARVEX.log 里写一行"演练: ..."说明它本会做什么（填什么、按哪个按钮、改写哪个文件），不真做，
  返回值和真做成功时一样（只有真做才会遇到的失败，如对方程序不响应，演练看不到）。
  看过日志、确认无误后把 演练= 改成 0，下一个信号就真做。
  TDXTrade、LKBS 会真实下单：演练之后，再用模拟账户试。

四、会操作其他程序的函数
  大智慧每次刷新都重算公式，下面这些函数放在一直显示的公式里就会反复动作（"演练时"是 演练=1 时它做的事）：

$actions
TEXT
to_gbk "$stage/说明.utf8" "$stage/说明.txt"
rm "$stage/说明.utf8"

mkdir -p "$top/dist"
zip_file=$top/dist/TARVEX-$version.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" 说明.txt 安装.bat TARVEX.dll TARVEX.ini harness.exe 公式示例 文档 通达信插件)
echo "$zip_file"
