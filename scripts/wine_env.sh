# Environment of every Wine run: a Chinese locale (ANSI code page 936), Beijing
# time without daylight saving in the form both msvcrt and Wine read, a
# project-own Wine prefix, and quiet Wine.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export TZ=CST-8
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tarvex}
export WINEDLLOVERRIDES="mscoree,mshtml="
