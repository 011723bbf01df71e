#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, as root,
# and makes sure this machine can run 32-bit Windows programs: natively, or,
# when its kernel runs no 32-bit code (or TARVEX_EMULATE_32=1), under qemu-user
# (see emu32.sh). Idempotent: packages already present are not fetched again,
# a registered handler is left as it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/emu32.sh"
source "$top/scripts/apt.sh"

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
install_missing() {
  local need=() pkg
  for pkg in "$@"; do have "$pkg" || need+=("$pkg"); done
  [ ${#need[@]} -gt 0 ] || return 0
  echo "installing: ${need[*]}"
  apt_install "${need[@]}"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
install_missing cmake make g++ libgtest-dev libbenchmark-dev g++-mingw-w64-i686 wine wine32:i386 \
                xvfb xauth locales libsqlite3-dev sqlite3 tcl dpkg-dev
# The TDX formula plug-in is also built for the 64-bit TDX terminals and its
# host test runs under Wine's 64-bit side, which runs natively on every kernel.
install_missing g++-mingw-w64-x86-64 wine64
# The harness's pictures are checked by rendering them (rsvg-convert, with a
# Chinese font); the release bundle is a zip.
install_missing librsvg2-bin fonts-wqy-microhei zip unzip
# The bundle's docs as HTML pages, made from the Markdown sources by Debian's
# Python-Markdown (run with Debian's own /usr/bin/python3) and checked by
# rendering them in headless Chromium.
install_missing python3-markdown chromium
# The fuzz targets: clang with libFuzzer and the sanitizer runtimes.
install_missing clang libclang-rt-14-dev

# SQLite is linked into TARVEX.dll from Debian's source package (no mingw
# build exists): the build fetches it with `apt-get source`, which needs a
# deb-src entry for bookworm main.
src_entry=/etc/apt/sources.list.d/tarvex-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' 'Components: main' \
    'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' > "$src_entry"
  APT_REFRESHED= apt_refresh
fi

# Wine's ANSI code page is 936 only when the zh_CN.UTF-8 locale exists.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

if emu32_forced || ! emu32_kernel_runs_i386; then
  install_missing qemu-user-static
  emu32_build_libs
  emu32_register || { echo "cannot register the i386 handler in binfmt_misc (is /proc/sys/fs/binfmt_misc writable?)"; exit 1; }
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "this machine cannot run 32-bit programs: its kernel does not start them, and neither does"
    echo "qemu-user through the binfmt_misc handler tarvex-i386 ($EMU32_QEMU); the Wine suite cannot run"
    exit 1
  fi
else
  emu32_unregister  # left over from a forced run: the kernel runs them itself
fi
