# Sourced by every script that runs Windows programs, after setup.sh.
# Sets the environment of every Wine run: a Chinese locale (ANSI code page
# 936), Beijing time without daylight saving in the form both msvcrt and Wine
# read, a project-own Wine prefix, and quiet Wine. The first script to source
# it in a run also starts what the whole run shares, and stops it at its end:
# one X display (Xvfb) and one persistent wineserver, with the prefix made
# once. `wine_run PROGRAM ARGS...` runs a Windows program with its output
# copied to ours, CRs removed, and returns the program's status.
source "$(dirname "${BASH_SOURCE[0]}")/emu32.sh"

export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
export TZ=CST-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if emu32_active; then
  # Wine's own programs are 64-bit (wine64) and run natively; the 32-bit ones
  # share one guest base, which the wineserver's fixes rely on.
  export WINEARCH=win64
  export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tarvex-emu}
  export QEMU_GUEST_BASE=$EMU32_GUEST_BASE
  # TARVEX_EMU32_NO_FIXES=1 leaves out the fixes for qemu: to see whether a
  # newer qemu still needs them.
  if [ "${TARVEX_EMU32_NO_FIXES:-0}" != 1 ]; then
    export LD_PRELOAD="$EMU32_LIBS/\$LIB/tarvex_emu32.so"
  fi
else
  export WINEARCH=win32
  export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tarvex}
fi
TARVEX_WINE_WAY=$(emu32_way)
export TARVEX_WINE_WAY

wine_run() {
  local out status=0
  # Through a file, not a pipe: Wine's background programs (services, the
  # desktop) may inherit the program's output and would hold a pipe open.
  out=$(mktemp /tmp/tarvex-wine-out-XXXXXX)
  wine "$@" >"$out" 2>/dev/null || status=$?
  tr -d '\r' < "$out"
  rm -f "$out"
  return $status
}

wine_stop_run() {
  wineserver -k 2>/dev/null || true
  if [ -n "${tarvex_xvfb_pid:-}" ]; then kill "$tarvex_xvfb_pid" 2>/dev/null || true; fi
  if emu32_forced && emu32_kernel_runs_i386; then emu32_unregister; fi
}

if [ -z "${TARVEX_WINE_RUN:-}" ]; then
  export TARVEX_WINE_RUN=$$
  echo "$TARVEX_WINE_WAY"
  # A prefix made by the other way's Wine does not work with this one's server.
  if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg"; then
    echo "Wine prefix $WINEPREFIX is not $WINEARCH: making it anew"
    rm -rf "$WINEPREFIX"
  fi
  display=90
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  tarvex_xvfb_pid=$!
  export DISPLAY=":$display"
  trap wine_stop_run EXIT
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start on display :$display"; exit 1; }
  mkdir -p "$WINEPREFIX"
  # A server of this prefix that an earlier run stopped may still be going
  # away; a new persistent one starts only once it is gone.
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wineserver -p >/dev/null 2>&1 </dev/null
  # Makes or updates the prefix and starts Wine's services, detached from
  # our output.
  wineboot -u >/dev/null 2>&1 </dev/null
fi
